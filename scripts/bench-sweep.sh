#!/usr/bin/env bash
# A sweep in process against separate Trajex runs, side by side: 1000 complex
# tee shots (TeeLaunchAngle 5 to 54.95 by 0.05 on examples/hole1-teeshot.txt)
# as one `Shotlab sweep --jobs 2` and as 1000 Trajex runs of the same model,
# in ROUNDS alternating rounds (default 5); prints each round's ratio (target
# <= 0.05, 1/20), the median, the machine and its load.
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

jobs=${JOBS:-2}
rounds=${ROUNDS:-5}
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Rounds take turns (1000 Trajex runs, then the sweep), so that load from
# other programs hits both sides alike; the ratio of each round is printed,
# then the median. EPOCHREALTIME (microseconds) is a bash builtin: no extra
# process is timed.
for ((r = 1; r <= rounds; r++)); do
  t0=${EPOCHREALTIME/[.,]/}
  for ((i = 0; i < runs; i++)); do
    "$build/bin/Trajex" "$model" "$work/out.txt"
  done
  t1=${EPOCHREALTIME/[.,]/}
  # %e wall seconds, %P CPU use, %M peak resident kilobytes.
  /usr/bin/time -f "%e %P %M" -o "$work/time" "$build/bin/Shotlab" "${sweep[@]}" \
    --jobs "$jobs" --csv "$work/sweep.csv"
  [ "$(wc -l < "$work/sweep.csv")" -eq $((runs + 1)) ] || { echo "sweep rows missing" >&2; exit 1; }
  read -r wall cpu rss < "$work/time"
  awk -v t="$((t1 - t0))" -v s="$wall" -v c="$cpu" -v m="$rss" -v n="$runs" -v r="$r" \
      -v j="$jobs" -v load="$(cut -d' ' -f1 /proc/loadavg)" 'BEGIN {
    printf "round %d: %d Trajex runs %.2f s (%.1f ms each), sweep --jobs %d %.2f s (CPU %s, peak %.0f MB), ratio %.3f, load %s\n",
           r, n, t / 1e6, t / 1e3 / n, j, s, c, m / 1024, s / (t / 1e6), load }'
done | tee "$work/rounds"
sed -E 's/.*ratio ([0-9.]+).*/\1/' "$work/rounds" | sort -n |
  awk '{ v[NR] = $1 } END { printf "ratio: median %.3f, range %.3f to %.3f (target <= 0.050)\n", v[int((NR + 1) / 2)], v[1], v[NR] }'
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

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
