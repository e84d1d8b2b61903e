#!/usr/bin/env bash
# Start-up time of Nookvale.exe against Wine's own notepad, black box, in one
# private Wine session whose wineserver stays up for all runs (so neither
# program pays for starting Wine itself). Builds the win64 tree first.
#
#   bench/startup.sh [runs]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
cmake --preset native >/dev/null
cmake --build build/native -j"$(nproc)" --target nvmkdb
cmake --preset win64 -DNOOKVALE_HOST_MKDB="$top/build/native/tools/nvmkdb" >/dev/null
cmake --build build/win64 -j"$(nproc)" --target Nookvale bench_startup_win
exec scripts/with-wine.sh scripts/wine-run.sh build/win64/bench/bench_startup_win.exe \
  'Z:'"${top//\//\\}"'\build\win64\src\app\Nookvale.exe' 'C:\windows\system32\notepad.exe' "${1:-7}"
