#!/bin/sh
# Drives Parview in a real window under a virtual X server, as a person would:
# presses "Swing" on hole 1, opens a copy of examples/hole2-putt.txt through
# the Open dialog (hole 2's green is tilted 3 and -3.5 degrees) and presses
# "Putt" there.
#
#   scripts/test-gui-xvfb.sh <directory holding Parview and Trajex> [screenshot.png [directory]]
#
# screenshot.png receives the screen after the swing's replay; a directory,
# when given, keeps every screenshot taken.
#
# Checks, from the files and screenshots:
# - the window is drawn; the swing ran in Parview's private temporary
#   directory, the putt beside the opened file, which it left alone; the
#   private directory is gone once the window was closed;
# - the mouse wheel over the tee shot's sliders and spin boxes, none of them
#   clicked into, changes none of the values the swing then runs with;
# - after each replay the ball is seen in both views: some pixels of each
#   view differ both between the picture with the ball on the last point and
#   the picture with it on the first, and between the last and a quarter of
#   the way (the slider moves the ball; with the replay over, nothing else
#   changes), which only the ball on the last point can do; in the
#   elevation view a ball large enough to tell must be seen whole, not cut
#   by the green;
# - the picture a replay leaves, painted piecemeal around the moving ball,
#   and the picture the moves of the slider leave, are the picture a whole
#   repaint gives: both views are zoomed with the wheel and framed again
#   with a double click, which repaints them whole. Only the rounding of
#   antialiased edges may differ (by a few levels, which the comparison
#   ignores). A window moved across the views would not do: what it
#   uncovers comes back from the window's backing store, not repainted.
# - a user's own swing.out beside a model opened through the dialog is left
#   as it was by Swing, which runs in the private directory instead.
# - on a 1366 x 768 screen (a second session) the window opens no taller
#   than the screen leaves with a title bar, may be made much shorter, and
#   at 1366, 1000 and 900 x 700 the views are large, the texts under the
#   controls are drawn, and the wheel over the controls scrolls the panel
#   and changes nothing: scrolled down and back, the panel is as it was.
# Needs xvfb-run, xauth, xdotool, xprop and ImageMagick (import, convert, compare).
set -eu
. "$(dirname "$0")/xwindow.sh"

# The window is laid out at its initial 1023 x 757 at the top left corner of
# the screen, widened on the right by the "Shot data" panel when it shows;
# these are places in it. Its controls scroll: the tee shot's are where they
# are with the panel scrolled to its top, the putt's with it at its bottom.
SWING_BUTTON="89 565"
PUTT_BUTTON="91 657"           # scrolled to the bottom
QUIET_SPOT="180 735"           # nothing under it: a click only activates the window
LABELS="40 300"                # the labels' column: the wheel there scrolls the panel
REPLAY_BUTTON=20x20+350+726    # the play/pause button
SLIDER_QUARTER="544 736"       # a quarter of the way along the replay slider
TOP_VIEW=659x293+352+13        # the plan view, a few pixels inside its frame
SIDE_VIEW=659x399+352+317      # the elevation view, likewise
VIEWS=659x703+352+13           # both, and the splitter handle between them
TOP_VIEW_CENTRE="682 160"
SIDE_VIEW_CENTRE="682 515"
# The tee shot's sliders and spin boxes, one row each: ball speed, launch
# and target angle, back and side spin.
TEE_SLIDERS_X=170
TEE_SPINS_X=278
TEE_ROWS="434 459 484 509 534"

# ---- the part that runs inside the virtual X server

