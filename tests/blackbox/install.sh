#!/usr/bin/env bash
# The installers and archives, for real under Wine:
#  - the 64-bit installer installs silently into the user's own
#    %LOCALAPPDATA%\Programs\Nookvale, with a Start menu shortcut and an
#    uninstall entry under HKCU, and the installed program shows its window;
#  - while it runs, an install asks to exit it first, and a silent one
#    refuses (non-zero exit); neither replaces the running file;
#  - a second install upgrades in place and keeps the user's Main.ini;
#  - the silent uninstall leaves nothing but Main.ini, and no key; run by
#    hand, it also says that Main.ini was kept;
#  - the 32-bit installer and both archives hold the right programs.
# Usage: install.sh VERSION SETUP64 ZIP64 SETUP32 ZIP32
set -uo pipefail
version=$1 setup64=$2 zip64=$3 setup32=$4 zip32=$5
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run="$here/../../scripts/wine-run.sh"
wine=/usr/lib/wine/wine64
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nookvale'
work=$(mktemp -d /tmp/nookvale-install.XXXXXX)
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
for f in "$setup64" "$zip64" "$setup32" "$zip32"; do
  [ -f "$f" ] || fail "$f is missing: run scripts/package.sh first"
done
# Waits up to $1 seconds for the command after it to succeed.
wait_until() {
  local limit=$1 i; shift
  for ((i = 0; i < limit * 4; i++)); do "$@" && return 0; sleep 0.25; done
  return 1
}
press() { # window key: with no window manager, focus the window, then type
  xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool key "$2"
}
# Where Wine puts the user's folders in this prefix.
unix_path() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
local_app_data=$("$wine" cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
programs=$("$wine" cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')'\Microsoft\Windows\Start Menu\Programs'
dir=$(unix_path "$local_app_data\\Programs\\Nookvale")
shortcut="$(unix_path "$programs")/Nookvale.lnk"
[ -n "$dir" ] || fail "no %LOCALAPPDATA% in the test prefix"

# --- first install ---------------------------------------------------------
"$wine" "$setup64" /S; rc=$?
[ $rc -eq 0 ] || fail "silent install exited with $rc"
for f in Nookvale.exe Nookvale.mdb Uninstall.exe; do
  [ -f "$dir/$f" ] || fail "$f not installed in $dir"
done
[ -f "$shortcut" ] || fail "no Start menu shortcut at $shortcut"
entry=$("$wine" reg query "$key" 2>/dev/null | tr -d '\r') || fail "no uninstall entry $key"
check_value() { # name pattern
  grep -Eq "^ *$1 +REG_[A-Z_]+ +$2\$" <<<"$entry" || fail "uninstall entry $1 is wrong: $(grep " $1 " <<<"$entry")"
}
check_value DisplayName 'Nookvale'
check_value DisplayVersion "${version//./\\.}"
check_value Publisher '.+'
check_value DisplayIcon '.*\\Nookvale\.exe,0'
check_value EstimatedSize '0x0*[1-9a-f][0-9a-f]*'
check_value UninstallString '.*Uninstall\.exe"?'
echo "installed into $dir"

# --- the installed program runs; an install over it is refused -------------
"$run" "$dir/Nookvale.exe" &
app=$!
find_main() { xdotool search --onlyvisible --name "^Nookvale v1\.b" >/dev/null 2>&1; }
wait_until 60 find_main || fail "the installed Nookvale.exe shows no window"
echo "installed Nookvale.exe shows its window"
before=$(md5sum <"$dir/Nookvale.exe")
"$wine" "$setup64" /S; rc=$?
[ $rc -ne 0 ] || fail "a silent install while Nookvale runs reported success"
[ "$(md5sum <"$dir/Nookvale.exe")" = "$before" ] || fail "the running program's file was replaced"
echo "install while running refused (exit $rc)"
# Run by hand, the installer asks instead; Cancel ends it, changing nothing.
"$wine" "$setup64" &
setup=$!
find_box() { box=$(xdotool search --onlyvisible --name "^Nookvale .*Setup" 2>/dev/null | head -n 1); [ -n "$box" ]; }
wait_until 60 find_box || { kill $setup; fail "the installer does not ask to exit Nookvale"; }
press "$box" Escape
ended() { ! kill -0 $setup 2>/dev/null; }
wait_until 30 ended || { kill $setup; fail "the installer went on after Cancel"; }
wait $setup; rc=$?
[ $rc -ne 0 ] || fail "Cancel of the running-program question reported success"
[ "$(md5sum <"$dir/Nookvale.exe")" = "$before" ] || fail "the running program's file was replaced"
echo "installer asked to exit Nookvale first; Cancel ended it (exit $rc)"
kill "$app"; wait "$app" 2>/dev/null; app=""

# --- upgrade in place keeps Main.ini ---------------------------------------
printf '[HotKeys]\r\nKey1=16467\r\nKey2=49231\r\nKey3=49224\r\n' >"$dir/Main.ini"
cp "$dir/Main.ini" "$work/Main.ini"
printf 'an older Nookvale.exe' >"$dir/Nookvale.exe"
"$wine" "$setup64" /S; rc=$?
[ $rc -eq 0 ] || fail "upgrade install exited with $rc"
[ "$(md5sum <"$dir/Nookvale.exe")" = "$before" ] || fail "the upgrade did not replace Nookvale.exe"
cmp -s "$dir/Main.ini" "$work/Main.ini" || fail "the upgrade changed Main.ini"
echo "upgrade replaced the program and kept Main.ini"

# --- uninstall --------------------------------------------------------------
# The uninstaller runs from a copy of itself in the temporary folder, so its
# own start returns before the work is done: wait for the outcome.
# The notebook's temporary files beside the program go too.
printf 'x' >"$dir/EncryptedFile.txt"
printf 'x' >"$dir/DecryptedFile.txt"
"$wine" "$dir/Uninstall.exe" /S; rc=$?
[ $rc -eq 0 ] || fail "silent uninstall exited with $rc"
key_gone() { ! "$wine" reg query "$key" >/dev/null 2>&1; }
only_main_ini() { [ "$(ls -A "$dir" 2>/dev/null)" = "Main.ini" ]; }
wait_until 60 only_main_ini || fail "left in $dir: $(ls -A "$dir" | tr '\n' ' ')"
wait_until 30 key_gone || fail "uninstall entry still present"
[ ! -e "$shortcut" ] || fail "Start menu shortcut still present"
cmp -s "$dir/Main.ini" "$work/Main.ini" || fail "the uninstaller changed Main.ini"
echo "uninstall left only Main.ini and no key"

# --- uninstall by hand says that Main.ini stays ----------------------------
"$wine" "$setup64" /S || fail "reinstall exited with $?"
windows() { xdotool search --onlyvisible --name "^Nookvale .*Uninstall" 2>/dev/null; }
"$wine" "$dir/Uninstall.exe" &
uninstaller=$!
one_window() { [ "$(windows | wc -l)" -ge 1 ]; }
wait_until 60 one_window || fail "the uninstaller shows no window: $(xdotool search --name . 2>/dev/null | while read -r w; do xdotool getwindowname "$w"; done | sort -u | tr "\n" "|")"
press "$(windows | head -n 1)" Return   # "Uninstall" on the confirmation page
# Its message about the kept Main.ini comes over the progress page.
two_windows() { [ "$(windows | wc -l)" -ge 2 ]; }
wait_until 60 two_windows || { import -window root /tmp/nv-uninst-fail.png; fail "the uninstaller does not say that Main.ini was kept: $(windows | wc -l) windows"; }
only_main_ini || fail "the message came before the files were removed"
press "$(windows | tail -n 1)" Return
back_to_one() { [ "$(windows | wc -l)" -eq 1 ]; }
wait_until 30 back_to_one || fail "the message did not close"
press "$(windows | head -n 1)" Return   # "Close"
no_window() { [ -z "$(windows)" ]; }
wait_until 30 no_window || fail "the uninstaller did not close"
wait $uninstaller 2>/dev/null
wait_until 30 key_gone || fail "uninstall entry still present"
cmp -s "$dir/Main.ini" "$work/Main.ini" || fail "the uninstaller changed Main.ini"
echo "uninstall by hand said Main.ini was kept, and removed the rest"

# --- the packages' contents -------------------------------------------------
listing() { 7z l -ba "$1" | awk '{print $NF}' | sort | tr '\n' ' '; }
machine() { # archive member -> PE machine of the member
  rm -rf "$work/x"; mkdir -p "$work/x"
  7z e -y -bso0 -bsp0 -o"$work/x" "$1" "$2" >/dev/null || return 1
  x86_64-w64-mingw32-objdump -f "$work/x/$(basename "$2")" | sed -n 's/.*file format //p'
}
for arch in 32 64; do
  setup_var=setup$arch zip_var=zip$arch
  setup=${!setup_var} zip=${!zip_var}
  want=$([ $arch = 32 ] && echo pei-i386 || echo pei-x86-64)
  got=$(listing "$setup")
  for f in Nookvale.exe Nookvale.mdb Uninstall.exe; do
    [[ " $got" == *" $f "* ]] || fail "$setup lacks $f (has: $got)"
  done
  [[ "$got" != *Main.ini* ]] || fail "$setup ships a Main.ini"
  [ "$(machine "$setup" Nookvale.exe)" = "$want" ] || fail "$setup holds no $want program"
  [ "$(listing "$zip")" = "Nookvale Nookvale/Nookvale.exe Nookvale/Nookvale.mdb " ] ||
    fail "$zip holds: $(listing "$zip")"
  [ "$(machine "$zip" Nookvale/Nookvale.exe)" = "$want" ] || fail "$zip holds no $want program"
  stub=$(7z l "$setup" | sed -n 's/^SubType = //p')
  echo "win$arch: $(basename "$setup") ($stub), $(basename "$zip"): $got"
done
[[ "$(7z l "$setup64" | sed -n 's/^SubType = //p')" == *64-bit* ]] || fail "the 64-bit installer has a 32-bit stub"
echo "installer test passed"
