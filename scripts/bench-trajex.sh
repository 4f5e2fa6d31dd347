#!/usr/bin/env bash
# Times a whole Trajex run on the default model (read, 12,463-point tee shot,
# write about 0.6 MB) against the printf floor (bench/printf_floor.c, a C
# program that runs as many cheap steps and writes the same lines with fprintf).
# Both run alternately, after a warm-up; prints the medians and their ratio.
# Target: Trajex/floor wall-time ratio <= 0.6.
#
# Usage: scripts/bench-trajex.sh [release build directory] [printf_floor.c]
# RUNS=N sets the number of timed rounds (default 51).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/trajex-release}
floor_src=${2:-$top/bench/printf_floor.c}
runs=${RUNS:-51}

# Configured every time with every setting given, so that an old cache or
# CXXFLAGS/LDFLAGS from the environment cannot slip another build in.
env -u CXXFLAGS -u CFLAGS -u LDFLAGS -u CPPFLAGS \
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS= \
        -DCMAKE_EXE_LINKER_FLAGS= -DQUILLMOOR_GUI=OFF -DQUILLMOOR_TESTS=OFF \
        -DQUILLMOOR_BENCH=OFF -DQUILLMOOR_FUZZ=OFF -DQUILLMOOR_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target Trajex >/dev/null
trajex=$build/bin/Trajex
flags=$(sed -n 's/^CXX_FLAGS = //p' "$build/sim/CMakeFiles/Trajex.dir/flags.make")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The floor is built as an ordinary optimised C program.
env -u CFLAGS -u LDFLAGS gcc -O2 -o "$work/floor" "$floor_src" -lm
gcc -O2 -o "$work/runpair" "$top/bench/runpair.c"
cp "$top/examples/hole1-teeshot.txt" "$work/in.txt" # the default model

load0=$(cut -d' ' -f1-3 /proc/loadavg)
"$work/runpair" "$runs" "$trajex" "$work/in.txt" "$work/out.txt" \
  -- "$work/floor" "$work/floor.out" > "$work/times"
load1=$(cut -d' ' -f1-3 /proc/loadavg)

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
tw=$(cut -d' ' -f1 "$work/times" | median)
tc=$(cut -d' ' -f2 "$work/times" | median)
fw=$(cut -d' ' -f3 "$work/times" | median)
fc=$(cut -d' ' -f4 "$work/times" | median)
echo "$runs rounds on $(nproc) cores, load average $load0 before, $load1 after"
echo "Trajex compiled with: $flags"
echo "Trajex $(stat -c %s "$work/out.txt") bytes, floor $(stat -c %s "$work/floor.out") bytes"
awk -v tw="$tw" -v fw="$fw" -v tc="$tc" -v fc="$fc" 'BEGIN {
  printf "CPU time: Trajex median %.2f ms, printf floor median %.2f ms, ratio %.2f\n",
         tc / 1e3, fc / 1e3, tc / fc
  printf "Trajex median %.2f ms, printf floor median %.2f ms, ratio %.2f (target <= 0.60)\n",
         tw / 1e3, fw / 1e3, tw / fw }'
