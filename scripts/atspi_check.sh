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

ensure_packages "${BUILD_PACKAGES[@]}" at-spi2-core python3-pyatspi dbus-x11 dbus-daemon xvfb openbox \
    x11-utils xdotool imagemagick
build_targets thymara

WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-atspi.XXXXXX")"
source "$ROOT/scripts/virtual_display.sh"
if [ -n "${KEEP_WORK:-}" ]; then trap - EXIT; fi
home="$(private_home check)"
mkdir -p "$WORK/bin"
cat >"$WORK/bin/xdg-open" <<STANDIN
#!/bin/sh
printf '%s\n' "\$*" >>"$WORK/browser.log"
STANDIN
chmod +x "$WORK/bin/xdg-open"

# Everything, the buses included, lives in the throwaway home.
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" \
    XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data"
start_virtual_display
start_session_bus
start_accessibility_bus

PATH="$WORK/bin:$PATH" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    timeout 300 "$BUILD_DIR/src/thymara" >"$WORK/program.log" 2>&1 &
program_pid=$!
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
