#!/usr/bin/env bash
# Start-up time of Nookvale.exe against Wine's own notepad, black box, in one
# private Wine session whose wineserver stays up for all runs. Two
# measurements: from CreateProcess inside Wine (with Nookvale's phase
# breakdown), then from the wine command run in a Linux shell. Both also time
# a bare window with the same standard controls, for what the window system
# alone costs. Builds the win64 tree first; the program is measured stripped
# of its debugging information, as the shipping build is.
#
#   bench/startup.sh [runs]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
cmake --preset native >/dev/null
cmake --build build/native -j"$(nproc)" --target nvmkdb
cmake --preset win64 -DNOOKVALE_HOST_MKDB="$top/build/native/tools/nvmkdb" >/dev/null
cmake --build build/win64 -j"$(nproc)" --target Nookvale bench_startup_win
stripped=$(mktemp -d /tmp/nookvale-stripped.XXXXXX)
trap 'rm -rf "$stripped"' EXIT
cp build/win64/src/app/Nookvale.exe build/win64/src/app/Nookvale.mdb "$stripped/"
x86_64-w64-mingw32-strip "$stripped/Nookvale.exe"
scripts/with-wine.sh bash -c '
  scripts/wine-run.sh build/win64/bench/bench_startup_win.exe "Z:${1//\//\\}\Nookvale.exe" \
    "C:\windows\system32\notepad.exe" "$2"
  bench/startup_outside.sh build/win64/bench/bench_startup_win.exe "$1/Nookvale.exe" "$2"' _ "$stripped" "${1:-7}"
