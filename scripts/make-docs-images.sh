#!/bin/sh
# Renders the pictures of docs/ from a build:
#   docs/swing.png, docs/putt.png  a batch swing and putt on examples/hole4-teeshot.txt
#   docs/parview-window.png        the window after a swing, under a virtual X server
#   docs/read-putt-band.png        the plan view after Read (scripts/make-read-image.sh)
#
#   scripts/make-docs-images.sh <directory holding Parview and Trajex>
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
bindir=$(cd "${1:?usage: $0 <bin dir>}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$here/docs"

cp "$here/examples/hole4-teeshot.txt" "$scratch/model.txt"
(cd "$scratch" && QT_QPA_PLATFORM=offscreen "$bindir/Parview" model.txt -swing -putt)
cp "$scratch/swing.png" "$here/docs/swing.png"
cp "$scratch/putt.png" "$here/docs/putt.png"

"$here/scripts/test-gui-xvfb.sh" "$bindir" "$scratch/screen.png"
# The window sits at the top left corner at its initial size.
convert "$scratch/screen.png" -crop 1023x757+0+0 +repage "$here/docs/parview-window.png"
"$here/scripts/make-read-image.sh" "$bindir"
echo "wrote docs/swing.png docs/putt.png docs/parview-window.png"
