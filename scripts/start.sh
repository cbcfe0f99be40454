#!/usr/bin/env bash
# Builds Thymara and starts it. Installs what it needs when missing.
#
# With a screen, the program simply starts. Without one, it runs on a virtual
# X display instead: the script saves a screenshot of the main window, prints
# its path and ends the program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"
configure_and_build
PROGRAM="$BUILD_DIR/src/thymara"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$PROGRAM"
fi

ensure_packages xvfb x11-utils imagemagick xdotool openbox
WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-start.XXXXXX")"
source "$ROOT/scripts/virtual_display.sh"
start_virtual_display

# A throwaway home: the demonstration neither meets a copy the user is
# running nor an update question left from the user's own settings.
start_program "$WORK/program.log" exec_private "$WORK/home" "$PROGRAM"

SHOT="$ROOT/shots/main-window.png"
mkdir -p "$ROOT/shots"
if ! window=$(new_window "$(title_pattern "$BUILD_DIR")" ""); then
    import -window root "$SHOT"
    echo "No screen available: started Thymara on a virtual X display, but its main window did not"
    echo "appear within 30 seconds (a message box may be waiting). Screenshot of the whole display: $SHOT"
    exit 1
fi
shoot "$window" main-window.png
cp "$WORK/main-window.png" "$SHOT"
echo "No screen available: started Thymara on a virtual X display (DISPLAY=$DISPLAY),"
echo "saved a screenshot of its main window to $SHOT and ended the program."
