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

ensure_packages xvfb x11-utils imagemagick
SHOT_DIR="$ROOT/shots"
SHOT="$SHOT_DIR/main-window.png"
mkdir -p "$SHOT_DIR"

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    [ -n "${demo_home:-}" ] && rm -rf "$demo_home"
    return 0
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# A throwaway home: the demonstration neither meets a copy the user is
# running nor an update question left from the user's own settings.
demo_home="$(mktemp -d)"
chmod 700 "$demo_home"
HOME="$demo_home" XDG_CONFIG_HOME="$demo_home/config" XDG_RUNTIME_DIR="$demo_home" \
    "$PROGRAM" >/dev/null 2>&1 &
program_pid=$!

window=""
for _ in $(seq 100); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"Thymara v1.0"/ { print $1; exit }')
    [ -n "$window" ] && xwininfo -id "$window" 2>/dev/null | grep -q "IsViewable" && break
    window=""
    sleep 0.1
done

if [ -z "$window" ]; then
    import -window root "$SHOT"
    echo "No screen available: started Thymara on a virtual X display, but its main window did not"
    echo "appear within 10 seconds (a message box may be waiting). Screenshot of the whole display: $SHOT"
    exit 1
fi
sleep 0.5 # let it finish painting
import -window "$window" "$SHOT"
echo "No screen available: started Thymara on a virtual X display (DISPLAY=:$display),"
echo "saved a screenshot of its main window to $SHOT and ended the program."
