#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer and runs them: a memory
# fault, a leak or undefined behaviour fails its test as an assertion would. The build is in
# build-asan/; extra arguments go to ctest (for example -R tst_sortlist).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exec bash "$root/scripts/sanitize.sh" asan "$@"
