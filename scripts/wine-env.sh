# Sourced: the environment every Wine run here uses. Headless, quiet, no
# Mono/Gecko prompts, no proxy (Wine's WinINet honours it even for 127.0.0.1).
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree=;mshtml="
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY DISPLAY WAYLAND_DISPLAY
# 64-bit Windows programs (wineboot, reg, the stand-in application) start
# through the 64-bit loader directly: never emulated.
wine64=/usr/lib/wine/wine64
