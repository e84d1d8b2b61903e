#!/usr/bin/env bash
# The start-up measurement taken from outside Wine, as a user's shell sees
# it: from the moment the wine command is run to the first visible captioned
# window of the program, for Nookvale.exe and Wine's notepad in alternating
# runs, in one Wine session whose wineserver stays up. Run by
# bench/startup.sh inside that session (scripts/with-wine.sh).
#
#   bench/startup_outside.sh <bench_startup_win.exe> <Nookvale.exe> [runs]
set -euo pipefail
watcher=$(realpath "$1") built=$2 runs=${3:-7}
wine=/usr/lib/wine/wine64
work=$(mktemp -d /tmp/nookvale-startup.XXXXXX)
trap 'rm -rf "$work"' EXIT
# A folder of its own, as an installed copy: the program and its database.
cp "$built" "$work/Nookvale.exe"
cp "$(dirname "$built")/Nookvale.mdb" "$work/"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Milliseconds from running "wine <program>" to its first visible window.
time_start() {
  local exe_name=$1; shift
  local ready="$work/ready" out="$work/seen"
  rm -f "$ready" "$out"
  "$wine" "$watcher" --watch "$exe_name" 'Z:'"${ready//\//\\}" >"$out" 2>/dev/null &
  local watch_pid=$!
  while [ ! -s "$ready" ]; do
    kill -0 "$watch_pid" 2>/dev/null || { echo "watcher ended early" >&2; return 1; }
    sleep 0.01
  done
  local t0; t0=$(now_ms)
  (cd "$work" && "$wine" "$@" >/dev/null 2>&1) &
  local prog_pid=$!
  wait "$watch_pid"
  wait "$prog_pid" 2>/dev/null || true
  local seen; seen=$(tr -d '\r' <"$out")
  echo $(( seen - t0 ))
}

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# One unmeasured start of each: the caches warm up. The bare window (see
# the watcher's source) gets the controls Nookvale's window shows with.
time_start Nookvale.exe "$work/Nookvale.exe" >/dev/null
time_start notepad.exe notepad >/dev/null
winexe='Z:'"${work//\//\\}"'\Nookvale.exe'
counts=$("$wine" "$watcher" --count-controls "$winexe" 2>/dev/null | tr -d '\r') || {
  echo "cannot count the controls of Nookvale's window" >&2
  exit 1
}
bare() { time_start "$(basename "$watcher")" "$watcher" --bare-window "$winexe" "$counts"; }
bare >/dev/null
ours=() theirs=() bares=()
for i in $(seq 1 "$runs"); do
  ours+=("$(time_start Nookvale.exe "$work/Nookvale.exe")")
  theirs+=("$(time_start notepad.exe notepad)")
  bares+=("$(bare)")
  echo "outside Wine, run $i: Nookvale ${ours[-1]} ms, notepad ${theirs[-1]} ms, bare window ${bares[-1]} ms"
done
a=$(printf '%s\n' "${ours[@]}" | median)
b=$(printf '%s\n' "${theirs[@]}" | median)
c=$(printf '%s\n' "${bares[@]}" | median)
awk -v a="$a" -v b="$b" -v c="$c" -v n="$runs" 'BEGIN {
  r = a / b
  printf "outside Wine, median of %d: Nookvale %d ms, notepad %d ms, ratio %.2f (target at most 1.3: %s)\n",
         n, a, b, r, (r <= 1.3 ? "met" : "NOT met")
  printf "outside Wine, a bare window with the same controls: %d ms, %.2f of notepad\n", c, c / b }'
