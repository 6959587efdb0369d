#!/usr/bin/env bash
# Times the queue job on 1, 2 and 4 connections against lftp's mirror --parallel with the same
# number, downloading and uploading a tree of 1,000 small files (1-8 KiB, 10 folders) from a local
# server that delays every reply and the opening of every data connection (bench/delayserver.py,
# 25 ms, loopback only), in the same run. Also says how many commands and data connections each
# file cost (commands per file is the round trips per file, a data connection adds one more).
# Last line: "latency tree 1conn X.XX 2conn Y.YY 4conn Z.ZZ speedup4 S.SS": our files per second
# over lftp's for each number of connections (download and upload together), then our 4-connection
# rate over our 1-connection rate. Never part of the test run.
#   FOLDERS (default 10)  FILES (per folder, default 100)  DELAY_MS (default 25)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/common.sh
source "$root/bench/common.sh"
folders=${FOLDERS:-10}
files=${FILES:-100}
delay=${DELAY_MS:-25}

need=()
command -v lftp >/dev/null || need+=(lftp)
/usr/bin/python3 -c 'import pyftpdlib' 2>/dev/null || need+=(python3-pyftpdlib)
install_missing ${need[@]+"${need[@]}"}
command -v lftp >/dev/null || { echo "lftp is missing" >&2; exit 1; }

build="$root/build-bench"
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target treebench >/dev/null
bench="$build/treebench"

work=$(mktemp -d)
server_pid=
stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=
  fi
}
cleanup() { stop_server; rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$work/srv/tree" "$work/srv/pub" "$work/local"

make_tree "$work/srv/tree" "$folders" "$files" d%02d
count=$((folders * files))

# A fresh server for each measurement, so that its counts are that measurement's alone.
port=
start_server() {
  : >"$work/port"
  /usr/bin/python3 "$root/bench/delayserver.py" "$work/srv" "$work/stats.json" "$delay" >"$work/port" 2>"$work/server.log" &
  server_pid=$!
  for _ in $(seq 100); do
    port=$(head -n1 "$work/port")
    [ -n "$port" ] && break
    sleep 0.1
  done
  wait_for_port "$port"
}
# Commands and data connections per file of the last measurement.
per_file() {
  python3 - "$work/stats.json" "$count" <<'PY'
import json, sys
stats, files = json.load(open(sys.argv[1])), int(sys.argv[2])
data = stats.pop("data connections", 0)
stats.pop("connections", None); stats.pop("files", None)
commands = sum(stats.values())
top = " ".join("%s %.2f" % (k, v / files) for k, v in sorted(stats.items(), key=lambda kv: -kv[1])[:6])
print("%.2f commands + %.2f data connections per file (%s)" % (commands / files, data / files, top))
PY
}
same() { diff -r "$1" "$2" >/dev/null || { echo "trees differ: $1 $2" >&2; exit 1; }; }
timed() {
  local start end
  start=$(date +%s.%N)
  "$@" >"$work/last.out" 2>&1 || { cat "$work/last.out" >&2; echo "failed: $*" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f\n", b - a}'
}
lftp_run() {
  lftp -p "$port" -u anonymous,bench@ -e "set ftp:passive-mode on; set cmd:fail-exit yes; set xfer:clobber on; $1; quit" 127.0.0.1
}
ours() { TREEBENCH_CONNECTIONS=$2 "$bench" "$1" 127.0.0.1 "$port" anonymous bench@ "$3" "$4"; }

# One measurement: client (ours, lftp), connections, direction (get, put); prints the seconds.
measure() {
  local who=$1 n=$2 dir=$3 t
  rm -rf "$work/local/$who$n" "$work/srv/pub/$who$n"
  mkdir -p "$work/local/$who$n" "$work/srv/pub/$who$n"
  start_server
  if [ "$dir" = get ]; then
    if [ "$who" = ours ]; then t=$(timed ours get "$n" /tree "$work/local/$who$n")
    else t=$(timed lftp_run "mirror --parallel=$n /tree $work/local/$who$n/tree"); fi
    stop_server
    same "$work/srv/tree" "$work/local/$who$n/tree"
  else
    if [ "$who" = ours ]; then t=$(timed ours put "$n" "/pub/$who$n" "$work/srv/tree")
    else t=$(timed lftp_run "mirror -R --parallel=$n $work/srv/tree /pub/$who$n/tree"); fi
    stop_server
    same "$work/srv/tree" "$work/srv/pub/$who$n/tree"
  fi
  echo "$who $n $dir ${t}s: $(per_file)" >&2
  echo "$t"
}

declare -A seconds
for n in 1 2 4; do
  for who in ours lftp; do
    get=$(measure "$who" "$n" get)
    put=$(measure "$who" "$n" put)
    seconds[$who$n]=$(awk -v a="$get" -v b="$put" 'BEGIN {print a + b}')
  done
done

awk -v n="$count" -v o1="${seconds[ours1]}" -v o2="${seconds[ours2]}" -v o4="${seconds[ours4]}" \
  -v l1="${seconds[lftp1]}" -v l2="${seconds[lftp2]}" -v l4="${seconds[lftp4]}" 'BEGIN {
  printf "%d files down and up, files/s: ours 1conn %.1f 2conn %.1f 4conn %.1f; lftp 1 %.1f 2 %.1f 4 %.1f\n",
    n, 2 * n / o1, 2 * n / o2, 2 * n / o4, 2 * n / l1, 2 * n / l2, 2 * n / l4 > "/dev/stderr"
  printf "latency tree 1conn %.2f 2conn %.2f 4conn %.2f speedup4 %.2f\n", l1 / o1, l2 / o2, l4 / o4, o1 / o4
}'
