#!/usr/bin/env bash
# Builds Nookvale and starts it under Wine (64-bit; see README). With a
# $DISPLAY it runs there until you exit it. Without one it starts its own
# Xvfb, waits for the main window, saves a screenshot to
# build/screenshot-run.png and ends.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
if [ "$(id -u)" = 0 ]; then scripts/bootstrap.sh; else sudo -E scripts/bootstrap.sh; fi
jobs=$(nproc)
cmake --preset native >/dev/null && cmake --build build/native -j"$jobs" --target nvmkdb
cmake --preset win64 -DNOOKVALE_HOST_MKDB="$top/build/native/tools/nvmkdb" >/dev/null
cmake --build build/win64 -j"$jobs" --target Nookvale
exe="$top/build/win64/src/app/Nookvale.exe"

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/with-wine.sh --display --keep "$top/build/wine-run" "$top/scripts/wine-run.sh" "$exe"
fi
exec scripts/with-wine.sh "$top/scripts/show-and-shoot.sh" "$exe" "$top/build/screenshot-run.png"