say() { echo "$(($(date +%s) - started)) s: $*"; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

grab() { import -window root "$shots/$1.png"; }

# Pixels of a region that differ between two screenshots by more than the
# rounding of antialiased edges.
differing() { # <shot> <shot> <region>
    n=$(compare -fuzz 3% -metric AE "$shots/$1.png[$3]" "$shots/$2.png[$3]" null: 2>&1 || true)
    echo "${n%% *}"
}

# Marks, in white, where the first screenshot differs from both others.
mark_only_in_first() { # <shot> <shot> <shot>
    for other in "$2" "$3"; do
        compare -fuzz 3% "$shots/$1.png" "$shots/$other.png" -compose src \
            -highlight-color white -lowlight-color black "$work/$other.png" 2>/dev/null || true
    done
    convert "$work/$2.png" "$work/$3.png" -compose multiply -composite "$work/only.png"
}

marked() { # <region>
    convert "$work/only.png[$1]" -format '%[fx:round(mean*w*h)]' info:
}

# Width and height of what is marked in a region.
marked_size() { # <region>
    convert "$work/only.png[$1]" -trim -format '%w %h' info:
}

# Screenshots until the views differ from <before>; a loaded machine may
# take a while to repaint.
grab_changed() { # <name> <before>
    for i in 1 2 3 4 5 6 7 8 9 10; do
        grab "$1"
        [ "$(differing "$1" "$2" "$VIEWS")" -gt 0 ] && return 0
        sleep 0.2
    done
    fail "$1: the views did not change"
}

# Screenshots until two in a row show the same views.
grab_still() { # <name>
    grab "$1"
    for i in 1 2 3 4 5 6 7 8 9 10; do
        sleep 0.2
        mv "$shots/$1.png" "$shots/$1-before.png"
        grab "$1"
        if [ "$(differing "$1" "$1-before" "$VIEWS")" -eq 0 ]; then
            rm "$shots/$1-before.png"
            return 0
        fi
    done
    fail "$1: the views never came to rest"
}

click() { # <x> <y> [button]
    xdotool mousemove --window "$wid" $1 $2 click "${3:-1}"
}

# The control panel scrolled to its top or its bottom.
scroll_panel() { # top|bottom
    [ "$1" = top ] && button=4 || button=5
    xdotool mousemove --window "$wid" $LABELS click --repeat 15 --delay 30 $button
    sleep 0.5
}

# Dark pixels of the replay button: none while it is disabled, a small arrow
# when it would play, two bars when it would pause.
replay_button() {
    import -window root -crop "$REPLAY_BUTTON" "$work/button.png"
    convert "$work/button.png" -colorspace gray -threshold 50% -negate \
        -format '%[fx:round(mean*w*h)]' info:
}

# Presses a button until the run it starts has left its output file.
run_until() { # <button x y> <output file, a pattern>
    for attempt in 1 2 3; do
        click $1
        for i in $(seq 20); do
            ls $2 > /dev/null 2>&1 && return 0
            sleep 0.5
        done
    done
    fail "no run after three clicks: $2 missing"
}

dialog_up() { xdotool search --onlyvisible --name "^Open file" > /dev/null; }

# Ctrl+O, the name typed into the dialog's name field, Return. Keys typed
# before the dialog has the keyboard go astray on a loaded machine, and the
# dialog then stays, or answers with a box of the same title: everything is
# closed with Escape and tried again. The file lies outside the folder the
# dialog starts in (the examples): Qt's own dialog loses a whole path typed
# into the folder it shows when Return meets its list of completions.
open_through_dialog() { # <path>
    for attempt in 1 2 3; do
        click $QUIET_SPOT
        xdotool key ctrl+o
        dialog=$(timeout 5 xdotool search --sync --onlyvisible --name "^Open file" | head -n 1) || true
        if [ -n "$dialog" ]; then
            sleep 0.5
            xdotool mousemove --window "$dialog" 100 100
            xdotool type --delay 10 "$1"
            xdotool key Return
            for i in $(seq 10); do
                dialog_up || return 0
                sleep 0.3
            done
        fi
        for i in 1 2 3 4 5; do
            dialog_up || break
            xdotool key Escape
            sleep 0.3
        done
        say "the Open dialog did not take $1; again"
    done
    fail "$1 was not opened through the dialog"
}

# The button was disabled before the run; once the replay is over it shows
# the play arrow, enabled. Between the run and the replay it shows that
# arrow only for an instant, never on two looks in a row.
wait_for_replay_end() {
    calm=0
    for i in $(seq 100); do
        sleep 0.4
        dark=$(replay_button)
        if [ "$dark" -ge 8 ] && [ "$dark" -le 40 ]; then
            calm=$((calm + 1))
            [ "$calm" -ge 2 ] && return 0
        else
            calm=0
        fi
    done
    fail "the replay did not end"
}

# After a replay: <name> shows what the replay left; the ball must be seen
# in both views on the last point, and a whole repaint must not change the
# picture.
check_views_after_replay() { # <name>
    grab "$1"
    # A quarter of the way (the click also gives the slider the keyboard),
    # then the first point, then the last again.
    click $SLIDER_QUARTER 2
    grab_changed "$1-quarter" "$1"
    xdotool key Home
    grab_changed "$1-first" "$1-quarter"
    xdotool key End
    grab_changed "$1-last" "$1-first"
    mark_only_in_first "$1-last" "$1-quarter" "$1-first"
    for view in TOP_VIEW SIDE_VIEW; do
        eval region=\$$view
        n=$(marked "$region")
        [ "$n" -ge 4 ] || fail "$1: the ball on its last point is not seen in $view ($n pixels)"
        say "$1: ball on its last point seen in $view ($n pixels)"
    done
    # The elevation view draws nothing else that moves with the ball: a ball
    # large enough to tell is round there, not cut by the green in front.
    set -- "$1" $(marked_size "$SIDE_VIEW")
    if [ "$2" -ge 8 ] && [ $((4 * $3)) -lt $((3 * $2)) ]; then
        fail "$1: only part of the ball is seen in SIDE_VIEW ($2 x $3 pixels)"
    fi
    say "$1: what moved with the ball in SIDE_VIEW is $2 x $3 pixels"

    # Zoomed in with the wheel, then framed again with a double click: the
    # glide back repaints both views whole.
    click $TOP_VIEW_CENTRE 4
    click $SIDE_VIEW_CENTRE 4
    grab_changed "$1-zoomed" "$1-last"
    xdotool mousemove --window "$wid" $TOP_VIEW_CENTRE click --repeat 2 --delay 60 1
    xdotool mousemove --window "$wid" $SIDE_VIEW_CENTRE click --repeat 2 --delay 60 1
    grab_changed "$1-whole" "$1-zoomed"
    grab_still "$1-whole"
    # What the replay left, and what the moves of the slider left.
    for left in "$1" "$1-last"; do
        for view in TOP_VIEW SIDE_VIEW; do
            eval region=\$$view
            n=$(differing "$left" "$1-whole" "$region")
            [ "$n" -le 10 ] || fail "$left: $n pixels of $view differ from a whole repaint"
            say "$left: $view as after a whole repaint ($n pixels differ)"
        done
    done
}

# ---- begin: a user's own file beside the model (session part)
# Opens $scratch/mine/hole1-teeshot.txt, beside which the user keeps a
# swing.out of their own, and presses Swing: the run must leave a new output
# in the private directory.
swing_beside_users_file() {
    open_through_dialog "$scratch/mine/hole1-teeshot.txt"
    say "opened $scratch/mine/hole1-teeshot.txt"
    scroll_panel top
    touch "$work/before-mine"
    for attempt in 1 2 3; do
        click $SWING_BUTTON
        for i in $(seq 20); do
            if [ -n "$(find "$TMPDIR" -path '*/Parview-*/swing.out' -newer "$work/before-mine")" ]; then
                say "swing beside the user's swing.out ran in the private directory"
                wait_for_replay_end
                grab beside-users-file
                return 0
            fi
            sleep 0.5
        done
    done
    fail "no run in the private directory beside the user's swing.out"
}
# ---- end: a user's own file beside the model (session part)
# ---- the wheel over value controls that do not have the keyboard

# Scrolls the wheel over every slider and spin box of the tee shot without
# clicking into any; the swing that follows must run with the defaults.
wheel_over_tee_controls() {
    for y in $TEE_ROWS; do
        for x in $TEE_SLIDERS_X $TEE_SPINS_X; do
            xdotool mousemove --window "$wid" $x $y click --repeat 3 4 click --repeat 5 5
        done
    done
    # The wheel scrolled the panel instead: back to where the tee shot's controls are.
    scroll_panel top
    xdotool mousemove --window "$wid" $QUIET_SPOT
}

# The tee shot of a result file is the default one.
expect_default_tee_shot() { # <result file>
    for line in "TeeBallSpeed: 110.00000000" "TeeLaunchAngle: 45.00000000" \
        "TeeTargetAngle: 0.00000000" "TeeBackSpin: 4000.00000000" "TeeSideSpin: 0.00000000"; do
        grep -qx "$line" "$1" || fail "the wheel changed a value: $(grep "^${line%%:*}:" "$1")"
    done
}

# ---- a small screen: 1366 x 768 (run in a session of its own)

PANEL=330x560+8+40             # the controls, below the file buttons
PANEL_RIGHT=348                # the panel's right edge, its scroll bar included
LAUNCH_SPIN="278 459"          # the launch angle's spin box, the panel at its top

# The elevation view's sky (blue: more blue than red, and light): the most
# of it in one row and in one column of a screenshot, in pixels.
# Only right of the control panel: the blue of its sliders is no sky.
sky_size() { # <shot>
    convert "$shots/$1.png" -crop +$PANEL_RIGHT+0 +repage \
        -fx 'b > r + 0.08 && b > 0.6 ? 1 : 0' "$work/sky.png"
    set -- $(identify -format '%w %h' "$work/sky.png")
    echo "$(convert "$work/sky.png" -scale "1x$2!" -format "%[fx:round(maxima*$1)]" info:)" \
        "$(convert "$work/sky.png" -scale "$1x1!" -format "%[fx:round(maxima*$2)]" info:)"
}

# Dark pixels (text) in a region.
dark_pixels() { # <shot> <region>
    convert "$shots/$1.png[$2]" -colorspace gray -threshold 40% -negate \
        -format '%[fx:round(mean*w*h)]' info:
}

small_screen_session() {
    started=$(date +%s)
    open_window
    trap 'kill -KILL "$pid" 2>/dev/null || true' EXIT
    sleep 2
    # With a title bar of about 30 pixels and a panel of about 40 the frame
    # must fit in 768: the window opens within the screen and may be made
    # much shorter than 700.
    height=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: [0-9]*x//p')
    [ "$height" -le 738 ] || fail "the window opens $height pixels high on a 768-pixel screen"
    least=$(xprop -id "$wid" WM_NORMAL_HINTS | sed -n 's/.*minimum size: [0-9]* by //p')
    [ -n "$least" ] && [ "$least" -le 600 ] || fail "the window cannot be made shorter than $least"
    say "opens $height high, may be $least high"

    # Width, height, and the least width of the elevation view's sky there:
    # narrowed, the window takes the room from the Shot data panel first.
    for size in "1366 700 700" "1000 700 440" "900 700 330"; do
        set -- $size
        xdotool windowsize --sync "$wid" $1 $2
        sleep 1.5
        grab "small-$1"
        set -- $1 $2 $3 $(sky_size "small-$1")
        [ "$4" -ge "$3" ] && [ "$5" -ge 200 ] ||
            fail "at $1 x $2 the views are small: the sky is $4 x $5"
        n=$(dark_pixels "small-$1" 240x90+0+$(($2 - 90)))
        [ "$n" -ge 150 ] || fail "at $1 x $2 the texts under the controls are not drawn ($n dark pixels)"
        say "at $1 x $2: sky $4 x $5, texts under the controls drawn"
    done

    # The wheel over a spin box nobody clicked into scrolls the panel, and
    # back: the panel is then as it was, every value with it.
    xdotool windowsize --sync "$wid" 1366 700
    xdotool mousemove --window "$wid" $LAUNCH_SPIN # hovering there as at the end
    sleep 1
    grab panel-before
    xdotool mousemove --window "$wid" $LAUNCH_SPIN click --repeat 4 --delay 80 5
    grab_panel_changed panel-down panel-before
    xdotool mousemove --window "$wid" $LAUNCH_SPIN click --repeat 8 --delay 80 4
    sleep 1
    grab panel-back
    n=$(differing panel-back panel-before "$PANEL")
    [ "$n" -le 10 ] || fail "scrolled down and back, $n pixels of the panel differ"
    say "the wheel scrolled the panel and changed nothing"
    close_window
}

# Screenshots until the panel differs from <before>.
grab_panel_changed() { # <name> <before>
    for i in 1 2 3 4 5 6 7 8 9 10; do
        grab "$1"
        [ "$(differing "$1" "$2" "$PANEL")" -gt 0 ] && return 0
        sleep 0.2
    done
    fail "$1: the wheel over the controls did not scroll the panel"
}

session() {
    started=$(date +%s)
    open_window
    trap 'kill -KILL "$pid" 2>/dev/null || true' EXIT
    geometry=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
    case $geometry in
    1023x757 | 1272x757) ;;
    *) fail "the window is $geometry, not 1023x757 (1272x757 with the shot data): the places above are off" ;;
    esac
    # A loaded machine may still be drawing the window when the first click
    # arrives: run_until clicks again until the run has left its output.
    sleep 2

    wheel_over_tee_controls
    run_until "$SWING_BUTTON" "$TMPDIR/Parview-*/swing.out"
    say "swing ran"
    wait_for_replay_end
    say "swing replayed"
    check_views_after_replay swing
    cp "$shots/swing.png" "$shot"

    open_through_dialog "$scratch/files/hole2-putt.txt"
    say "opened $scratch/files/hole2-putt.txt"
    scroll_panel bottom

    run_until "$PUTT_BUTTON" "$scratch/files/swing.out"
    say "putt ran"
    wait_for_replay_end
    say "putt replayed"
    check_views_after_replay putt

    swing_beside_users_file

    ls "$TMPDIR"/Parview-*/swing.in "$TMPDIR"/Parview-*/swing.out > "$scratch/files.txt" || true
    cp "$TMPDIR"/Parview-*/swing.out "$scratch/swing.out" || true
    close_window
    say "closed"
}

