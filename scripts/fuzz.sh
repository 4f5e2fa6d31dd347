#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of
# seconds (default 60) on its corpus; fails on any crash, hang, leak or
# sanitizer report.  Usage: scripts/fuzz.sh [seconds] [target...]
# With FUZZ_GROW=1 the inputs found are kept: the committed corpus is replaced
# by a minimised merge of itself and the new inputs. With FUZZ_QUICK=1 (the
# test suite) the corpus is replayed on every core and the fuzzing starts
# from the seeds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=build/fuzz
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_datafile fuzz_trajex)
# Only the targets and what they link (not Shotlab and its parsers); line
# tables are all a crash report needs.
CC=clang CXX=clang++ cmake -S . -B $build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DQUILLMOOR_FUZZ=ON -DQUILLMOOR_SANITIZE=ON -DQUILLMOOR_GUI=OFF \
  -DQUILLMOOR_TESTS=OFF -DQUILLMOOR_BENCH=OFF >/dev/null
cmake --build $build -j "$(nproc)" --target "${targets[@]}" >/dev/null
for t in "${targets[@]}"; do
  [ -x "$build/bin/$t" ] || { echo "no fuzz target $t" >&2; exit 1; }
  corpus=fuzz/corpus/${t#fuzz_}
  mkdir -p "$corpus"
  work=$(mktemp -d)
  failed() { tail -40 "$work/log"; echo "fuzz target $t failed; artifacts in $work" >&2; exit 1; }
  start=("$corpus")
  if [ "${FUZZ_QUICK:-0}" = 1 ]; then
    # libFuzzer replays a corpus on one core before it fuzzes, and some
    # Trajex inputs take a second each: replay it on every core instead, then
    # fuzz from the seeds.
    echo "== $t: the corpus's $(ls "$corpus" | wc -l) inputs"
    find "$corpus" -type f -print0 | xargs -0 -r -P "$(nproc)" -n 10 "$build/bin/$t" \
      -timeout=120 -rss_limit_mb=512 -artifact_prefix="$work/" 2>"$work/log" || failed
    start=()
  fi
  echo "== $t for ${seconds}s"
  # New inputs go to a scratch directory; the committed corpus stays as it is
  # unless FUZZ_GROW=1.
  "$build/bin/$t" "$work" "${start[@]}" fuzz/seeds -max_total_time="$seconds" -timeout=120 \
    -rss_limit_mb=512 -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/" \
    2>"$work/log" || failed
  grep -E 'stat::number_of_executed_units|cov:' "$work/log" | tail -2
  if [ "${FUZZ_GROW:-0}" = 1 ]; then
    merged=$(mktemp -d)
    "$build/bin/$t" -merge=1 -timeout=120 -rss_limit_mb=512 "$merged" "$corpus" "$work" >/dev/null 2>&1
    rm -rf "$corpus" && mkdir -p "$corpus" && cp "$merged"/* "$corpus"/ 2>/dev/null || true
    rm -rf "$merged"
    echo "corpus $corpus: $(ls "$corpus" | wc -l) inputs"
  fi
  rm -rf "$work"
done
