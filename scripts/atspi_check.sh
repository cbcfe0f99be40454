#!/usr/bin/env bash
# Checks Thymara the way a screen reader or switch access uses it: the program
# runs on a virtual display with a private session bus and the desktop's
# accessibility bus, and scripts/atspi_tree.py lists every window's
# accessibility tree and presses every link and button through its action.
#
# Addresses go to a stand-in browser that only logs them, and the program
# runs in a throwaway home. Every wait is bounded. Prints the tree and what
# each action did; exits non-zero when something is missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# THYMARA_PROGRAM: an installed program to check instead of the build's.
PROGRAM="${THYMARA_PROGRAM:-}"
if [ -z "$PROGRAM" ]; then
    ensure_packages "${BUILD_PACKAGES[@]}" at-spi2-core python3-pyatspi dbus-x11 dbus-daemon xvfb openbox \
        x11-utils xdotool imagemagick
    build_targets thymara
    PROGRAM="$BUILD_DIR/src/thymara"
fi

WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-atspi.XXXXXX")"
source "$ROOT/scripts/virtual_display.sh"
stand_in_browser "$WORK/browser.log"

# Everything, the buses included, lives in the throwaway home.
unset DBUS_SESSION_BUS_ADDRESS
enter_private_home "$WORK/home"
start_virtual_display
start_session_bus
start_accessibility_bus

start_program "$WORK/program.log" \
    env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 timeout 300 "$PROGRAM"
verdict=0
# The system Python: the AT-SPI bindings are Debian packages.
timeout 240 /usr/bin/python3 "$ROOT/scripts/atspi_tree.py" "$WORK/browser.log" || verdict=$?
# The script ends the program through its Exit button; give it a moment.
if wait_exit "$program_pid" 5; then
    echo "the program ended with status $status"
    [ "$status" -eq 0 ] || verdict=1
else
    echo "the program did not end"
    verdict=1
fi
program_pid=""
echo "--- addresses the stand-in browser received:"
cat "$WORK/browser.log" 2>/dev/null || true
echo "--- program output:"
cat "$WORK/program.log"
exit $verdict
