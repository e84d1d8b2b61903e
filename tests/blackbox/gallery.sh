#!/usr/bin/env bash
# Makes the README's gallery: runs the gallery tests, which leave BMP
# screenshots in OUTDIR, and turns each into a small PNG.
# Usage: gallery.sh nv_win_tests.exe OUTDIR
set -uo pipefail
exe=$1 out=$2
mkdir -p "$out"
rm -f "$out"/*.bmp "$out"/*.png
cd "$(dirname "$exe")" || exit 1
NOOKVALE_GALLERY="Z:${out//\//\\}" /usr/lib/wine/wine64 "$(basename "$exe")" --gtest_filter='GalleryTest.*' </dev/null
rc=$?
[ $rc -eq 0 ] || { echo "gallery tests failed"; exit 1; }
status=0
for name in main-page notebook files reader about; do
  bmp="$out/$name.bmp"
  if [ ! -s "$bmp" ]; then echo "missing: $name"; status=1; continue; fi
  # Large screens are shown at most 1000 pixels wide; a palette keeps them small.
  convert "$bmp" -resize '1000x1000>' -colors 256 -strip "PNG8:$out/$name.png" && rm -f "$bmp"
  echo "$out/$name.png: $(stat -c %s "$out/$name.png") bytes"
done
exit $status
