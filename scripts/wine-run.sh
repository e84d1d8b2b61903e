#!/usr/bin/env bash
# Runs one Windows executable under 64-bit Wine. Used as CMake's
# cross-compiling emulator, so ctest runs Windows tests like native ones.
# Expects the environment of scripts/with-wine.sh (WINEPREFIX, DISPLAY).
set -u
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: no WINEPREFIX; run through scripts/with-wine.sh" >&2
  exit 2
fi
export WINEDEBUG=${WINEDEBUG:--all}
exec /usr/lib/wine/wine64 "$@"
