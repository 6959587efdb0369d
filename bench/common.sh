# Pieces the benchmark scripts share; sourced, not run. The caller sets $work (a scratch folder).

# Waits up to ten seconds for a server to accept connections on 127.0.0.1:$1.
wait_for_port() {
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.1
  done
}

# Runs the command and prints its wall time in seconds; its processor time (user + system) goes
# to $work/cpu, a figure that other load on the machine disturbs less.
seconds() {
  local start end
  start=$(date +%s.%N)
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f '%U %S' -o "$work/cpu" "$@" >/dev/null 2>"$work/last.err" ||
      { cat "$work/last.err" >&2; echo "failed: $*" >&2; exit 1; }
  else
    "$@" >/dev/null 2>"$work/last.err" || { cat "$work/last.err" >&2; echo "failed: $*" >&2; exit 1; }
    echo "0 0" >"$work/cpu"
  fi
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f\n", b - a}'
}

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
check() { cmp -s "$1" "$2" || { echo "transferred file differs: $1" >&2; exit 1; }; }
