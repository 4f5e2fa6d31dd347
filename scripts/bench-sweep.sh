#!/usr/bin/env bash
# A sweep in process against separate Trajex runs, side by side: 1000 complex
# tee shots (TeeLaunchAngle 5 to 54.95 by 0.05 on examples/hole1-teeshot.txt)
# as one `Shotlab sweep` (median of 3) and as 1000 Trajex runs of the same
# model, then the ratio (target <= 0.05, 1/20), the sweep's CPU use (about
# 100 % per core when all cores are busy) and its peak memory.
# With MEMORY=1 also the peak memory of a 100,000-point sweep (target < 200 MB),
# written as CSV and printed as a table.
# Usage: scripts/bench-sweep.sh [release build directory]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/sweep-release}
runs=1000

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLMOOR_GUI=OFF \
        -DQUILLMOOR_TESTS=OFF -DQUILLMOOR_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j2 --target Trajex Shotlab >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
model=$top/examples/hole1-teeshot.txt
sweep=(sweep "$model" --vary TeeLaunchAngle=5:54.95:0.05)

# EPOCHREALTIME (microseconds) is a bash builtin: no extra process is timed.
t0=${EPOCHREALTIME/[.,]/}
for ((i = 0; i < runs; i++)); do
  "$build/bin/Trajex" "$model" "$work/out.txt"
done
t1=${EPOCHREALTIME/[.,]/}
trajex=$((t1 - t0))

# %e wall seconds, %P CPU use, %M peak resident kilobytes.
for i in 1 2 3; do
  /usr/bin/time -f "%e %P %M" -o "$work/time$i" "$build/bin/Shotlab" "${sweep[@]}" \
    --csv "$work/sweep.csv"
  cat "$work/time$i"
done | sort -n > "$work/times"
read -r wall cpu rss < <(sed -n 2p "$work/times")
[ "$(wc -l < "$work/sweep.csv")" -eq $((runs + 1)) ] || { echo "sweep rows missing" >&2; exit 1; }

awk -v t="$trajex" -v s="$wall" -v c="$cpu" -v m="$rss" -v n="$runs" -v cores="$(nproc)" 'BEGIN {
  printf "%d Trajex runs: %.2f s (%.1f ms each)\n", n, t / 1e6, t / 1e3 / n
  printf "Shotlab sweep of %d points: %.2f s (median of 3), CPU %s on %d cores, peak %.0f MB\n",
         n, s, c, cores, m / 1024
  printf "ratio %.3f (target <= 0.050)\n", s / (t / 1e6) }'

if [ "${MEMORY:-0}" = 1 ]; then
  big=(sweep "$model" --vary TeeLaunchAngle=5:54.95:0.05 --vary TeeBackSpin=1000:10900:100)
  /usr/bin/time -f "%e %P %M" -o "$work/big-csv" "$build/bin/Shotlab" "${big[@]}" \
    --csv "$work/big.csv"
  /usr/bin/time -f "%e %P %M" -o "$work/big-table" "$build/bin/Shotlab" "${big[@]}" \
    > "$work/big.txt"
  for kind in csv table; do
    read -r wall cpu rss < "$work/big-$kind"
    printf "100,000 points as %s: %.1f s, CPU %s, peak %.0f MB (target < 200 MB)\n" \
           "$kind" "$wall" "$cpu" "$((rss / 1024))"
  done
fi
