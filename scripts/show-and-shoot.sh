#!/usr/bin/env bash
# Inside a with-wine.sh session: starts a program, waits for a window whose
# title contains "Nookvale", saves a screenshot of the screen and ends the
# program. Usage: show-and-shoot.sh program.exe out.png [seconds]
set -euo pipefail
exe=$1 out=$2 limit=${3:-60}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$here/wine-run.sh" "$exe" &
pid=$!
for ((i = 0; i < limit * 4; i++)); do
  if xdotool search --name "Nookvale" >/dev/null 2>&1; then break; fi
  if ! kill -0 "$pid" 2>/dev/null; then echo "the program ended before showing a window" >&2; exit 1; fi
  sleep 0.25
done
xdotool search --name "Nookvale" >/dev/null 2>&1 || { echo "no Nookvale window after ${limit}s" >&2; kill "$pid"; exit 1; }
sleep 2  # let it paint
import -window root "$out"
echo "window: $(xdotool search --name Nookvale getwindowname %@ | head -n 3 | tr '\n' '|')"
echo "screenshot: $out"
kill "$pid" 2>/dev/null || true
