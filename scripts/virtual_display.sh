# shellcheck shell=bash
# The one place that starts a virtual X display: Xvfb with openbox, for every
# script that shows the program without a screen, and the waits and window
# helpers that go with it. Sourced after common.sh with WORK (a scratch
# directory) set; stops everything it started, and removes WORK unless
# KEEP_WORK is set, when the script exits (a script with its own EXIT trap
# calls stop_virtual_display from it).

xvfb_pid=""
wm_pid=""
program_pid=""
bus_pid=""
a11y_pid=""
stop_virtual_display() {
    local pid
    for pid in "$program_pid" "$a11y_pid" "$wm_pid" "$xvfb_pid" "$bus_pid"; do
        if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    done
    wait 2>/dev/null || true
    if [ -z "${KEEP_WORK:-}" ]; then rm -rf "$WORK"; else echo "kept $WORK"; fi
}
trap stop_virtual_display EXIT

# Starts Xvfb on a display number it picks itself (-displayfd: no race with
# another display), then openbox, and exports DISPLAY. The window manager
# gives windows the keyboard focus, as on a desktop. VIRTUAL_SCREEN (default
# 1280x1024x24) sets the size of the screen.
start_virtual_display() {
    # -noreset: without it the server resets whenever its last client leaves,
    # and a client connecting meanwhile (the window manager right after the
    # probe below) is turned away.
    Xvfb -displayfd 3 -screen 0 "${VIRTUAL_SCREEN:-1280x1024x24}" -nolisten tcp -noreset \
        3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    xvfb_pid=$!
    display_known() { grep -qs '^[0-9][0-9]*$' "$WORK/display"; }
    poll 15 display_known || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    DISPLAY=":$(cat "$WORK/display")"
    export DISPLAY
    poll 15 xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer: $(cat "$WORK/xvfb.log")"

    mkdir -p "$WORK/wm-home"
    env -u DBUS_SESSION_BUS_ADDRESS HOME="$WORK/wm-home" XDG_CONFIG_HOME="$WORK/wm-home" \
        openbox >"$WORK/openbox.log" 2>&1 &
    wm_pid=$!
    wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    poll 15 wm_running || fail "openbox did not start: $(cat "$WORK/openbox.log")"
}

# A private session bus for this script and what it starts, exported as
# DBUS_SESSION_BUS_ADDRESS; stopped with the display.
start_session_bus() {
    local info
    info="$(timeout 15 dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1)" ||
        fail "the session bus did not start"
    DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$info")"
    bus_pid="$(sed -n 2p <<<"$info")"
    export DBUS_SESSION_BUS_ADDRESS
}

# The desktop's accessibility bus, for screen readers and the AT-SPI checks,
# announced on the session bus; stopped with the display.
start_accessibility_bus() {
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$WORK/a11y-bus.log" 2>&1 &
    a11y_pid=$!
    a11y_bus_up() {
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
            org.a11y.Bus.GetAddress >/dev/null 2>&1
    }
    poll 15 a11y_bus_up || fail "the accessibility bus did not start: $(cat "$WORK/a11y-bus.log")"
}

# --- the program ---------------------------------------------------------------

# start_program LOG COMMAND...: starts the program in the background, its
# output to LOG; its process id goes to program_pid, which is ended with the
# display. (Not through $(...): only this shell can wait for its children.)
start_program() {
    local log="$1"
    shift
    "$@" >"$log" 2>&1 &
    program_pid=$!
}

# --- windows -----------------------------------------------------------------

# Ids of the visible windows whose title matches $1, sorted.
visible_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null | sort || true; }

# Waits (30 s at most) for a visible window titled like $1 that is not among
# the ids in $2; prints its id.
new_window() {
    local pattern="$1" before="$2" id tries
    for ((tries = 0; tries < 600; tries++)); do
        for id in $(visible_windows "$pattern"); do
            grep -qx "$id" <<<"$before" || { echo "$id"; return 0; }
        done
        sleep 0.05
    done
    return 1
}

# Window $1 titled like $2 is no longer visible.
is_gone() { ! grep -qx "$1" <<<"$(visible_windows "$2")"; }

# The window that has the keyboard focus is this one.
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# Presses keys in window $1 once it has the keyboard focus (asking the window
# manager for it when it does not come by itself). KEY_DELAY (ms) spaces the
# keys for slow programs.
press() {
    local id="$1"
    shift
    poll 10 is_active "$id" || xdotool windowactivate "$id" 2>/dev/null || true
    poll 10 is_active "$id" || fail "window $id never got the keyboard focus"
    xdotool key --delay "${KEY_DELAY:-12}" --clearmodifiers "$@"
}

# The window manager's frame around a client window: the ancestor just below the root.
frame_of() {
    local id="$1" root parent
    root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
    while :; do
        parent=$(xwininfo -children -id "$id" | awk '/Parent window id:/ { print $4 }')
        [ -z "$parent" ] || [ $((parent)) -eq $((root)) ] && break
        id="$parent"
    done
    printf '0x%x\n' $((id))
}

# capture_settled ID FILE: saves window ID with its frame to FILE once two
# captures in a row are identical, that is, once it has finished painting
# (6 seconds at most).
capture_settled() {
    local id="$1" file="$2" frame previous="" current tries
    frame=$(frame_of "$id")
    poll 5 is_active "$id" || true # drawn as the active window when it gets there
    for ((tries = 0; tries < 60; tries++)); do
        import -window "$frame" "$file" 2>/dev/null || true
        current=$(convert "$file" rgb:- 2>/dev/null | md5sum)
        [ -n "$previous" ] && [ "$current" = "$previous" ] && break
        previous="$current"
        sleep 0.1
    done
}

# shoot ID NAME: saves window ID with its frame, once it has finished
# painting, to $WORK/NAME, and to $SHOT_DIR/NAME when SHOT_DIR is set (then it
# says so, with the size of the window's client area).
shoot() {
    local id="$1" name="$2"
    capture_settled "$id" "$WORK/$name"
    [ -n "${SHOT_DIR:-}" ] || return 0
    mkdir -p "$SHOT_DIR"
    cp "$WORK/$name" "$SHOT_DIR/$name"
    echo "  saved $SHOT_DIR/$name ($(xwininfo -id "$id" |
        awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }') client)"
}
