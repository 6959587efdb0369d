#!/usr/bin/env bash
# Times the engine's download and upload of one large file over explicit TLS (AUTH TLS, PROT P,
# data connections resuming the control connection's TLS session) against curl --ssl-reqd, on
# the same local TLS server in the same run. The server is vsftpd with require_ssl_reuse=YES when
# it can be found, else pyftpdlib's TLS handler. Last line:
#   "ftps download X.XX upload Y.YY cpu X.XX Y.YY"
# the engine's throughput divided by curl's both ways, then the engine's processor seconds per
# GiB divided by curl's (download, upload); medians of the runs. Never part of the test run.
#   bench/ftps-vs-curl.sh [SIZE_MB]   (default 1024)   RUNS (default 5, at least 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/common.sh
source "$root/bench/common.sh"
size_mb=${1:-${SIZE_MB:-1024}}
runs=${RUNS:-5}
[ "$runs" -lt 3 ] && runs=3
command -v curl >/dev/null || { echo "curl is missing" >&2; exit 1; }
command -v openssl >/dev/null || { echo "openssl is missing" >&2; exit 1; }

build="$root/build-bench"
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target ftpsbench >/dev/null
bench="$build/ftpsbench"

base=${TMPDIR:-/tmp}
if [ -w /dev/shm ] && [ "$(df -Pm /dev/shm | awk 'NR==2 {print $4}')" -gt $((size_mb * 3 + 256)) ]; then
  base=/dev/shm
fi
work=$(mktemp -d -p "$base")
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/srv/pub" "$work/empty"
chmod 755 "$work" "$work/srv"
chmod 777 "$work/srv/pub"
head -c "${size_mb}M" /dev/urandom >"$work/srv/big.bin"
size=$(stat -c %s "$work/srv/big.bin")
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=127.0.0.1" -addext "subjectAltName=IP:127.0.0.1" 2>/dev/null

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
# vsftpd from the system, else the copy unpacked under /work/servers.
vsftpd=${VSFTPD:-}
vsftpd_libs=
if [ -z "$vsftpd" ] && [ -x /usr/sbin/vsftpd ]; then
  vsftpd=/usr/sbin/vsftpd
elif [ -z "$vsftpd" ] && [ -x /work/servers/root/usr/sbin/vsftpd ]; then
  vsftpd=/work/servers/root/usr/sbin/vsftpd
  vsftpd_libs=/work/servers/root/lib/x86_64-linux-gnu:/work/servers/root/usr/lib/x86_64-linux-gnu
fi
# vsftpd serves anonymous users as the account "ftp"; a machine without it names another.
ftp_user=ftp
id ftp >/dev/null 2>&1 || ftp_user=$(id -un ftpanon 2>/dev/null || id -un)
server=pyftpdlib
if [ -n "$vsftpd" ]; then
  cat >"$work/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$port
background=NO
run_as_launching_user=YES
anonymous_enable=YES
no_anon_password=YES
anon_root=$work/srv
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_other_write_enable=YES
anon_world_readable_only=NO
seccomp_sandbox=NO
secure_chroot_dir=$work/empty
xferlog_enable=NO
connect_from_port_20=NO
pasv_address=127.0.0.1
ssl_enable=YES
allow_anon_ssl=YES
force_anon_logins_ssl=YES
force_anon_data_ssl=YES
ssl_tlsv1=NO
ssl_sslv2=NO
ssl_sslv3=NO
require_ssl_reuse=YES
ssl_ciphers=HIGH
rsa_cert_file=$work/cert.pem
rsa_private_key_file=$work/key.pem
ftp_username=$ftp_user
CONF
  LD_LIBRARY_PATH=$vsftpd_libs "$vsftpd" "$work/vsftpd.conf" >"$work/server.log" 2>&1 &
  server_pid=$!
  server="vsftpd (require_ssl_reuse)"
else
  echo "vsftpd is not available: falling back to pyftpdlib's TLS handler" >&2
  /usr/bin/python3 - "$work/srv" "$port" "$work" >"$work/server.log" 2>&1 <<'PY' &
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import TLS_FTPHandler
from pyftpdlib.servers import FTPServer
authorizer = DummyAuthorizer()
authorizer.add_anonymous(sys.argv[1], perm="elradfmwMT")
TLS_FTPHandler.authorizer = authorizer
TLS_FTPHandler.certfile = sys.argv[3] + "/cert.pem"
TLS_FTPHandler.keyfile = sys.argv[3] + "/key.pem"
TLS_FTPHandler.tls_control_required = True
TLS_FTPHandler.tls_data_required = True
FTPServer(("127.0.0.1", int(sys.argv[2])), TLS_FTPHandler).serve_forever()
PY
  server_pid=$!
