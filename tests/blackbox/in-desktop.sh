#!/usr/bin/env bash
# Runs a gtest executable inside a Wine virtual desktop of the given size
# (where display modes can be switched) and checks its XML report: Wine's
# explorer does not pass the program's exit code on.
# Usage: in-desktop.sh WIDTHxHEIGHT test.exe gtest-filter
set -uo pipefail
size=$1 exe=$2 filter=$3
report=$(mktemp /tmp/nv-desktop-XXXXXX.xml)
rm -f "$report"
name="nvtest$$"
cd "$(dirname "$exe")"
/usr/lib/wine/wine64 explorer "/desktop=$name,$size" "$(basename "$exe")" --gtest_filter="$filter" \
  "--gtest_output=xml:Z:${report//\//\\}"
# Let the desktop's explorer go away before the next test starts its own.
sleep 1
if [ ! -s "$report" ]; then echo "no test report: the program did not run in the desktop"; exit 1; fi
tests=$(sed -n 's/.*<testsuites tests="\([0-9]*\)".*/\1/p' "$report" | head -n 1)
failures=$(sed -n 's/.*<testsuites tests="[0-9]*" failures="\([0-9]*\)".*/\1/p' "$report" | head -n 1)
grep -E '<testcase|<failure|<skipped' "$report" | sed 's/^ */  /'
rm -f "$report"
[ "${tests:-0}" -gt 0 ] && [ "${failures:-1}" -eq 0 ]
