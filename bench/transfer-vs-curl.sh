#!/usr/bin/env bash
# Times the engine's download and upload of one large file against curl's, on the same local FTP
# server in the same run, and both against the loopback's own limit (bench/loopcopy.cpp: the file
# through one local TCP connection by sendfile and splice, no protocol in the way). Last line:
#   download X.XX upload Y.YY cpu X.XX Y.YY
# the engine's throughput divided by curl's for each direction, then curl's processor seconds per
# GiB divided by the engine's (so that more than 1 is better on every figure); medians of the runs.
# Never part of the test run.
#   SIZE_MB (default 1024)  RUNS (default 9, at least 3)
#   VSFTPD: the server binary (default /usr/sbin/vsftpd), VSFTPD_LIBRARY_PATH: its libraries
#   ZEROCOPY=0: the engine moves every byte through its own buffers (the byte loop)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/common.sh
source "$root/bench/common.sh"
size_mb=${SIZE_MB:-1024}
runs=${RUNS:-9}
[ "$runs" -lt 3 ] && runs=3
vsftpd=${VSFTPD:-/usr/sbin/vsftpd}

need=()
command -v curl >/dev/null || need+=(curl)
[ -x "$vsftpd" ] || need+=(vsftpd)
install_missing ${need[@]+"${need[@]}"}
command -v curl >/dev/null || { echo "curl is missing" >&2; exit 1; }

build="$root/build-bench"
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target transferbench loopcopy >/dev/null
bench="$build/transferbench"

# In memory when there is room: disk write-back would drown the difference between the clients.
base=${TMPDIR:-/tmp}
if [ -w /dev/shm ] && [ "$(df -Pm /dev/shm | awk 'NR==2 {print $4}')" -gt $((size_mb * 3 + 256)) ]; then
  base=/dev/shm
fi
work=$(mktemp -d -p "$base")
server_pid=
cleanup() {
  # The server ends by a signal, so its status is not zero: nothing here may stop the clean-up.
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

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
server=pyftpdlib
if [ -x "$vsftpd" ]; then
  # The account it maps anonymous logins to must exist, even when it runs as the user who started it.
  ftp_user=ftp
  id ftp >/dev/null 2>&1 || ftp_user=nobody
  cat >"$work/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$port
background=NO
run_as_launching_user=YES
anonymous_enable=YES
ftp_username=$ftp_user
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
CONF
  LD_LIBRARY_PATH=${VSFTPD_LIBRARY_PATH:-} "$vsftpd" "$work/vsftpd.conf" >"$work/server.log" 2>&1 &
  server_pid=$!
  server=vsftpd
else
  echo "vsftpd is not available: falling back to pyftpdlib" >&2
  /usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p "$port" -d "$work/srv" -w >"$work/server.log" 2>&1 &
  server_pid=$!
fi
wait_for_port "$port"
url="ftp://127.0.0.1:$port"

cpu() { awk '{printf "%.2f", $1 + $2}' "$work/cpu"; }

engine_get() { seconds env ZEROCOPY="${ZEROCOPY:-1}" "$bench" get 127.0.0.1 "$port" anonymous bench@ big.bin "$work/dl.bin" "$size"; }
curl_get() { seconds curl -s -o "$work/dl.bin" "$url/big.bin"; }
engine_put() { seconds env ZEROCOPY="${ZEROCOPY:-1}" "$bench" put 127.0.0.1 "$port" anonymous bench@ pub/up.bin "$work/srv/big.bin" "$size"; }
curl_put() { seconds curl -s -T "$work/srv/big.bin" "$url/pub/up.bin"; }

# One untimed round first: the first transfer after the file was made pays for warming up.
engine_get >/dev/null; rm -f "$work/dl.bin"; curl_get >/dev/null; rm -f "$work/dl.bin"
engine_put >/dev/null; rm -f "$work/srv/pub/up.bin"; curl_put >/dev/null; rm -f "$work/srv/pub/up.bin"

declare -a eng_get cur_get eng_put cur_put eg_cpu cg_cpu ep_cpu cp_cpu loop
for run in $(seq "$runs"); do
  # Who goes first alternates, so that neither client always meets the state the other left.
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
  loop+=("$("$build/loopcopy" "$work/srv/big.bin" "$work/dl.bin")")
  check "$work/dl.bin" "$work/srv/big.bin"
  rm -f "$work/dl.bin"
  echo "run $run: get engine ${eng_get[-1]}s (cpu ${eg_cpu[-1]}s) curl ${cur_get[-1]}s (cpu ${cg_cpu[-1]}s)," \
    "put engine ${eng_put[-1]}s (cpu ${ep_cpu[-1]}s) curl ${cur_put[-1]}s (cpu ${cp_cpu[-1]}s), loopback ${loop[-1]}s" >&2
done

eg=$(median "${eng_get[@]}"); cg=$(median "${cur_get[@]}")
ep=$(median "${eng_put[@]}"); cp=$(median "${cur_put[@]}")
egc=$(median "${eg_cpu[@]}"); cgc=$(median "${cg_cpu[@]}")
epc=$(median "${ep_cpu[@]}"); cpc=$(median "${cp_cpu[@]}")
lp=$(median "${loop[@]}")
awk -v b="$size" -v s="$server" -v n="$runs" -v eg="$eg" -v cg="$cg" -v ep="$ep" -v cp="$cp" \
  -v egc="$egc" -v cgc="$cgc" -v epc="$epc" -v cpc="$cpc" -v lp="$lp" 'BEGIN {
  m = b / 1048576; g = b / 1073741824
  printf "server %s, %d MiB, medians of %d runs (MB/s; cpu s/GiB)\n", s, m, n > "/dev/stderr"
  printf "loopback limit %.0f MB/s (one sendfile/splice copy through one local connection)\n", m / lp > "/dev/stderr"
  printf "download: engine %.0f MB/s (%.0f%% of the limit, cpu %.2f) curl %.0f MB/s (%.0f%%, cpu %.2f)\n",
    m / eg, 100 * lp / eg, egc / g, m / cg, 100 * lp / cg, cgc / g > "/dev/stderr"
  printf "upload:   engine %.0f MB/s (%.0f%% of the limit, cpu %.2f) curl %.0f MB/s (%.0f%%, cpu %.2f)\n",
    m / ep, 100 * lp / ep, epc / g, m / cp, 100 * lp / cp, cpc / g > "/dev/stderr"
  # A processor time that rounds to zero counts as the smallest step /usr/bin/time shows.
  printf "download %.2f upload %.2f cpu %.2f %.2f\n", cg / eg, cp / ep,
    (cgc > 0 ? cgc : 0.01) / (egc > 0 ? egc : 0.01), (cpc > 0 ? cpc : 0.01) / (epc > 0 ? epc : 0.01)
}'
