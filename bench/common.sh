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

# Installs the Debian packages named (none: nothing to do), through sudo when not root; a failure
# is told, and the caller checks for what it needs.
install_missing() {
  [ $# -gt 0 ] || return 0
  local sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q >/dev/null || true
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "$@" >/dev/null ||
    echo "could not install $*" >&2
}

# A tree of $2 folders of $3 files each under $1, of 1 to 8 KiB, the same bytes on every run;
# $4 is the folder names' printf format.
make_tree() {
  python3 - "$1" "$2" "$3" "$4" <<'PY'
import os, random, sys
root, folders, files, form = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
rng = random.Random(7)
for d in range(folders):
    folder = os.path.join(root, form % d)
    os.makedirs(folder, exist_ok=True)
    for f in range(files):
        with open(os.path.join(folder, "f%03d.bin" % f), "wb") as out:
            out.write(rng.randbytes(rng.randint(1024, 8192)))
PY
}
