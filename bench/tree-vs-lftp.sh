#!/usr/bin/env bash
# Times the queue job's download and upload of a tree of 10,000 small files (1-8 KiB, 100
# folders) against lftp's mirror and mirror -R, on the same local vsftpd in the same run. Last
# line: "tree download X.XX upload Y.YY", each our files per second divided by lftp's (medians of
# the runs). Never part of the test run.
#   FOLDERS (default 100)  FILES (per folder, default 100)  RUNS (default 3, at least 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/common.sh
source "$root/bench/common.sh"
folders=${FOLDERS:-100}
files=${FILES:-100}
runs=${RUNS:-3}
[ "$runs" -lt 3 ] && runs=3

need=()
command -v lftp >/dev/null || need+=(lftp)
[ -x /usr/sbin/vsftpd ] || need+=(vsftpd)
install_missing ${need[@]+"${need[@]}"}
command -v lftp >/dev/null || { echo "lftp is missing" >&2; exit 1; }
[ -x /usr/sbin/vsftpd ] || { echo "vsftpd is missing" >&2; exit 1; }

build="$root/build-bench"
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j1 --target treebench >/dev/null
bench="$build/treebench"

base=${TMPDIR:-/tmp}
[ -w /dev/shm ] && [ "$(df -Pm /dev/shm | awk 'NR==2 {print $4}')" -gt 1024 ] && base=/dev/shm
work=$(mktemp -d -p "$base")
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/srv/tree" "$work/srv/pub" "$work/empty" "$work/local"
chmod 755 "$work" "$work/srv"
chmod 777 "$work/srv/pub"

# The tree: sizes from 1 to 8 KiB, the same tree for both clients.
make_tree "$work/srv/tree" "$folders" "$files" d%03d
count=$((folders * files))

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
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
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_world_readable_only=NO
anon_umask=022
seccomp_sandbox=NO
secure_chroot_dir=$work/empty
xferlog_enable=NO
connect_from_port_20=NO
pasv_address=127.0.0.1
max_per_ip=0
max_clients=0
CONF
/usr/sbin/vsftpd "$work/vsftpd.conf" >"$work/server.log" 2>&1 &
server_pid=$!
wait_for_port "$port"

seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >"$work/last.out" 2>&1 || { cat "$work/last.out" >&2; echo "failed: $*" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f\n", b - a}'
}
same() { diff -r "$1" "$2" >/dev/null || { echo "trees differ: $1 $2" >&2; exit 1; }; }

lftp_run() {
  lftp -p "$port" -u anonymous,bench@ -e "set ftp:passive-mode on; set cmd:fail-exit yes; set xfer:clobber on; $1; quit" 127.0.0.1
}
# vsftpd runs as this user, so without a chroot: remote paths are the real ones.
ours_get() { seconds "$bench" get 127.0.0.1 "$port" anonymous bench@ "$work/srv/tree" "$work/local/ours"; }
lftp_get() { seconds lftp_run "mirror $work/srv/tree $work/local/lftp/tree"; }
ours_put() { seconds "$bench" put 127.0.0.1 "$port" anonymous bench@ "$work/srv/pub/ours" "$work/srv/tree"; }
lftp_put() { seconds lftp_run "mirror -R $work/srv/tree $work/srv/pub/lftp/tree"; }
fresh() {
  rm -rf "$work/local/ours" "$work/local/lftp" "$work/srv/pub/ours" "$work/srv/pub/lftp"
  mkdir -p "$work/local/ours" "$work/local/lftp" "$work/srv/pub/ours" "$work/srv/pub/lftp"
  chmod 777 "$work/srv/pub/ours" "$work/srv/pub/lftp"
}

declare -a og lg op lp
for run in $(seq "$runs"); do
  order=(ours lftp)
  [ $((run % 2)) -eq 0 ] && order=(lftp ours)
  fresh
  for who in "${order[@]}"; do
    t=$("${who}_get")
    same "$work/srv/tree" "$work/local/$who/tree"
    if [ "$who" = ours ]; then og+=("$t"); else lg+=("$t"); fi
  done
  for who in "${order[@]}"; do
    t=$("${who}_put")
    same "$work/srv/tree" "$work/srv/pub/$who/tree"
    if [ "$who" = ours ]; then op+=("$t"); else lp+=("$t"); fi
  done
  echo "run $run: get ours ${og[-1]}s lftp ${lg[-1]}s, put ours ${op[-1]}s lftp ${lp[-1]}s" >&2
done

a=$(median "${og[@]}"); b=$(median "${lg[@]}"); c=$(median "${op[@]}"); d=$(median "${lp[@]}")
awk -v n="$count" -v a="$a" -v b="$b" -v c="$c" -v d="$d" 'BEGIN {
  printf "%d files, medians: download ours %.0f files/s lftp %.0f files/s; upload ours %.0f files/s lftp %.0f files/s\n",
    n, n / a, n / b, n / c, n / d > "/dev/stderr"
  printf "tree download %.2f upload %.2f\n", b / a, d / c
}'
