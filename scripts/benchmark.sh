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
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DTHYMARA_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target thymara thymara_minimal
ensure_packages xvfb x11-utils openbox python3 libx11-6 libxtst6

WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-bench.XXXXXX")"
source "$ROOT/scripts/virtual_display.sh"
start_virtual_display

echo "Measuring on DISPLAY=$DISPLAY (machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
python3 "$ROOT/bench/startup_benchmark.py" \
    --thymara "$BUILD_DIR/src/thymara" \
    --minimal "$BUILD_DIR/bench/thymara_minimal" \
    "$@"
