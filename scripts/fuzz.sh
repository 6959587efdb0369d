#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each for SECONDS (default 30), starting from its seeds in fuzz/corpus/<target>/.
# Prints one line per target and fails when a target crashed, hung, leaked, allocated too much or
# broke one of its properties; the input that did it is kept in build-fuzz/findings/.
# RUNS=N also stops each target after N inputs (bench/fuzz-long.sh); FORK=N runs each target in N
# processes at once (libFuzzer's fork mode, one run counting the inputs of all); JOBS limits the build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
bash "$root/scripts/deps.sh"

# clang and its runtime, libFuzzer included, from Debian.
packages=(clang-14 libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi

targets=(fuzz_replyreader fuzz_passiveaddress fuzz_workingdirectory fuzz_listingparser fuzz_listingcache
         fuzz_sitelist fuzz_versionfile fuzz_queuefile
         fuzz_settingsvalues fuzz_sitesettings fuzz_connecturl fuzz_knowncertificates fuzz_hashreply
         fuzz_mlsdparser fuzz_protocolreplies)
build="$root/build-fuzz"
CXX=clang++-14 cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" >/dev/null
cmake --build "$build" ${JOBS:+-j "$JOBS"} --target "${targets[@]}" >"$build/build.log" 2>&1 ||
  { cat "$build/build.log"; exit 1; }

mkdir -p "$build/findings" "$build/logs"
# MALLOC_CONTEXT_SIZE=0 (bench/fuzz-long.sh) drops the allocation stacks from a report, which
# cost the targets that allocate most a third of their time.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:malloc_context_size=${MALLOC_CONTEXT_SIZE:-30}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
# 0 seconds: no time limit (with RUNS).
limit=(-max_total_time="$seconds")
[ -n "${RUNS:-}" ] && limit+=(-runs="$RUNS")
failed=0 total_runs=0 findings=0
for target in "${targets[@]}"; do
  # The seeds stay as they are; what a run learns goes to a working corpus in the build folder.
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/logs/$target.log"
  rm -f "$build/findings/$target"-*
  status=ok
  options=()
  # Qt's settings keep what they read last, so many inputs allocate more than they free without
  # leaking; libFuzzer then ran each such input twice and scanned the heap after it, three times
  # the work. LeakSanitizer still checks when the run ends.
  [ "$target" = fuzz_settingsvalues ] && options+=(-detect_leaks=0)
  # Fork mode lets timeouts and memory blow-ups pass by default; here they are findings as ever.
  [ -n "${FORK:-}" ] && options+=(-fork="$FORK" -ignore_timeouts=0 -ignore_ooms=0)
  if ! "$build/$target" "${limit[@]}" "${options[@]}" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=256 \
      -print_final_stats=1 -artifact_prefix="$build/findings/$target-" "$corpus" \
      "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    status=FAILED
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  # In fork mode the parent prints no statistics; its progress lines count the inputs of all.
  [ -n "${FORK:-}" ] && runs=$(sed -n 's/^#\([0-9]*\): .*/\1/p' "$log" | tail -1)
  found=$(find "$build/findings" -name "$target-*" | wc -l)
  total_runs=$((total_runs + ${runs:-0}))
  findings=$((findings + found))
  printf '%-22s %-6s %10s runs  %5s inputs  %s findings\n' "$target" "$status" "${runs:-0}" \
    "$(find "$corpus" -type f | wc -l)" "$found"
  if [ "$status" != ok ]; then
    grep -m5 -E 'ERROR|property broken|SUMMARY|runtime error' "$log" | sed 's/^/    /' || true
    echo "    log: $log"
  fi
done
echo "fuzz ${#targets[@]} targets $total_runs execs $findings findings"
exit $failed