if [ "${1:-}" = --session ]; then
    session
    exit
fi
if [ "${1:-}" = --small-screen ]; then
    small_screen_session
    exit
fi

# ---- setting up, and the checks of the files

here=$(cd "$(dirname "$0")/.." && pwd)
bindir=$(cd "${1:?usage: $0 <bin dir> [screenshot.png [directory]]}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
shot=${2:-$scratch/parview-window.png}
shots=${3:-$scratch/shots}
work=$scratch/work
mkdir -p "$shots" "$work" "$scratch/files"
cp "$here/examples/hole2-putt.txt" "$scratch/files/"
# ---- begin: a user's own file beside the model (setup)
mkdir -p "$scratch/mine"
cp "$here/examples/hole1-teeshot.txt" "$scratch/mine/"
printf 'my own notes, not a working file\n' > "$scratch/mine/swing.out"
# ---- end: a user's own file beside the model (setup)

private_session
export bindir shot shots work scratch

xvfb-run -a -s "-screen 0 1280x800x24" sh "$0" --session || exit 1
xvfb-run -a -s "-screen 0 1366x768x24" sh "$0" --small-screen || exit 1

size=$(identify -format '%wx%h' "$shot")
[ "$size" = "1280x800" ] || fail "screenshot is $size"
colours=$(identify -format '%k' "$shot")
[ "$colours" -gt 200 ] || fail "screenshot has only $colours colours: nothing drawn?"
[ "$(wc -l < "$scratch/files.txt")" -eq 2 ] || fail "working files missing: $(cat "$scratch/files.txt")"
for out in "$scratch/swing.out" "$scratch/files/swing.out"; do
    [ "$(grep -h "^Exit Code:" "$out" 2>/dev/null || true)" = "Exit Code: 1" ] ||
        fail "the simulator did not succeed: $out"
done
grep -q "^PuttShotSteps: [1-9]" "$scratch/files/swing.out" || fail "the putt has no points"
expect_default_tee_shot "$scratch/swing.out"
grep -q "^GreenXRot: 3.0*$" "$scratch/files/swing.out" || fail "the putt was not on hole 2's tilted green"
cmp -s "$here/examples/hole2-putt.txt" "$scratch/files/hole2-putt.txt" ||
    fail "the opened file was changed"
# ---- begin: a user's own file beside the model (checks)
[ "$(cat "$scratch/mine/swing.out")" = "my own notes, not a working file" ] ||
    fail "Swing wrote over the user's own swing.out"
[ ! -e "$scratch/mine/swing.in" ] || fail "Swing wrote swing.in beside the user's swing.out"
cmp -s "$here/examples/hole1-teeshot.txt" "$scratch/mine/hole1-teeshot.txt" ||
    fail "the model beside the user's swing.out was changed"
# ---- end: a user's own file beside the model (checks)
leftover=$(ls -A "$TMPDIR")
[ -z "$leftover" ] || fail "private directory left behind after the window closed: $leftover"
echo "screenshot: $shot ($size, $colours colours)"
echo "working files:"; sed 's/^/  /' "$scratch/files.txt"
