#!/usr/bin/env bash
# Installs what building and testing need on Debian 12: the i686 and x86_64
# mingw-w64 cross compilers, CMake, Ninja, GoogleTest sources, OpenSSL (the
# HTTPS test servers) and Wine with its 32-bit half. Does nothing when
# everything is present already.
set -euo pipefail

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 cmake ninja-build googletest openssl wine wine32:i386 wine64)

# Some kernels run without 32-bit emulation (ia32_emulation off): then Wine's
# 32-bit loader cannot start natively and runs under QEMU's user-mode i386
# emulator instead, registered with binfmt_misc. Slower, but the same Wine.
runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

enable_i386_emulation() {
    runs_32bit && return 0
    dpkg -s qemu-user-static >/dev/null 2>&1 || install_packages qemu-user-static
    [ -f /proc/sys/fs/binfmt_misc/register ] ||
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    [ -f /proc/sys/fs/binfmt_misc/qemu-i386 ] ||
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            >/proc/sys/fs/binfmt_misc/register
    runs_32bit
}

have_all() {
    command -v i686-w64-mingw32-g++-posix >/dev/null && command -v x86_64-w64-mingw32-g++-posix >/dev/null &&
    command -v cmake >/dev/null && command -v ninja >/dev/null &&
    command -v openssl >/dev/null && command -v wine >/dev/null &&
    [ -d /usr/src/googletest/googletest ] &&
    dpkg -s wine32:i386 >/dev/null 2>&1 && runs_32bit
}

have_all && exit 0

[ "$(id -u)" = 0 ] || { echo "setup.sh: run as root to install packages" >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386

apt_opts=(-o Acquire::Retries=3)

# The i386 index of the security suite has been seen failing to download
# (size mismatch). Retry; if it still fails, fall back to the system's own
# source lists with the security suite left out.
updated=no
for attempt in 1 2 3; do
    if apt-get "${apt_opts[@]}" update; then updated=yes; break; fi
    echo "setup.sh: apt-get update failed (attempt $attempt)" >&2
    sleep 5
done

alt_opts=()
install_packages() { apt-get "${apt_opts[@]}" "${alt_opts[@]}" install -y --no-install-recommends "$@"; }

without_security() {
    local dir
    dir=$(mktemp -d)
    mkdir -p "$dir/parts"
    : >"$dir/sources.list"
    if [ -f /etc/apt/sources.list ]; then
        grep -v -- '-security' /etc/apt/sources.list >"$dir/sources.list" || true
    fi
    local f
    for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        case "$f" in
        *.list) grep -v -- '-security' "$f" >"$dir/parts/$(basename "$f")" || true ;;
        *.sources)
            # deb822 stanzas are separated by blank lines: drop whole stanzas
            # whose Suites name a security suite.
            awk 'BEGIN { RS=""; ORS="\n\n" } !/Suites:[^\n]*-security/' "$f" \
                >"$dir/parts/$(basename "$f")" ;;
        esac
    done
    echo "$dir"
}

if [ "$updated" != yes ] || ! install_packages "${packages[@]}"; then
    echo "setup.sh: installing without the security suite" >&2
    alt=$(without_security)
    alt_opts=(-o "Dir::Etc::SourceList=$alt/sources.list" -o "Dir::Etc::SourceParts=$alt/parts")
    apt-get "${apt_opts[@]}" "${alt_opts[@]}" update
    install_packages "${packages[@]}"
fi
enable_i386_emulation
