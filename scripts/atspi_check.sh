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

ensure_packages "${BUILD_PACKAGES[@]}" at-spi2-core python3-pyatspi dbus-x11 xvfb
[ -f "$BUILD_DIR/CMakeCache.txt" ] || cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release
cmake --build "$BUILD_DIR" --parallel 2 --target thymara

WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-atspi.XXXXXX")"
[ -n "${KEEP_WORK:-}" ] || trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/bin" "$WORK/home/config" "$WORK/home/runtime" "$WORK/home/cache" "$WORK/home/data"
chmod 700 "$WORK/home" "$WORK/home/runtime"
cat >"$WORK/bin/xdg-open" <<STANDIN
#!/bin/sh
printf '%s\n' "\$*" >>"$WORK/browser.log"
STANDIN
chmod +x "$WORK/bin/xdg-open"

export WORK PROGRAM="$BUILD_DIR/src/thymara" TREE_SCRIPT="$ROOT/scripts/atspi_tree.py"
# Everything, the buses included, lives in the throwaway home.
timeout 400 env -u DBUS_SESSION_BUS_ADDRESS -u AT_SPI_BUS_ADDRESS -u WAYLAND_DISPLAY \
    HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/config" XDG_RUNTIME_DIR="$WORK/home/runtime" \
    XDG_CACHE_HOME="$WORK/home/cache" XDG_DATA_HOME="$WORK/home/data" \
    dbus-run-session -- bash -c '
    set -u
    program=""
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do grep -qs "^[0-9]" "$WORK/display" && break; sleep 0.1; done
    export DISPLAY=":$(cat "$WORK/display")"
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$WORK/bus.log" 2>&1 &
    launcher=$!
    for _ in $(seq 100); do
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
            org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
        sleep 0.1
    done
    PATH="$WORK/bin:$PATH" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
        timeout 300 "$PROGRAM" >"$WORK/program.log" 2>&1 &
    program=$!
    status=0
    # The system Python: the AT-SPI bindings are Debian packages.
    timeout 240 /usr/bin/python3 "$TREE_SCRIPT" "$WORK/browser.log" || status=$?
    # The script ends the program through its Exit button; give it a moment.
    for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$program" 2>/dev/null; then
        echo "the program did not end"; kill "$program"; status=1
    else
        wait "$program" && echo "the program ended with status 0" || echo "the program ended with status $?"
    fi
    echo "--- addresses the stand-in browser received:"
    cat "$WORK/browser.log" 2>/dev/null || true
    echo "--- program output:"
    cat "$WORK/program.log"
    kill "$launcher" "$xvfb" 2>/dev/null || true
    exit $status
'
