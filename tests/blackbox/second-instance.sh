#!/usr/bin/env bash
# Starts Nookvale.exe, then a second copy: the second shows only
# "This program is already running." and ends when it is answered; the
# first keeps running with its window.
set -uo pipefail
exe=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run="$here/../../scripts/wine-run.sh"
wait_for() { # pattern seconds
  local w="" i
  for ((i = 0; i < $2 * 4; i++)); do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.25
  done
  return 1
}
"$run" "$exe" &
first=$!
trap 'kill $first $second 2>/dev/null' EXIT
second=""
main=$(wait_for "^Nookvale v1\.b" 60) || { echo "first instance shows no window"; exit 1; }
"$run" "$exe" &
second=$!
box=$(wait_for "^Nookvale$" 30) || { echo "second instance shows no message"; exit 1; }
# The box's text is its static control; read it through the accessibility of
# xdotool is not possible, so check the box belongs to the second process
# and that no second main window appeared.
count=$(xdotool search --onlyvisible --name "^Nookvale v1\.b" | wc -l)
[ "$count" -eq 1 ] || { echo "a second main window appeared"; exit 1; }
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key --window "$box" Return
for ((i = 0; i < 40; i++)); do kill -0 $second 2>/dev/null || break; sleep 0.25; done
if kill -0 $second 2>/dev/null; then echo "second instance still running after the message"; exit 1; fi
wait $second; rc=$?
kill -0 $first 2>/dev/null || { echo "first instance ended"; exit 1; }
xdotool search --onlyvisible --name "^Nookvale v1\.b" >/dev/null || { echo "first window gone"; exit 1; }
echo "second instance ended (exit $rc); first instance still running"
