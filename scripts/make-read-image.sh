#!/bin/sh
# Renders docs/read-putt-band.png: the plan view after "Read" on the hole-1
# putt example, zoomed in on the band of holing lines, in a real window under
# a virtual X server.
#
#   scripts/make-read-image.sh <directory holding Parview and Trajex> [screenshot.png]
#
# The optional second argument keeps the whole screenshot as well.
# Needs xvfb-run, xauth, xdotool and ImageMagick (import, convert).
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
bindir=$(cd "${1:?usage: $0 <bin dir> [screenshot.png]}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
shot=${2:-$scratch/screen.png}
# A copy: the window's working files go beside its model file.
cp "$here/examples/hole1-putt.txt" "$scratch/hole1-putt.txt"
xwindow=$here/scripts/xwindow.sh
. "$xwindow"
private_session
export bindir shot scratch xwindow

xvfb-run -a -s "-screen 0 1280x800x24" sh -eu -c '
    . "$xwindow"
    open_window "$scratch/hole1-putt.txt"
    sleep 3
    # "Read" sits right of "Putt" at the foot of the putt controls of the
    # window at its initial size, the controls scrolled to their bottom (the
    # wheel over the column of labels); a read takes well under a second.
    xdotool mousemove --window "$wid" 40 300 click --repeat 15 --delay 30 5
    sleep 0.5
    xdotool mousemove --window "$wid" 200 657 click 1
    sleep 6
    # Zoom in about the middle of the band, 1.2 times per notch.
    xdotool mousemove --window "$wid" 640 172
    for notch in 1 2 3 4 5 6 7 8; do xdotool click 4; sleep 0.3; done
    sleep 1
    import -window root "$shot"
    close_window
'

[ -s "$shot" ] || { echo "FAIL: no screenshot" >&2; exit 1; }
# The plan view of the window at the top left corner.
convert "$shot" -crop 663x299+351+10 +repage "$here/docs/read-putt-band.png"
echo "wrote docs/read-putt-band.png"
