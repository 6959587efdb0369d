#!/usr/bin/env bash
# Runs every fuzz target for ten million inputs (RUNS changes the count; MAX_SECONDS, when given,
# also ends each target after that time; FORK=2 runs each target on both cores of this machine).
# Last line: fuzz N targets N execs N findings
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Without allocation stacks in reports (a third faster): a finding's input is kept in
# build-fuzz/findings/, and running the target on it alone gives the whole report.
export MALLOC_CONTEXT_SIZE=${MALLOC_CONTEXT_SIZE:-0}
RUNS=${RUNS:-10000000} bash "$root/scripts/fuzz.sh" "${MAX_SECONDS:-0}"
