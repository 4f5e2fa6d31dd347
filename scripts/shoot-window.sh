#!/bin/sh
# Takes a screenshot of Parview in a real window under a virtual X server, as
# the README shows it: presses "Swing" with the mouse and waits for the
# replay; given a result file, it first opens it for comparison ("Open
# Results..." and the file dialog). scripts/test-gui-xvfb.sh is the thorough
# check of the window; this one only makes sure the picture shows a drawn
# window after a successful run.
#
#   scripts/shoot-window.sh <directory holding Parview and Trajex> [screenshot.png [results]]
#
# Needs xvfb-run, xauth, xdotool and ImageMagick (import, identify).
set -eu

bindir=$(cd "${1:?usage: $0 <bin dir> [screenshot.png]}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
shot=${2:-$scratch/parview-window.png}
compare=${3:-}
[ -z "$compare" ] || compare=$(cd "$(dirname "$compare")" && pwd)/$(basename "$compare")

xwindow=$(cd "$(dirname "$0")" && pwd)/xwindow.sh
. "$xwindow"
private_session
export bindir shot scratch compare xwindow

xvfb-run -a -s "-screen 0 1280x800x24" sh -eu -c '
    . "$xwindow"
    open_window
    # The "Swing" button sits under the tee-shot controls, at this point of
    # the window laid out at its initial 1023 x 757. A loaded machine may
    # still be drawing the window when the first click arrives: click again
    # until the run has left its output file.
    ran=0
    for attempt in 1 2 3; do
        sleep 2
        xdotool mousemove --window "$wid" 89 565 click 1
        for i in $(seq 20); do
            if ls "$TMPDIR"/Parview-*/swing.out > /dev/null 2>&1; then ran=1; break; fi
            sleep 0.5
        done
        [ "$ran" = 1 ] && break
    done
    [ "$ran" = 1 ] || echo "no run after three clicks" >&2
    # The default shot of hole 1 replays in about twelve seconds of real time.
    sleep 15
    if [ -n "$compare" ]; then
        # The arrow of the "Open" button, then the second entry of its menu.
        xdotool mousemove --window "$wid" 64 21 click 1
        sleep 1
        xdotool key Down Down Return
        sleep 2
        xdotool type --delay 20 "$compare"
        xdotool key Return
        sleep 2
        xdotool mousemove 0 799
        sleep 1
    fi
    import -window root "$shot"
    ls "$TMPDIR"/Parview-*/swing.in "$TMPDIR"/Parview-*/swing.out > "$scratch/files.txt" || true
    grep -h "^Exit Code:" "$TMPDIR"/Parview-*/swing.out > "$scratch/exit.txt" || true
    close_window
'

fail() { echo "FAIL: $*" >&2; exit 1; }

[ -s "$shot" ] || fail "no screenshot at $shot"
size=$(identify -format '%wx%h' "$shot")
[ "$size" = "1280x800" ] || fail "screenshot is $size"
colours=$(identify -format '%k' "$shot")
[ "$colours" -gt 200 ] || fail "screenshot has only $colours colours: nothing drawn?"
[ "$(wc -l < "$scratch/files.txt")" -eq 2 ] || fail "working files missing: $(cat "$scratch/files.txt")"
[ "$(cat "$scratch/exit.txt")" = "Exit Code: 1" ] || fail "the simulator did not succeed: $(cat "$scratch/exit.txt")"
leftover=$(ls -A "$TMPDIR")
[ -z "$leftover" ] || fail "private directory left behind after the window closed: $leftover"
echo "screenshot: $shot ($size, $colours colours)"
echo "working files:"; sed 's/^/  /' "$scratch/files.txt"
