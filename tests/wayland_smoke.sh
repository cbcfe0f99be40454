#!/usr/bin/env bash
# Starts the program on a Wayland-only desktop (weston's headless back end, no
# XWayland, no DISPLAY) and checks that its main window appears.
#
#   wayland_smoke.sh PROGRAM TITLE
#
# The program chooses its platform plugin itself here, as it does for a user:
# QT_QPA_PLATFORM is taken out of its environment. The window counts as shown
# once the program, traced with WAYLAND_DEBUG=client, has made a toplevel
# titled TITLE and committed a buffer to that toplevel's surface: that
# is the moment a compositor puts the window on screen.
#
# Exits 77 (skipped) when weston is not installed. Every wait is bounded;
# weston and the program are stopped whatever happens.
set -euo pipefail
# poll, and nothing that installs or builds.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

PROGRAM="${1:?usage: $0 PROGRAM TITLE}"
TITLE="${2:?usage: $0 PROGRAM TITLE}"

if ! command -v weston >/dev/null 2>&1; then
    echo "weston is not installed: skipped"
    exit 77
fi

# A private runtime directory (the compositor's socket and the program's lock)
# and a throwaway home (no settings, so no update question).
WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-wayland.XXXXXX")"
chmod 700 "$WORK"
mkdir -m 700 "$WORK/runtime" "$WORK/home"

weston_pid=""
program_pid=""
stop_all() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    if [ -n "$weston_pid" ]; then kill "$weston_pid" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap stop_all EXIT

fail_with_logs() {
    echo "FAIL: $*"
    echo "--- weston log ---"
    tail -n 30 "$WORK/weston.log" 2>/dev/null || true
    echo "--- program output (last 40 lines) ---"
    tail -n 40 "$WORK/program.log" 2>/dev/null || true
    exit 1
}

SOCKET="thymara-test-$$"
# timeout bounds the compositor even if this script is killed outright.
XDG_RUNTIME_DIR="$WORK/runtime" HOME="$WORK/home" \
    timeout 120 weston --backend=headless-backend.so --use-pixman --no-config \
    --socket="$SOCKET" --idle-time=0 >"$WORK/weston.log" 2>&1 &
weston_pid=$!
socket_ready() { [ -S "$WORK/runtime/$SOCKET" ]; }
poll 15 socket_ready || fail_with_logs "weston did not open its socket"

: >"$WORK/program.log" # there before the first look at it
env -u DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE -u DBUS_SESSION_BUS_ADDRESS \
    -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS \
    HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_RUNTIME_DIR="$WORK/runtime" \
    WAYLAND_DISPLAY="$SOCKET" WAYLAND_DEBUG=client \
    timeout 60 "$PROGRAM" >"$WORK/program.log" 2>&1 &
program_pid=$!

# Follows the trace: the wl_surface behind the xdg_surface behind the toplevel
# with our title, then a buffer attached to it and committed.
window_shown() {
    awk -v title="$TITLE" '
        function id(s) { sub(/^[^@]*@/, "", s); sub(/[^0-9].*$/, "", s); return s }
        /-> xdg_wm_base@[0-9]+\.get_xdg_surface\(/ {
            split($0, a, "new id xdg_surface@"); xs = id("@" a[2])
            split($0, b, "wl_surface@"); surface_of_xdg[xs] = id("@" b[2])
        }
        /-> xdg_surface@[0-9]+\.get_toplevel\(/ {
            split($0, a, "xdg_surface@"); xs = id("@" a[2])
            split($0, b, "xdg_toplevel@"); xdg_of_toplevel[id("@" b[2])] = xs
        }
        index($0, ".set_title(\"" title "\")") && /-> xdg_toplevel@/ {
            split($0, a, "xdg_toplevel@"); target = surface_of_xdg[xdg_of_toplevel[id("@" a[2])]]
        }
        target != "" && index($0, "-> wl_surface@" target ".attach(wl_buffer@") { attached = 1 }
        attached && index($0, "-> wl_surface@" target ".commit()") { found = 1; exit }
        END { exit found ? 0 : 1 }
    ' "$WORK/program.log"
}
program_running() { kill -0 "$program_pid" 2>/dev/null; }

for ((tries = 0; tries < 600; tries++)); do # 30 s
    window_shown && break
    if ! program_running; then
        grep -q 'no Qt platform plugin could be initialized' "$WORK/program.log" &&
            fail_with_logs "the program found no platform plugin it could use (is qt6-wayland installed?)"
        fail_with_logs "the program ended before its main window was shown"
    fi
    sleep 0.05
done
window_shown || fail_with_logs "no window titled \"$TITLE\" was shown within 30 s"

if grep -q 'Could not load the Qt platform plugin\|could not connect to display' "$WORK/program.log"; then
    fail_with_logs "the program tried a platform plugin this session does not have"
fi
program_running || fail_with_logs "the program ended right after showing its window"
echo "PASS: the main window \"$TITLE\" was shown on a Wayland-only weston"
