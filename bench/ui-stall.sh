#!/usr/bin/env bash
# The window thread's longest stall: the real main window (offscreen) lists a generated folder of
# ROWS entries from a local server (loaded, sorted, cached), sorts it again by header clicks, then
# compares it with a local folder of every other name (folder comparison on), then downloads a
# SIZE_MB file through the queue with its progress shown. Last line:
#   stall listing N ms transfer N ms resort N ms compare N ms
#   ROWS (default 100000)  SIZE_MB (default 1024)  TRANSFER (default 1)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rows=${ROWS:-100000}
size_mb=${SIZE_MB:-1024}
transfer=${TRANSFER:-1}
build="$root/build-bench"
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target uistall >/dev/null

base=${TMPDIR:-/tmp}
if [ -w /dev/shm ] && [ "$(df -Pm /dev/shm | awk 'NR==2 {print $4}')" -gt $((size_mb * 2 + 256)) ]; then
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
mkdir -p "$work/srv" "$work/home"
head -c "${size_mb}M" /dev/urandom >"$work/srv/big.bin"
size=$(stat -c %s "$work/srv/big.bin")

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
/usr/bin/python3 "$root/bench/listserver.py" "$work/srv" "$port" "$rows" >"$work/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 600); do
  grep -q ready "$work/server.log" 2>/dev/null && break
  sleep 0.1
done

XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" QT_QPA_PLATFORM=offscreen \
  "$build/uistall" "$port" "$rows" big.bin "$size" "$work/dl.bin" "$transfer"
