#!/usr/bin/env bash
# tls-servers.sh DIR COMMAND [ARGS...]
# Runs COMMAND next to two HTTPS servers on 127.0.0.1 made for the HTTP
# client's tests, in DIR (made afresh):
#   RA_TLS_CA             a test CA certificate (DER, Windows path), for the
#                         tests to add to their prefix's machine ROOT store;
#   RA_TLS_OTHER_NAME_PORT  a certificate that CA issued for "other.example";
#   RA_TLS_UNTRUSTED_PORT   a self-signed certificate no store trusts.
# Each answers GET /secure.txt with "secure". Both end with COMMAND, whose
# exit status this returns. Without openssl, COMMAND runs alone.
set -uo pipefail
dir=$(realpath -m "$1")
shift
command -v openssl >/dev/null || exec "$@"
rm -rf "$dir" && mkdir -p "$dir/www" || exit 1
cd "$dir"
# The servers answer with the file as it stands (-HTTP): a whole response,
# whose length ends the read before the server closes the connection.
printf 'HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\nsecure\n' >www/secure.txt

make_key() { openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -subj "/CN=$2" "${@:3}" 2>/dev/null; }
make_key ca "RaTest CA" -x509 -days 3650 -out ca.pem \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
openssl x509 -in ca.pem -outform der -out ca.der
make_key other other.example -out other.csr
printf 'subjectAltName=DNS:other.example\n' >other.ext
openssl x509 -req -in other.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 \
    -extfile other.ext -out other.pem 2>/dev/null
make_key untrusted 127.0.0.1 -x509 -days 3650 -out untrusted.pem -addext "subjectAltName=IP:127.0.0.1"

pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null' EXIT
# Starts a server for certificate $1 and waits until it listens (its port
# is in $1.out).
serve() {
    (cd www && exec openssl s_server -accept 127.0.0.1:0 -cert "../$1.pem" -key "../$1.key" -HTTP) \
        >"$1.out" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        grep -q '^ACCEPT' "$1.out" && break
        sleep 0.1
    done
}
serve other
serve untrusted
port() { sed -n 's/^ACCEPT .*:\([0-9]*\)$/\1/p' "$1.out"; }
export RA_TLS_CA="Z:$dir/ca.der"
export RA_TLS_OTHER_NAME_PORT=$(port other) RA_TLS_UNTRUSTED_PORT=$(port untrusted)
cd - >/dev/null
"$@"
