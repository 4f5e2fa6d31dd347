#!/bin/sh
# "Sweep..." in a real window under a virtual X server, as a person uses it:
# opens the dialog from its button, adds the second range (back spin beside
# the launch angle, both around the controls' values), runs the 121 shots,
# saves them as CSV through the file dialog, saves the model, and checks the
# CSV against `Shotlab sweep --csv` on that model, byte for byte.
#
#   scripts/shoot-sweep.sh <directory holding Parview and Shotlab> [directory for the screenshots]
#
# The screenshots (the dialog over the window when the run is done, then the
# views and the "Shot data" panel with the dialog moved away) are for looking
# at. Needs xvfb-run, xauth, xdotool and ImageMagick (import).
set -eu

bindir=$(cd "${1:?usage: $0 <bin dir> [screenshot dir]}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
shots=${2:-$scratch/shots}
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
xwindow=$(cd "$(dirname "$0")" && pwd)/xwindow.sh
. "$xwindow"
private_session
export bindir shots scratch xwindow

xvfb-run -a -s "-screen 0 1280x800x24" sh -eu -c '
    . "$xwindow"
    open_window
    sleep 2
    # "Sweep..." sits beside "Swing", in the window laid out at its initial size.
    xdotool mousemove --window "$wid" 197 565 click 1
    did=$(xdotool search --sync --onlyvisible --name "^Sweep$" | head -n 1)
    sleep 1
    eval $(xdotool getwindowgeometry --shell "$did")
    # Places in the dialog: the "and" box of the second range, then Run and
    # Save CSV, whose row of buttons keeps to the right edge.
    xdotool mousemove $((X + 17)) $((Y + 70)) click 1
    sleep 0.5
    xdotool mousemove $((X + WIDTH - 325)) $((Y + 146)) click 1
    sleep 6
    import -window root "$shots/sweep-dialog.png"
    xdotool mousemove $((X + WIDTH - 145)) $((Y + 146)) click 1
    sleep 2
    xdotool key ctrl+a
    xdotool type --delay 20 "$scratch/window.csv"
    xdotool key Return
    sleep 1.5
    xdotool windowmove "$did" 1500 1500
    sleep 1
    import -window root "$shots/sweep-views.png"
    # Save, for a model without a file: the Save As dialog.
    xdotool mousemove --window "$wid" 92 21 click 1
    sleep 2
    xdotool key ctrl+a
    xdotool type --delay 20 "$scratch/model.txt"
    xdotool key Return
    sleep 1.5
    close_window
'

fail() { echo "FAIL: $*" >&2; exit 1; }

[ -s "$scratch/window.csv" ] || fail "no CSV saved from the dialog"
[ -s "$scratch/model.txt" ] || fail "no model saved"
"$bindir/Shotlab" sweep "$scratch/model.txt" --vary TeeLaunchAngle=40:50:1 \
    --vary TeeBackSpin=3500:4500:100 --csv "$scratch/lab.csv"
cmp "$scratch/lab.csv" "$scratch/window.csv" || fail "the dialog's CSV differs from Shotlab's"
[ "$(wc -l < "$scratch/window.csv")" -eq 122 ] || fail "not 121 rows and a header"
echo "CSV: 121 rows, the same as Shotlab sweep --csv"
echo "screenshots: $shots/sweep-dialog.png $shots/sweep-views.png"
