#!/usr/bin/env bash
# Time from the program's start (just before exec) to the Site Manager shown, offscreen, with a
# fresh settings folder each run: RUNS runs (default 15); prints each and, last, the median:
# startup site manager N ms
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-15}
build="$root/build-bench"
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target startupbench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
times=()
for i in $(seq "$runs"); do
  rm -rf "$work/home"
  mkdir -p "$work/home"
  line=$(XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" QT_QPA_PLATFORM=offscreen \
    "$build/startupbench" "$(date +%s%N)" 2>/dev/null | grep 'site manager shown')
  echo "$line"
  times+=("$(echo "$line" | awk '{print $4}')")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo "startup site manager $median ms"
