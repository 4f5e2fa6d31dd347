#!/usr/bin/env bash
# The demo: builds the programs, then plays a tee shot and a putt on hole 1.
# With a display it opens Parview's window; without one it runs Parview in
# batch mode and writes swing.png, swing_puttview.png and putt.png into demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh release

bin=$PWD/build/release/bin
out=$PWD/demo
mkdir -p "$out"
cp examples/hole1-teeshot.txt "$out/demo-model.txt"

echo "Trajex on examples/hole1-teeshot.txt:"
"$bin/Trajex" examples/hole1-teeshot.txt "$out/hole1-teeshot.out"
echo "  wrote $out/hole1-teeshot.out ($(grep -c '^ *[0-9]*,' "$out/hole1-teeshot.out") trajectory lines)"

if [ -n "${DISPLAY:-}" ] && [ "${DEMO_BATCH:-0}" != 1 ]; then
  echo "Opening Parview on $out/demo-model.txt"
  exec "$bin/Parview" "$out/demo-model.txt"
fi

cd "$out"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
  "$bin/Parview" demo-model.txt -swing swing-result.txt -putt putt-result.txt
for f in swing.png swing_puttview.png putt.png swing-result.txt putt-result.txt; do
  echo "  wrote $out/$f"
done
