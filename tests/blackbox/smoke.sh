#!/usr/bin/env bash
# Starts Nookvale.exe under Wine on the session's Xvfb, waits for its main
# window, checks the caption, saves a screenshot and closes the program.
set -uo pipefail
exe=$1 shot=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run="$here/../../scripts/wine-run.sh"
caption="Nookvale v1.b  - RIGHT CLICK HERE FOR INFO"

"$run" "$exe" &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT
win=""
for ((i = 0; i < 240; i++)); do
  win=$(xdotool search --onlyvisible --name "^Nookvale v1\.b" 2>/dev/null | head -n 1)
  [ -n "$win" ] && break
  kill -0 $pid 2>/dev/null || { echo "Nookvale.exe ended before showing its window"; exit 1; }
  sleep 0.25
done
[ -n "$win" ] || { echo "no main window within 60 s"; exit 1; }
name=$(xdotool getwindowname "$win")
[ "$name" = "$caption" ] || { echo "caption is '$name'"; exit 1; }
sleep 2
import -window root "$shot" && echo "screenshot: $shot"
eval "$(xdotool getwindowgeometry --shell "$win")"
echo "main window ${WIDTH}x${HEIGHT} at ${X},${Y}"
exit 0
