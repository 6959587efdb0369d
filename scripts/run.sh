#!/usr/bin/env bash
# Builds Tidewell when needed and starts it. When the build files exist, ninja alone decides what
# is out of date (it re-runs CMake itself when a CMakeLists changed), so an unchanged tree starts at
# once; the packages are checked and the build configured only when that fast road fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
if ! { [ -f "$build/build.ninja" ] && command -v ninja >/dev/null && ninja -C "$build" --quiet tidewell; }; then
  bash "$root/scripts/deps.sh"
  cmake -S "$root" -B "$build" -G Ninja -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build" --target tidewell
fi
exec "$build/tidewell" "$@"
