# Sourced by the scripts that drive Parview in a real window under a virtual
# X server (xvfb-run, xdotool, ImageMagick). They set bindir and scratch.

# Parview makes its private directory inside TMPDIR: one of its own, so a
# check finds exactly this run's files. Its settings (whether the shot data
# shows) go to a scratch directory too, so a run starts from the defaults and
# leaves the user's own alone.
private_session() {
    mkdir -p "$scratch/tmp" "$scratch/xdg" "$scratch/config"
    chmod 700 "$scratch/xdg"
    TMPDIR=$scratch/tmp
    XDG_RUNTIME_DIR=$scratch/xdg
    XDG_CONFIG_HOME=$scratch/config
    export TMPDIR XDG_RUNTIME_DIR XDG_CONFIG_HOME
    unset QT_QPA_PLATFORM QMX_SWING_MODE || true
}

# Starts Parview with the given arguments, waits for its window and moves it
# to the top left corner of the screen; sets pid and wid.
open_window() {
    "$bindir/Parview" "$@" > "$scratch/parview.log" 2>&1 &
    pid=$!
    wid=$(xdotool search --sync --onlyvisible --name "^Quillmoor Hills" | head -n 1)
    xdotool windowmove --sync "$wid" 0 0
}

# Opens the drop-down list at <x> <y> of the window and types the keys
# (an entry's first letter, Return): pick <x> <y> <keys...>
pick() {
    xdotool mousemove --window "$wid" "$1" "$2" click 1
    sleep 0.7
    shift 2
    xdotool key "$@"
    sleep 0.7
}

# Asked to terminate, Parview ends its event loop and exits normally; after
# five seconds it is killed.
close_window() {
    kill -TERM "$pid"
    for i in 1 2 3 4 5 6 7 8 9 10; do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.5
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" || true
}
