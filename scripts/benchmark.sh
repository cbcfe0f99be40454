#!/usr/bin/env bash
# Builds Thymara and measures its start-up against a minimal Qt Widgets
# program that shows one empty window of the same size and title:
#
#   - time from starting the process to its window being mapped,
#   - resident memory once the window is up,
#   - for Thymara, time from pressing Next (Alt+N) to the result window.
#
# Both run interleaved on a private virtual X display with openbox as the
# window manager; each run has a fresh throwaway home. Medians and the
# thymara/minimal ratios are printed at the end.
#
#   scripts/benchmark.sh [--runs N] [--settle SECONDS]   (default 15 runs each)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
# Builds only the programs run here.
[ -f "$BUILD_DIR/CMakeCache.txt" ] || cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release
cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target thymara thymara_minimal
ensure_packages xvfb x11-utils openbox python3 libx11-6 libxtst6

WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-bench.XXXXXX")"
xvfb_pid=""
wm_pid=""
cleanup() {
    if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "benchmark: $*" >&2
    exit 1
}

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

# Xvfb picks a free display number itself and writes it to the file.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
xvfb_pid=$!
display_known() { grep -qs '^[0-9][0-9]*$' "$WORK/display"; }
poll 15 display_known || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
DISPLAY=":$(cat "$WORK/display")"
export DISPLAY

# The window manager gives the main window the keyboard focus, as on a desktop.
mkdir -p "$WORK/wm-home"
env -u DBUS_SESSION_BUS_ADDRESS HOME="$WORK/wm-home" XDG_CONFIG_HOME="$WORK/wm-home" \
    openbox >"$WORK/openbox.log" 2>&1 &
wm_pid=$!
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
poll 15 wm_running || fail "openbox did not start: $(cat "$WORK/openbox.log")"

echo "Measuring on DISPLAY=$DISPLAY (machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
python3 "$ROOT/bench/startup_benchmark.py" \
    --thymara "$BUILD_DIR/src/thymara" \
    --minimal "$BUILD_DIR/bench/thymara_minimal" \
    "$@"
