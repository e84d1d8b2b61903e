#!/usr/bin/env bash
# Builds the installers and portable archives into dist/ from the i686
# (build/win32) and x86_64 (build/win64) builds:
#   Nookvale-<version>-win32-setup.exe, Nookvale-<version>-win32.zip,
#   Nookvale-<version>-win64-setup.exe, Nookvale-<version>-win64.zip
# The version comes from CMake's project(); each build configures its own
# names. Expects both builds configured (scripts/test.sh does that).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
jobs=${NOOKVALE_JOBS:-$(nproc)}
for b in win32 win64; do
  [ -f "build/$b/build.ninja" ] || { echo "build/$b is not configured" >&2; exit 1; }
  cmake --build "build/$b" -j"$jobs" --target nv_package
done
ls -l dist/Nookvale-*
