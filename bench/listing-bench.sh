#!/usr/bin/env bash
# Parses generated 100,000-line Unix and DOS listings, fills the sortable list and sorts it by
# every column. Last line: parse N lines/s fill+sort N ms resort N ms peak N MB
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target listingbench >/dev/null
QT_QPA_PLATFORM=offscreen "$build/listingbench" "${@:-100000}"
