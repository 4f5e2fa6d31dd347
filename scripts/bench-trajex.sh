#!/usr/bin/env bash
# Times a whole Trajex run on the default model against the printf floor (a C
# program that only writes the same number of lines with printf): 25 runs of
# each, alternating, then the medians and their ratio. Target: ratio <= 0.6.
# Usage: scripts/bench-trajex.sh [release build directory] [printf_floor.c]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/trajex-release}
floor_src=${2:-$top/../shared/yardsticks/printf_floor.c}
runs=25

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLMOOR_GUI=OFF \
        -DQUILLMOOR_TESTS=OFF -DQUILLMOOR_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j2 --target Trajex >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gcc -O2 -o "$work/floor" "$floor_src" -lm
cp "$top/examples/hole1-teeshot.txt" "$work/in.txt" # the default model

# EPOCHREALTIME (microseconds) is a bash builtin: no extra process is timed.
for ((i = 0; i < runs; i++)); do
  t0=${EPOCHREALTIME/[.,]/}; "$build/bin/Trajex" "$work/in.txt" "$work/out.txt"
  t1=${EPOCHREALTIME/[.,]/}; "$work/floor" "$work/floor.out"
  t2=${EPOCHREALTIME/[.,]/}
  echo "$((t1 - t0)) $((t2 - t1))"
done > "$work/times"

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
trajex=$(cut -d' ' -f1 "$work/times" | median)
floor=$(cut -d' ' -f2 "$work/times" | median)
awk -v t="$trajex" -v f="$floor" 'BEGIN {
  printf "Trajex median %.2f ms, printf floor median %.2f ms, ratio %.2f (target <= 0.60)\n",
         t / 1e3, f / 1e3, t / f }'
