#!/usr/bin/env bash
# Builds Tidewell when needed and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build" --target tidewell
exec "$root/build/tidewell" "$@"
