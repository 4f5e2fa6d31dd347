#!/bin/sh
# Renders the pictures of docs/ from a build:
#   docs/swing.png, docs/putt.png  a batch swing and putt on examples/hole4-teeshot.txt
#   docs/parview-window.png        the window after a swing compared with a steeper
#                                  one, under a virtual X server
#   docs/parview-shot-data.png     its "Shot data" panel
#   docs/parview-clubs.png         the window after a realistic Driver on hole 4
#                                  (scripts/shoot-clubs.sh)
#   docs/read-putt-band.png        the plan view after Read (scripts/make-read-image.sh)
#   docs/parview-sweep.png         the window after Sweep... (scripts/shoot-sweep.sh)
#   docs/sweep-carry.png, docs/sweep-traces.png
#                                  the chart and the overlaid paths of the worked
#                                  example in the README's "Sweeps"
#   docs/dispersion-putt.png       the spread of 2000 putts on hole 1 (README's
#                                  "Dispersion")
#   docs/dispersion-9iron.png      the tour 9-iron's 1000 shots on hole 2, and
#   docs/parview-dispersion.png    the 7-iron's in the window after Dispersion...
#   docs/parview-make-percent.png  the window after Read and Make % on the hole-1
#                                  putt (scripts/shoot-dispersion.sh)
#   docs/realistic-carry.png       the realistic physics' carry against the tour
#                                  table (range_chart, built on demand: cmake
#                                  --build <build> --target range_chart)
#
#   scripts/make-docs-images.sh <directory holding Parview, Trajex and Shotlab>
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

# The default tee shot of hole 1 launched at 32 degrees instead of 45.
sed 's/^TeeLaunchAngle: .*/TeeLaunchAngle: 32.00000000/' "$here/examples/hole1-teeshot.txt" \
    > "$scratch/launch32.txt"
"$bindir/Trajex" "$scratch/launch32.txt" "$scratch/hole1-launch32.out"

"$here/scripts/shoot-window.sh" "$bindir" "$scratch/screen.png" "$scratch/hole1-launch32.out"
# The window sits at the top left corner of a black screen, the panel at its
# right edge.
convert "$scratch/screen.png" -bordercolor black -border 1 -trim +repage \
    "$here/docs/parview-window.png"
convert "$here/docs/parview-window.png" -gravity NorthEast -crop 240x265+0+0 +repage \
    "$here/docs/parview-shot-data.png"
"$here/scripts/shoot-clubs.sh" "$bindir" "$scratch/clubs.png" >/dev/null
convert "$scratch/clubs.png" -bordercolor black -border 1 -trim +repage \
    "$here/docs/parview-clubs.png"
"$here/scripts/make-read-image.sh" "$bindir"
"$here/scripts/shoot-sweep.sh" "$bindir" "$scratch/sweep" >/dev/null
convert "$scratch/sweep/sweep-dialog.png" -bordercolor black -border 1 -trim +repage \
    "$here/docs/parview-sweep.png"

# Launch angle x back spin at 140 mph on hole 1: the carry and every path.
(cd "$here" && "$bindir/Shotlab" sweep examples/hole1-teeshot.txt \
    --vary TeeLaunchAngle=4:30:1 --vary TeeBackSpin=1000:6000:1000 \
    --vary TeeBallSpeed=140:140:1 --csv "$scratch/launch-spin.csv" \
    --chart carry_yd:docs/sweep-carry.png --plot docs/sweep-traces.png)
# 3 % speed and 1 degree aim spread on the hole 1 putt.
(cd "$here" && "$bindir/Shotlab" dispersion examples/hole1-putt.txt --shots 2000 \
    --sd PuttBallSpeed=3% --sd PuttTargetAngle=1 --plot docs/dispersion-putt.png >/dev/null)
# The worked example: the tour 7-iron (in the window) and 9-iron on hole 2 in
# the realistic physics, with a player's spread; then Make % after Read.
sed -e 's/^TeeBallSpeed: .*/TeeBallSpeed: 109/' -e 's/^TeeLaunchAngle: .*/TeeLaunchAngle: 20.4/' \
    -e 's/^TeeBackSpin: .*/TeeBackSpin: 8647/' "$here/examples/hole2-teeshot.txt" > "$scratch/9iron.txt"
"$bindir/Shotlab" dispersion "$scratch/9iron.txt" --physics realistic --shots 1000 \
    --sd TeeBallSpeed=2 --sd TeeLaunchAngle=1.5 --sd TeeBackSpin=500 --sd TeeTargetAngle=2 \
    --plot "$here/docs/dispersion-9iron.png" >/dev/null
"$here/scripts/shoot-dispersion.sh" "$bindir" "$scratch/dispersion" >/dev/null
for shot in dispersion-dialog:parview-dispersion make-percent:parview-make-percent; do
    convert "$scratch/dispersion/${shot%%:*}.png" -bordercolor black -border 1 -trim +repage \
        "$here/docs/${shot#*:}.png"
done
# The realistic physics against the measured tour averages.
"$bindir/range_chart" "$here/data/clubs/tour-men.csv" "$here/docs/realistic-carry.png"
echo "wrote docs/realistic-carry.png"
echo "wrote docs/swing.png docs/putt.png docs/parview-window.png docs/parview-shot-data.png" \
    "docs/parview-clubs.png" \
    "docs/read-putt-band.png docs/parview-sweep.png docs/sweep-carry.png docs/sweep-traces.png" \
    "docs/dispersion-putt.png docs/dispersion-9iron.png docs/parview-dispersion.png" \
    "docs/parview-make-percent.png"
