#!/usr/bin/env bash
# Builds Thymara and measures its start-up against minimal Qt Widgets programs
# of the same window size and title: one with Thymara's menu bar and a label
# of text (the yardstick), one with an empty window. For Thymara both a
# returning user (settings present) and a first start (fresh home):
#
#   - time from starting the process to its window being mapped,
#   - time from starting the process to its window's first paint,
#   - resident memory once the window is up,
#   - for Thymara, time from pressing Next (Alt+N) to the result window.
#
# All run interleaved on a private virtual X display with openbox as the
# window manager, with a session D-Bus: the desktop's, or one started for the
# benchmark when there is none. Medians, the ratios and the machine's load
# are printed at the end; bench/startup_benchmark.py says how each figure is
# taken.
#
#   scripts/benchmark.sh [--runs N] [--settle SECONDS] [--markdown]   (21 runs each)
#   scripts/benchmark.sh --callgrind N    instructions until first paint instead
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    ensure_packages dbus-daemon
    # Without a bus Qt autolaunches one per program, which outlives the run.
    exec dbus-run-session -- "$0" "$@"
fi

ensure_packages "${BUILD_PACKAGES[@]}"
# Builds only the programs run here.
# A build of its own: the developer's build/ keeps its options.
BENCH_BUILD="${THYMARA_BENCH_BUILD_DIR:-$ROOT/build-bench}"
cmake -S "$ROOT" -B "$BENCH_BUILD" -DCMAKE_BUILD_TYPE=Release -DTHYMARA_BUILD_BENCH=ON >/dev/null
cmake --build "$BENCH_BUILD" --parallel "$JOBS" --target thymara thymara_minimal
ensure_packages xvfb x11-utils openbox python3 python3-xlib
for argument in "$@"; do
    if [ "$argument" = "--callgrind" ]; then ensure_packages valgrind; fi
done

WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-bench.XXXXXX")"
source "$ROOT/scripts/virtual_display.sh"
start_virtual_display

echo "Measuring on DISPLAY=$DISPLAY (machine: $(nproc) cores)"
# The system Python: python3-xlib is a Debian package.
/usr/bin/python3 "$ROOT/bench/startup_benchmark.py" \
    --thymara "$BENCH_BUILD/src/thymara" \
    --minimal "$BENCH_BUILD/bench/thymara_minimal" \
    "$@"
