#!/usr/bin/env bash
# Builds Thymara and saves pictures of its windows to docs/screenshots/:
#
#   main-window.png     the main window as it starts
#   about.png           Help > About Software
#   result-ailment.png  Next with "Search by Ailment" chosen
#   exit-window.png     the window shown when the program is closed
#   result-herb.png     Next with "Search by Herb" chosen
#
# The program runs on its own virtual X display under openbox, so the
# pictures include the window frame, and in a throwaway home, so its settings
# and lock never touch a copy the user is running. It is driven from the
# keyboard, the way a user would.
#
# --scale F runs it with QT_SCALE_FACTOR=F (to check that icons and text stay
# sharp on a high-density screen) and --out DIR saves there instead.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

SCALE=""
SHOT_DIR="$ROOT/docs/screenshots"
while [ $# -gt 0 ]; do
    case "$1" in
    --scale) SCALE="$2"; shift 2 ;;
    --out) SHOT_DIR="$2"; shift 2 ;;
    *) echo "usage: $0 [--scale FACTOR] [--out DIR]" >&2; exit 2 ;;
    esac
done

ensure_packages "${BUILD_PACKAGES[@]}"
build_targets thymara
ensure_packages xvfb x11-utils imagemagick xdotool openbox dbus-daemon

PROGRAM="$BUILD_DIR/src/thymara"
TITLE_PATTERN="$(title_pattern "$BUILD_DIR")"
mkdir -p "$SHOT_DIR"

WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-shots.XXXXXX")"
source "$ROOT/scripts/virtual_display.sh"

# --- virtual display with a window manager --------------------------------
# Scaled windows need a larger screen to be seen whole.
if [ -n "$SCALE" ]; then export VIRTUAL_SCREEN="${VIRTUAL_SCREEN:-2560x2048x24}"; fi
start_virtual_display
# A bus of its own: neither the desktop's nor one Qt would start for each run.
start_session_bus
# Keep the pointer off the windows (in the far corner: X holds it on the
# screen) so nothing is drawn hovered.
xdotool mousemove 9999 9999

# --- the program in a throwaway home, as a user runs it -------------------------
start_thymara() {
    start_program "$WORK/program.$1.log" exec_private "$WORK/home.$1" \
        ${SCALE:+QT_SCALE_FACTOR="$SCALE"} "$PROGRAM"
}

wait_program_end() {
    wait_exit "$program_pid" 10 || fail "the program did not end"
    program_pid=""
}

echo "Saving screenshots to $SHOT_DIR"

# --- first run: main window, About, ailment result, exit window -----------
start_thymara 1
main=$(new_window "$TITLE_PATTERN" "") || fail "the main window did not appear: $(cat "$WORK/program.1.log")"
shoot "$main" main-window.png

press "$main" alt+h a
about=$(new_window "$TITLE_PATTERN" "$main") || fail "Help > About Software showed no window"
shoot "$about" about.png
press "$about" Escape
poll 10 is_gone "$about" "$TITLE_PATTERN" || fail "the About window did not close"

press "$main" alt+n
result=$(new_window "$TITLE_PATTERN" "$main") || fail "Next showed no result window"
poll 10 is_gone "$main" "$TITLE_PATTERN" || fail "the main window stayed up after Next"
shoot "$result" result-ailment.png

press "$result" alt+e
exit_window=$(new_window "$TITLE_PATTERN" "$result") || fail "Exit in the result window showed no exit window"
shoot "$exit_window" exit-window.png
press "$exit_window" alt+x
wait_program_end

# --- second run: herb result -------------------------------------------------
# The list of ailments has the focus at start; Tab moves to the chosen option
# and Down switches to "Search by Herb".
start_thymara 2
main=$(new_window "$TITLE_PATTERN" "") || fail "the main window did not appear: $(cat "$WORK/program.2.log")"
press "$main" Tab Down alt+n
result=$(new_window "$TITLE_PATTERN" "$main") || fail "Next showed no result window"
shoot "$result" result-herb.png
kill "$program_pid"
wait_program_end

echo "Done."
