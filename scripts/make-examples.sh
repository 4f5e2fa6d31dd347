#!/usr/bin/env bash
# Regenerates the example models in examples/ with the model's own writer.
# Usage: scripts/make-examples.sh [build directory]   (default: build/examples)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/examples}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DQUILLMOOR_GUI=OFF -DQUILLMOOR_BENCH=OFF -DQUILLMOOR_TESTS=OFF
fi
cmake --build "$build" -j2 --target make_examples
"$build/bin/make_examples" "$top/examples"
ls "$top/examples"
