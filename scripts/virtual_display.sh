# A private virtual X display with openbox, for the scripts that show the
# program without a screen. Sourced after common.sh; expects WORK (a scratch
# directory) to be set, and stops everything it started when the script exits.

xvfb_pid=""
wm_pid=""
program_pid=""
stop_virtual_display() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap stop_virtual_display EXIT

fail() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# Runs the command every 50 ms until it succeeds; gives up after $1 seconds.
poll() {
    local seconds="$1"
    shift
    local tries=$((seconds * 20))
    while ((tries-- > 0)); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

# Starts Xvfb on a display number it picks itself, then openbox, and exports
# DISPLAY. The window manager gives windows the keyboard focus, as on a desktop.
# VIRTUAL_SCREEN (default 1280x1024x24) sets the size of the screen.
start_virtual_display() {
    Xvfb -displayfd 3 -screen 0 "${VIRTUAL_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    xvfb_pid=$!
    display_known() { grep -qs '^[0-9][0-9]*$' "$WORK/display"; }
    poll 15 display_known || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=":$(cat "$WORK/display")"

    mkdir -p "$WORK/wm-home"
    env -u DBUS_SESSION_BUS_ADDRESS HOME="$WORK/wm-home" XDG_CONFIG_HOME="$WORK/wm-home" \
        openbox >"$WORK/openbox.log" 2>&1 &
    wm_pid=$!
    wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    poll 15 wm_running || fail "openbox did not start: $(cat "$WORK/openbox.log")"
}

# The window that has the keyboard focus is this one.
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

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
