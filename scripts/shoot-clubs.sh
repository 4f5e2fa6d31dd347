#!/bin/sh
# Takes a screenshot of Parview in a real window under a virtual X server, as
# the README shows the Physics choice and the clubs: the realistic physics,
# hole 4, the Driver of the installed tour table, then "Swing"; the picture
# once the replay is over and the "Shot data" panel names the physics.
#
#   scripts/shoot-clubs.sh <directory holding Parview and Trajex> [screenshot.png]
#
# The lists are opened with the mouse and an entry chosen by its first
# letter, at the places of the window laid out at its initial 1023 x 757.
# Needs xvfb-run, xauth, xdotool and ImageMagick (import).
set -eu

bindir=$(cd "${1:?usage: $0 <bin dir> [screenshot.png]}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
shot=${2:-$scratch/parview-clubs.png}
xwindow=$(cd "$(dirname "$0")" && pwd)/xwindow.sh
. "$xwindow"
private_session
# The user's bags, which the Bag list shows, go to the scratch directory too.
XDG_DATA_HOME=$scratch/data
export XDG_DATA_HOME bindir shot scratch xwindow

xvfb-run -a -s "-screen 0 1280x800x24" sh -eu -c '
    . "$xwindow"
    open_window
    sleep 2
    pick 220 249 R Return            # Physics: Realistic
    pick 220 71 Down Down Down Return # Hole #4
    pick 162 408 D Return            # Club: Driver
    xdotool mousemove --window "$wid" 89 565 click 1
    for i in $(seq 60); do
        ls "$TMPDIR"/Parview-*/swing.out > /dev/null 2>&1 && break
        sleep 0.5
    done
    # A drive of about 300 yards replays in under twenty seconds.
    sleep 20
    xdotool mousemove --window "$wid" 180 735
    sleep 0.5
    import -window root "$shot"
    grep -h "^Exit Code:" "$TMPDIR"/Parview-*/swing.out > "$scratch/exit.txt" || true
    close_window
'

fail() { echo "FAIL: $*" >&2; exit 1; }
[ -s "$shot" ] || fail "no screenshot at $shot"
[ "$(cat "$scratch/exit.txt")" = "Exit Code: 1" ] || fail "the simulator did not succeed"
echo "screenshot: $shot"
