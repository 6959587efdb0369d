#!/usr/bin/env bash
# Makes the tests' certificates: a CA, a server certificate it signed for 127.0.0.1 and
# localhost, one it signed for another name only, one it signed for a name with a NUL, and a
# self-signed certificate for 127.0.0.1.
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
# A name with a NUL: "localhost" to a checker that stops at the NUL, which must not match.
/usr/bin/python3 - <<'PY'
import datetime
from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import NameOID
ca_key = serialization.load_pem_private_key(open("ca.key", "rb").read(), None)
ca = x509.load_pem_x509_certificate(open("ca.pem", "rb").read())
key = rsa.generate_private_key(public_exponent=65537, key_size=2048)
name = "localhost\0.elsewhere.example"
now = datetime.datetime(2026, 1, 1)
certificate = (x509.CertificateBuilder()
    .subject_name(x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, name)]))
    .issuer_name(ca.subject).public_key(key.public_key()).serial_number(x509.random_serial_number())
    .not_valid_before(now).not_valid_after(now + datetime.timedelta(days=36500))
    .add_extension(x509.SubjectAlternativeName([x509.DNSName(name)]), critical=False)
    .sign(ca_key, hashes.SHA256()))
open("nulname.pem", "wb").write(certificate.public_bytes(serialization.Encoding.PEM))
open("nulname.key", "wb").write(key.private_bytes(serialization.Encoding.PEM,
    serialization.PrivateFormat.TraditionalOpenSSL, serialization.NoEncryption()))
PY
for name in selfsigned; do
  openssl req -x509 -newkey rsa:2048 -nodes -keyout $name.key -out $name.pem -days $days -subj "/CN=127.0.0.1" \
    -addext "subjectAltName=IP:127.0.0.1" 2>/dev/null
done
rm -f ca.key ca.srl
