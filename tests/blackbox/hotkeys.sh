#!/usr/bin/env bash
# Real keystrokes: Ctrl+Alt+H typed into the X display hides Nookvale.exe;
# Ctrl+Alt+O sent from another program while it is hidden brings it back.
set -uo pipefail
exe=$1 helper=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run="$here/../../scripts/wine-run.sh"
visible_main() { xdotool search --onlyvisible --name "^Nookvale v1\.b" 2>/dev/null | head -n 1; }
"$run" "$exe" &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT
win=""
for ((i = 0; i < 240; i++)); do win=$(visible_main); [ -n "$win" ] && break; sleep 0.25; done
[ -n "$win" ] || { echo "no main window"; exit 1; }
sleep 1
xdotool windowfocus --sync "$win" 2>/dev/null || xdotool mousemove --window "$win" 50 50
xdotool key ctrl+alt+h
for ((i = 0; i < 40; i++)); do [ -z "$(visible_main)" ] && break; sleep 0.25; done
[ -z "$(visible_main)" ] || { echo "Ctrl+Alt+H did not hide the window"; exit 1; }
echo "hidden by Ctrl+Alt+H"
# Without a sound device the mute that follows the hiding reports its error.
box=$(xdotool search --onlyvisible --name "^Nookvale$" 2>/dev/null | head -n 1)
if [ -n "$box" ]; then
  xdotool windowfocus --sync "$box" 2>/dev/null; xdotool key Return
fi
"$run" "$helper" --keys ctrl+alt+o
for ((i = 0; i < 40; i++)); do [ -n "$(visible_main)" ] && break; sleep 0.25; done
[ -n "$(visible_main)" ] || { echo "Ctrl+Alt+O did not bring the window back"; exit 1; }
echo "back with Ctrl+Alt+O"
