#!/bin/sh
# Rebuilds the picture generator and repaints resources/img/*.png.
# Usage: scripts/make-images.sh [build-dir]   (default /tmp/quillmoor-imagegen)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-/tmp/quillmoor-imagegen}
cmake -S "$root/scripts/imagegen" -B "$build" >/dev/null
cmake --build "$build" -j2
QT_QPA_PLATFORM=offscreen "$build/imagegen" "$root/resources/img"
echo "repainted $(ls "$root"/resources/img/*.png | wc -l) images in resources/img"