fi
wait_for_port "$port"
url="ftp://127.0.0.1:$port"

cpu() { awk '{printf "%.3f", $1 + $2}' "$work/cpu"; }

curl_tls=(curl -s --ssl-reqd --insecure --ftp-pasv -u anonymous:bench@)
engine_get() { seconds "$bench" get 127.0.0.1 "$port" anonymous bench@ big.bin "$work/dl.bin" "$size"; }
curl_get() { seconds "${curl_tls[@]}" -o "$work/dl.bin" "$url/big.bin"; }
engine_put() { seconds "$bench" put 127.0.0.1 "$port" anonymous bench@ pub/up.bin "$work/srv/big.bin" "$size"; }
curl_put() { seconds "${curl_tls[@]}" -T "$work/srv/big.bin" "$url/pub/up.bin"; }

engine_get >/dev/null; rm -f "$work/dl.bin"; curl_get >/dev/null; rm -f "$work/dl.bin"
engine_put >/dev/null; rm -f "$work/srv/pub/up.bin"; curl_put >/dev/null; rm -f "$work/srv/pub/up.bin"

declare -a eng_get cur_get eng_put cur_put eg_cpu cg_cpu ep_cpu cp_cpu
for run in $(seq "$runs"); do
  order=(engine curl)
  [ $((run % 2)) -eq 0 ] && order=(curl engine)
  for who in "${order[@]}"; do
    rm -f "$work/dl.bin"
    t=$("${who}_get"); c=$(cpu)
    check "$work/dl.bin" "$work/srv/big.bin"
    if [ "$who" = engine ]; then eng_get+=("$t"); eg_cpu+=("$c"); else cur_get+=("$t"); cg_cpu+=("$c"); fi
  done
  rm -f "$work/dl.bin"
  for who in "${order[@]}"; do
    rm -f "$work/srv/pub/up.bin"
    t=$("${who}_put"); c=$(cpu)
    check "$work/srv/pub/up.bin" "$work/srv/big.bin"
    if [ "$who" = engine ]; then eng_put+=("$t"); ep_cpu+=("$c"); else cur_put+=("$t"); cp_cpu+=("$c"); fi
  done
  rm -f "$work/srv/pub/up.bin"
  echo "run $run: get engine ${eng_get[-1]}s (cpu ${eg_cpu[-1]}s) curl ${cur_get[-1]}s (cpu ${cg_cpu[-1]}s)," \
    "put engine ${eng_put[-1]}s (cpu ${ep_cpu[-1]}s) curl ${cur_put[-1]}s (cpu ${cp_cpu[-1]}s)" >&2
done

mb=$((size / 1048576))
eg=$(median "${eng_get[@]}"); cg=$(median "${cur_get[@]}")
ep=$(median "${eng_put[@]}"); cp=$(median "${cur_put[@]}")
egc=$(median "${eg_cpu[@]}"); cgc=$(median "${cg_cpu[@]}")
epc=$(median "${ep_cpu[@]}"); cpc=$(median "${cp_cpu[@]}")
awk -v m="$mb" -v s="$server" -v eg="$eg" -v cg="$cg" -v ep="$ep" -v cp="$cp" \
    -v egc="$egc" -v cgc="$cgc" -v epc="$epc" -v cpc="$cpc" 'BEGIN {
  printf "server %s, %d MiB, medians: download engine %.2f MB/s curl %.2f MB/s; upload engine %.2f MB/s curl %.2f MB/s\n",
    s, m, m / eg, m / cg, m / ep, m / cp > "/dev/stderr"
  printf "cpu s/GiB: download engine %.2f curl %.2f; upload engine %.2f curl %.2f\n",
    egc * 1024 / m, cgc * 1024 / m, epc * 1024 / m, cpc * 1024 / m > "/dev/stderr"
  printf "ftps download %.2f upload %.2f cpu %.2f %.2f\n", cg / eg, cp / ep,
    (cgc > 0 ? egc / cgc : 0), (cpc > 0 ? epc / cpc : 0)
}'
