#!/usr/bin/env bash
# Adds 10,000 items to the queue pane, saves them, loads them and moves 1,000 selected rows to the
# top (an optional argument changes the item count).
# Last line: add N ms save N ms load N ms move N ms
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
cmake -S "$root/bench" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target queuebench >/dev/null
QT_QPA_PLATFORM=offscreen "$build/queuebench" "${@:-10000}"
