#!/bin/sh
# "Dispersion..." and "Make %" in a real window under a virtual X server at
# 1366 x 768, as a person uses them:
# - the tour 7-iron (120 mph, 16.3 degrees, 7097 rpm) on hole 2 in the
#   realistic physics: Dispersion... beside Sweep..., Run with the dialog's
#   own spread and 1000 shots; a screenshot with the dialog, then one of the
#   window with the dialog moved away (the points and ellipses over the plan
#   view, the summary in the "Shot data" panel);
# - the hole-1 putt example: Read, then Make %; a screenshot of the plan
#   view zoomed in about the cup.
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

sed -e 's/^TeeBallSpeed: .*/TeeBallSpeed: 120.00000000/' \
    -e 's/^TeeLaunchAngle: .*/TeeLaunchAngle: 16.30000000/' \
    -e 's/^TeeBackSpin: .*/TeeBackSpin: 7097.00000000/' \
    "$here/examples/hole2-teeshot.txt" > "$scratch/hole2-7iron.txt"
cp "$here/examples/hole1-putt.txt" "$scratch/hole1-putt.txt"
export bindir shots scratch xwindow

# Places in the window at the top left corner of a 1366 x 768 screen: the
# buttons beside Swing and Read, and the plan view.
xvfb-run -a -s "-screen 0 1366x768x24" sh -eu -c '
    . "$xwindow"
    QMX_SWING_MODE=realistic
    export QMX_SWING_MODE
    open_window "$scratch/hole2-7iron.txt"
    sleep 2
    import -window root "$shots/tee-before.png"
    xdotool mousemove --window "$wid" 280 467 click 1
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

    unset QMX_SWING_MODE
    open_window "$scratch/hole1-putt.txt"
    sleep 2
    import -window root "$shots/putt-before.png"
    xdotool mousemove --window "$wid" 194 632 click 1
    sleep 5
    xdotool mousemove --window "$wid" 281 632 click 1
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
