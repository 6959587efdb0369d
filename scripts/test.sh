#!/usr/bin/env bash
# Builds Tidewell with its tests and runs every test (GUI tests offscreen).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
build="$root/build-tests"
cmake -S "$root" -B "$build" -G Ninja -DBUILD_TESTING=ON >/dev/null
cmake --build "$build"
rm -rf "$build/test-home"
cd "$build" && ctest --output-on-failure -j2 "$@"
