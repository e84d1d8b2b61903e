#!/usr/bin/env bash
# Fails when an executable imports a DLL that is not part of Windows: such a
# program would not start on a user's machine (or under Wine) without files
# we do not ship.
set -euo pipefail
objdump=$1; shift
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|advapi32|ole32|oleaut32|winmm|psapi|wininet|msvcrt|ws2_32|imm32|msimg32|uxtheme|version|bcrypt|crypt32|api-ms-win-.*)\.dll$'
bad=0
for exe in "$@"; do
  while read -r dll; do
    lower=$(echo "$dll" | tr 'A-Z' 'a-z')
    if ! [[ $lower =~ $allowed ]]; then
      echo "$(basename "$exe") imports $dll"
      bad=1
    fi
  done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
exit $bad
