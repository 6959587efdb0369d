#!/usr/bin/env bash
# Builds the tests with sanitizers into a folder of their own and runs them.
#   asan: AddressSanitizer with UndefinedBehaviorSanitizer (leaks included), every test.
#   tsan: ThreadSanitizer, the tests that run the worker or a scripted server on another thread.
# Extra arguments go to ctest. JOBS limits the build's parallel jobs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-asan}
shift || true
bash "$root/scripts/deps.sh"

# The tests that start a thread: the worker and its stop, the scripted and real servers, the log
# posted across threads, the queue read and changed by the worker while the window shows it, the
# listing handed over to the window, the main window and the Site Manager with the worker behind them,
# whole transfers against the real server with their progress read-outs, the queue run on several
# connections at once, the remote pane browsed while such a run goes on, and the watchdog armed
# by several threads.
threaded=(tst_worker tst_replyreader tst_logwnd tst_listingjob tst_connectjob tst_latestpost tst_login
          tst_dircommands tst_dataconnection tst_scriptedserver tst_remotelisting tst_remotebrowse
          tst_firstsession tst_queuewnd tst_transferqueue tst_queuetransfer_scripted tst_remoteopsjob
          tst_hostileserver tst_listinghandover tst_mainframe tst_sitemanager tst_remoteconnection
          tst_remotenavigation tst_transfer_real tst_queuetransfer_real tst_copypaths tst_sortlistsorter
          tst_tls_real tst_tls_hostile tst_certificatedialog tst_serverfeatures_scripted tst_serverroads_real
          tst_queuetransfer_parallel tst_browsewhilerun tst_watchdog)

case "$kind" in
asan)
  sanitize=address,undefined
  targets=(all)
  filter=()
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:suppressions=$root/scripts/sanitize/asan.supp"
  export LSAN_OPTIONS="suppressions=$root/scripts/sanitize/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$root/scripts/sanitize/ubsan.supp"
  ;;
tsan)
  sanitize=thread
  targets=("${threaded[@]}")
  filter=(-R "^($(IFS='|'; echo "${threaded[*]}"))\$")
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$root/scripts/sanitize/tsan.supp"
  ;;
*)
  echo "usage: $0 [asan|tsan] [ctest arguments]" >&2
  exit 2
  ;;
esac

build="$root/build-$kind"
# -O1 and line tables only: enough for the reports' stacks, and quicker to build than -O2 -g.
cmake -S "$root" -B "$build" -G Ninja -DBUILD_TESTING=ON -DTIDEWELL_SANITIZE="$sanitize" \
  -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -g1" >/dev/null
cmake --build "$build" ${JOBS:+-j "$JOBS"} --target "${targets[@]}"
rm -rf "$build/test-home"
cd "$build" && ctest --output-on-failure -j2 "${filter[@]}" "$@"
