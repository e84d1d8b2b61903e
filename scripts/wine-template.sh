#!/usr/bin/env bash
# Creates a 64-bit Wine prefix set up for unattended test runs:
#  - no window manager decorations (unmanaged windows hide/destroy at once
#    instead of waiting ~2 s for a window manager that is not there);
#  - no debugger: a crashing test program must end, not wait in winedbg;
#  - no Mono/Gecko installer prompts.
set -euo pipefail
prefix=$1
WINE=/usr/lib/wine/wine64
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_DATA_HOME="$prefix.xdg/data" XDG_CONFIG_HOME="$prefix.xdg/config"
export PULSE_RUNTIME_PATH="$prefix.xdg/pulse"
unset DISPLAY
rm -rf "$prefix" "$prefix.xdg"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$PULSE_RUNTIME_PATH"
"$WINE" wineboot -i >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
"$WINE" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
# Text files open in Notepad, as on Windows (Debian's Wine leaves the
# extension unassociated without a desktop environment's help).
"$WINE" reg add 'HKCR\.txt' /ve /t REG_SZ /d txtfile /f >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
/usr/lib/wine/wineserver -w
[ -f "$prefix/system.reg" ] || { echo "wine prefix was not created" >&2; exit 1; }
