#!/usr/bin/env bash
# Runs the whole test suite: the normal build, then the same tests built with
# address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
for preset in dev asan; do
  echo "== $preset build =="
  bash scripts/build.sh "$preset"
  echo "== $preset tests =="
  ctest --preset "$preset" -j "$(nproc)" --timeout 300 || status=1
done
echo "== fuzzing, ${FUZZ_SECONDS:-60}s per target =="
bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}" || status=1
exit $status
