#!/usr/bin/env bash
# Builds the optimised native tree and runs every benchmark (or those named).
# Each benchmark prints its results as ratios against a reference measured in
# the same run, so the numbers mean the same on any machine.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
cmake --preset native-release >/dev/null
cmake --build build/native-release -j"$(nproc)"
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for d in bench/*/; do [ -f "$d/main.cpp" ] && names+=("$(basename "$d")"); done
fi
for n in "${names[@]}"; do
  echo "=== bench_$n"
  "build/native-release/bench/bench_$n"
done
