#!/usr/bin/env bash
# Runs the whole test suite: the normal build and its Debian package, then the
# same tests built with address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
passed=0
failed=0
# Minutes and seconds since the start, so a slow phase shows in the CI log.
elapsed() { printf '(%d:%02d)' $((SECONDS / 60)) $((SECONDS % 60)); }
for preset in dev asan; do
  echo "== $preset build == $(elapsed)"
  bash scripts/build.sh "$preset"
  echo "== $preset tests == $(elapsed)"
  log=$(mktemp)
  ctest --preset "$preset" -j "$(nproc)" --timeout 300 | tee "$log" || status=1
  summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  rm -f "$log"
  if [ -z "$summary" ]; then
    status=1
    continue
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  if [ "$preset" = dev ]; then
    # Packages the dev build's programs rather than building them again.
    echo "== Debian package == $(elapsed)"
    if bash scripts/test-package.sh build/dev; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      status=1
    fi
  fi
done
echo "== fuzzing, ${FUZZ_SECONDS:-20}s per target == $(elapsed)"
if FUZZ_QUICK=1 bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"; then
  passed=$((passed + 2))
else
  failed=$((failed + 1))
  status=1
fi
echo "Summary: $passed passed, $failed failed $(elapsed)"
exit $status
