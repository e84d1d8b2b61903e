#!/usr/bin/env bash
# Runs a command inside a private Wine session:
#  - its own Xvfb on a free display (or the current $DISPLAY with --display),
#  - its own copy of the template Wine prefix,
#  - one persistent wineserver for the whole command (start-up is then cheap).
# On exit it ends only what it started: that wineserver and that Xvfb.
#
# Usage: with-wine.sh [--display] [--keep DIR] command [args...]
set -euo pipefail
CACHE=${NOOKVALE_CACHE:-/var/cache/nookvale}
use_display=0
keep=""
while [ $# -gt 0 ]; do
  case $1 in
    --display) use_display=1; shift ;;
    --keep) keep=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: with-wine.sh [--display] [--keep DIR] command..." >&2; exit 2; }

run=${keep:-$(mktemp -d /tmp/nookvale-wine.XXXXXX)}
mkdir -p "$run"
export WINEPREFIX="$run/prefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export XDG_DATA_HOME="$run/xdg/data" XDG_CONFIG_HOME="$run/xdg/config"
export PULSE_RUNTIME_PATH="$run/xdg/pulse" XDG_RUNTIME_DIR="$run/xdg/runtime"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$PULSE_RUNTIME_PATH" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
if [ ! -d "$WINEPREFIX" ]; then
  cp -a "$CACHE/wineprefix" "$WINEPREFIX"
fi

xvfb_pid=""
cleanup() {
  local rc=$?
  WINEPREFIX="$WINEPREFIX" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if [ -z "$keep" ]; then rm -rf "$run"; fi
  exit $rc
}
trap cleanup EXIT INT TERM

if [ $use_display -eq 0 ] || [ -z "${DISPLAY:-}" ]; then
  # -displayfd lets Xvfb pick a free display itself: no race with other runs.
  fifo="$run/displayfd"
  rm -f "$fifo"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 ${NOOKVALE_SCREEN:-1280x1024x24} -nolisten tcp \
    3>"$fifo" >"$run/xvfb.log" 2>&1 &
  xvfb_pid=$!
  read -r -t 20 num <"$fifo" || { echo "Xvfb did not start" >&2; cat "$run/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$num"
  export NOOKVALE_OWN_DISPLAY=1
fi
export NOOKVALE_WINE_RUN="$run"

# Persistent wineserver for this prefix: started in the background (it does
# not detach by itself when its output is a pipe), ended by cleanup.
/usr/lib/wine/wineserver -p >/dev/null 2>&1 &
# Start Wine's own services (services.exe, winedevice.exe, explorer.exe) now,
# detached from our output: started later by a test they would inherit its
# stdout and keep ctest waiting on the pipe long after the test ended.
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1 || true
"$@"
