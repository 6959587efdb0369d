#!/usr/bin/env bash
# Makes the tests' certificates: a CA, a server certificate it signed for 127.0.0.1 and
# localhost, one it signed for another name only, and a self-signed certificate for 127.0.0.1.
# Valid for a century; run again to renew.
set -euo pipefail
cd "$(dirname "$0")"
days=36500
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days $days -subj "/CN=Tidewell Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
sign() { # name subject san [extra openssl x509 options]
  openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2" 2>/dev/null
  printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$3" > "$1.ext"
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -out "$1.pem" -extfile "$1.ext" "${@:4}" 2>/dev/null
  rm -f "$1.csr" "$1.ext"
}
sign server "/CN=127.0.0.1" "IP:127.0.0.1,DNS:localhost" -days $days
sign othername "/CN=elsewhere.example" "DNS:elsewhere.example" -days $days
for name in selfsigned; do
  openssl req -x509 -newkey rsa:2048 -nodes -keyout $name.key -out $name.pem -days $days -subj "/CN=127.0.0.1" \
    -addext "subjectAltName=IP:127.0.0.1" 2>/dev/null
done
rm -f ca.key ca.srl
