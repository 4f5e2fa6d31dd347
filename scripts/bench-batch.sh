#!/usr/bin/env bash
# Times Parview's batch mode (`Parview MODEL -swing S -putt P`, offscreen: a
# swing, a putt, three pictures, two data files) on the default model against
# what it cannot do without: the yardstick (bench/batch_yardstick.cpp, a bare
# Qt Widgets program that starts offscreen and saves three PNGs of the views'
# size) plus two Trajex runs of the same model. All run in turn, after a
# warm-up, the model restored before each; prints the medians and the ratio
# batch / (yardstick + two Trajex runs). Target: at most 1.5.
#
# Usage: scripts/bench-batch.sh [release build directory]
# RUNS=N sets the number of timed rounds (default 21).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release-bench}
runs=${RUNS:-21}

# Configured every time with every setting given, so that an old cache or
# flags from the environment cannot slip another build in.
env -u CXXFLAGS -u CFLAGS -u LDFLAGS -u CPPFLAGS \
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS= \
        -DCMAKE_EXE_LINKER_FLAGS= -DQUILLMOOR_GUI=ON -DQUILLMOOR_TESTS=OFF \
        -DQUILLMOOR_BENCH=ON -DQUILLMOOR_FUZZ=OFF -DQUILLMOOR_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target Parview Trajex batch_yardstick >/dev/null
bin=$build/bin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gcc -O2 -o "$work/runpair" "$top/bench/runpair.c"
cp "$top/examples/hole1-teeshot.txt" "$work/model.txt" # the default model
cp "$work/model.txt" "$work/in.txt"
cd "$work"
export QT_QPA_PLATFORM=offscreen
# A runtime directory of their own, so that Qt does not warn on every start.
mkdir -m 700 runtime
export XDG_RUNTIME_DIR=$work/runtime

# The pictures' size, from the PNG header of a first batch run.
cp model.txt batch.txt
"$bin/Parview" batch.txt -swing s.txt -putt p.txt >/dev/null
read -r width height < <(od -An -tu1 -j16 -N8 swing.png |
  awk '{print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8}')

# Parview rewrites its model file with the result, so each run starts from a copy.
load0=$(cut -d' ' -f1-3 /proc/loadavg)
./runpair "$runs" --copy model.txt batch.txt \
  "$bin/Parview" batch.txt -swing s.txt -putt p.txt \
  -- "$bin/batch_yardstick" "$width" "$height" \
  -- "$bin/Trajex" in.txt out1.txt \
  -- "$bin/Trajex" in.txt out2.txt > times
load1=$(cut -d' ' -f1-3 /proc/loadavg)

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
bw=$(awk '{print $1}' times | median)
bc=$(awk '{print $2}' times | median)
yw=$(awk '{print $3}' times | median)
tw=$(awk '{print ($5 + $7) / 2}' times | median)
# The yardstick side of each round, so that one slow run counts once.
sw=$(awk '{print $3 + $5 + $7}' times | median)
sc=$(awk '{print $4 + $6 + $8}' times | median)
echo "$runs rounds on $(nproc) cores, load average $load0 before, $load1 after"
echo "pictures ${width}x${height}"
awk -v bw="$bw" -v bc="$bc" -v yw="$yw" -v tw="$tw" -v sw="$sw" -v sc="$sc" 'BEGIN {
  printf "yardstick median %.1f ms, Trajex median %.1f ms, yardstick + 2 Trajex median %.1f ms\n",
         yw / 1e3, tw / 1e3, sw / 1e3
  printf "CPU time: batch median %.1f ms, yardstick + 2 Trajex median %.1f ms, ratio %.2f\n",
         bc / 1e3, sc / 1e3, bc / sc
  printf "batch median %.1f ms, ratio %.2f (target <= 1.50)\n", bw / 1e3, bw / sw }'
