#!/usr/bin/env bash
# Runs every test: the portable core natively under ASan+UBSan, the fuzz
# targets over their seed corpora, then the Windows build (x86_64) under Wine
# with its own Xvfb. The shipping i686 build is compiled too (warnings are
# errors there), and both are packaged into dist/ (installers, archives).
# Sets everything up first on a fresh Debian 12 machine.
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"

if [ "$(id -u)" = 0 ]; then
  scripts/bootstrap.sh || exit 1
else
  sudo -E scripts/bootstrap.sh || exit 1
fi

failed=()
step() { # name, command...
  local name=$1; shift
  echo "=== $name"
  if ! "$@"; then failed+=("$name"); return 1; fi
}

jobs=$(nproc)
mkdb="$top/build/native/tools/nvmkdb"

step "native build" sh -c 'cmake --preset native >/dev/null && cmake --build build/native -j'"$jobs" &&
  step "native tests" ctest --test-dir build/native --output-on-failure --no-tests=error -j"$jobs"

step "fuzz build" sh -c 'cmake --preset fuzz >/dev/null && cmake --build build/fuzz -j'"$jobs" &&
  step "fuzz corpora" ctest --test-dir build/fuzz --output-on-failure --no-tests=error -j"$jobs"

step "win32 (i686) build" sh -c "cmake --preset win32 -DNOOKVALE_HOST_MKDB='$mkdb' >/dev/null && cmake --build build/win32 -j$jobs"

step "win64 build" sh -c "cmake --preset win64 -DNOOKVALE_HOST_MKDB='$mkdb' >/dev/null && cmake --build build/win64 -j$jobs" &&
  { # The installers and archives of both builds; the Wine tests install them.
    step "packages" scripts/package.sh
    step "win64 tests under Wine" scripts/with-wine.sh ctest --test-dir build/win64 --output-on-failure --no-tests=error
  }

if [ ${#failed[@]} -ne 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "All tests passed."
