#!/usr/bin/env bash
# Parses generated Unix and DOS listings, fills the sortable list and sorts it by every column:
# 1,000,000 lines, then 100,000 (or the line counts given), and the same folder as MLSD lines, whose
# speed has a line of its own: mlsd N lines/s (unix N lines/s). One line per run; the last line:
# N lines: parse N lines/s fill+sort N ms resort N ms peak N MB rows N MB
# where "rows" is the heap that the parsed rows take, before the list holds them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target listingbench >/dev/null
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(1000000 100000)
for lines in "${counts[@]}"; do
  QT_QPA_PLATFORM=offscreen "$build/listingbench" "$lines"
done
