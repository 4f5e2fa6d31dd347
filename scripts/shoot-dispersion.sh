#!/bin/sh
# "Dispersion..." and "Make %" in a real window under a virtual X server at
# 1366 x 768, as a person uses them:
# - Realistic in the Physics list, hole 2, and the 7-iron of the installed
#   tour table in the Club list (120 mph, 16.3 degrees, 7097 rpm); then
#   Dispersion... beside Sweep..., Run with the dialog's own spread and 1000
#   shots; a screenshot with the dialog, then one of the window with the
#   dialog moved away (the points and ellipses over the plan view, the
#   summary in the "Shot data" panel);
# - the hole-1 putt example: Read, then Make %; a screenshot of the plan
#   view zoomed in about the cup.
#
# The lists are opened with the mouse and an entry chosen with the keys.
#
#   scripts/shoot-dispersion.sh <directory holding Parview> [directory for the screenshots]
#
# Checks that the points are drawn over the plan view after each run (its
# pixels of the landing points' orange, or of the final points' blue) and
# that none were there before. Needs xvfb-run, xauth, xdotool and
# ImageMagick (import, convert).
set -eu

bindir=$(cd "${1:?usage: $0 <bin dir> [screenshot dir]}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
shots=${2:-$scratch/shots}
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
xwindow=$here/scripts/xwindow.sh
. "$xwindow"
private_session

cp "$here/examples/hole1-putt.txt" "$scratch/hole1-putt.txt"
# The user's bags, which the Bag list shows, go to the scratch directory too.
XDG_DATA_HOME=$scratch/data
export XDG_DATA_HOME bindir shots scratch xwindow

# Places in the window at the top left corner of a 1366 x 768 screen, the
# panel scrolled to its top: the Physics, Hole and Club lists and the button
# beside Sweep...; scrolled to its bottom (the wheel over the column of
# labels): Read and Make %; and the plan view.
xvfb-run -a -s "-screen 0 1366x768x24" sh -eu -c '
    . "$xwindow"
    open_window
    sleep 2
    pick 220 249 R Return  # Physics: Realistic
    pick 220 71 Down Return # Hole #2
    pick 162 408 7 Return  # Club: 7-iron
    sleep 1
    import -window root "$shots/tee-before.png"
    xdotool mousemove --window "$wid" 279 565 click 1
    did=$(xdotool search --sync --onlyvisible --name "^Dispersion$" | head -n 1)
    sleep 1
    xdotool key Return
    sleep 6
    import -window root "$shots/dispersion-dialog.png"
    eval $(xdotool getwindowgeometry --shell "$did")
    echo "$X $Y $WIDTH $HEIGHT" > "$scratch/dialog-geometry"
    xdotool windowmove "$did" 1500 1500
    sleep 1
    import -window root "$shots/dispersion-views.png"
    close_window

    open_window "$scratch/hole1-putt.txt"
    sleep 2
    import -window root "$shots/putt-before.png"
    xdotool mousemove --window "$wid" 40 300 click --repeat 15 --delay 30 5
    sleep 0.5
    xdotool mousemove --window "$wid" 200 636 click 1
    sleep 5
    xdotool mousemove --window "$wid" 281 636 click 1
    sleep 5
    # Zoomed in about the cup, 1.2 times per notch, where the putts end.
    xdotool mousemove --window "$wid" 681 153
    for notch in 1 2 3 4 5 6 7 8 9 10; do xdotool click 4; sleep 0.3; done
    sleep 1
    import -window root "$shots/make-percent.png"
    close_window
'

fail() { echo "FAIL: $*" >&2; exit 1; }

# Pixels of the plan view within a little of a colour.
near() { # <shot> <r,g,b>
    convert "$shots/$1.png[661x287+352+11]" -fill black -fuzz 4% +opaque "rgb($2)" \
        -fill white -opaque "rgb($2)" -format '%[fx:round(mean*w*h)]' info:
}
orange=255,152,0
blue=33,33,160
[ "$(near tee-before $orange)" -eq 0 ] || fail "orange in the plan view before the run"
rings=$(near dispersion-views $orange)
[ "$rings" -gt 500 ] || fail "the landing points are not drawn ($rings pixels)"
dots=$(near make-percent $blue)
[ "$(near putt-before $blue)" -lt "$dots" ] || fail "the putts' final points are not drawn"
echo "plan view: $rings pixels of landing points after the tee shots, $dots of final points after Make %"
echo "screenshots: $shots/dispersion-dialog.png $shots/dispersion-views.png $shots/make-percent.png"
echo "dialog at $(cat "$scratch/dialog-geometry")"
