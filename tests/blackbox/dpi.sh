#!/usr/bin/env bash
# The Main Page, the notebook, the reader and About at 120, 144 and 192 DPI.
# For each DPI, a fresh Wine session
# (scripts/with-wine.sh: its own prefix copy and Xvfb, the screen grown with
# the DPI as a high-DPI monitor's is) gets LogPixels set in HKCU, then runs
# the in-process layout checks, which also save screenshots (the main page,
# and "-notebook" and "-about" beside it); the shots end up as PNGs in OUTDIR.
# Usage: dpi.sh nv_win_tests.exe OUTDIR
set -uo pipefail
exe=$1 out=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
withwine="$here/../../scripts/with-wine.sh"
mkdir -p "$out"
status=0
for dpi in 120 144 192; do
  bmp="$out/dpi-$dpi.bmp"
  rm -f "$out/dpi-$dpi"*.bmp "$out/dpi-$dpi"*.png
  width=$((1280 * dpi / 96)) height=$((1024 * dpi / 96))
  echo "== $dpi DPI on ${width}x${height}"
  NOOKVALE_SCREEN="${width}x${height}x24" NOOKVALE_EXPECT_DPI=$dpi NOOKVALE_SHOT="Z:${bmp//\//\\}" \
    "$withwine" bash -c '
      /usr/lib/wine/wine64 reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$1" /f \
        >/dev/null 2>&1 || { echo "could not set LogPixels"; exit 1; }
      cd "$(dirname "$2")" && /usr/lib/wine/wine64 "$(basename "$2")" --gtest_filter="Dpi*" </dev/null' \
    _ "$dpi" "$exe"
  rc=$?
  if [ $rc -ne 0 ]; then echo "layout check failed at $dpi DPI"; status=1; fi
  for name in "dpi-$dpi" "dpi-$dpi-notebook" "dpi-$dpi-about"; do
    if [ -s "$out/$name.bmp" ] && convert "$out/$name.bmp" "$out/$name.png"; then
      rm -f "$out/$name.bmp"
      echo "screenshot: $out/$name.png"
    else
      echo "no screenshot $name at $dpi DPI"; status=1
    fi
  done
done
exit $status
