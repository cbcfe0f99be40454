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
# The same on Debian 13, in its root (scripts/debian13.sh), whose packages
# it then uses:
#   --qt68      the three programs built against Debian 13's Qt 6.8 LTS;
#   --windows   the three Windows programs, built with the same Qt for Windows
#               and compiler as the one that ships (in build-windows/) and
#               run from one folder as it ships, under Wine 10, in a prefix of
#               their own whose wineserver keeps running meanwhile.
#
#   scripts/benchmark.sh [--qt68|--windows] [--runs N] [--settle SECONDS] [--markdown]
#                                          (21 runs each)
#   scripts/benchmark.sh --callgrind N    instructions until first paint instead
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

TARGET=""
case "${1:-}" in
--qt68 | --windows)
    TARGET="$1"
    shift
    [ -n "${THYMARA_IN_DEBIAN13:-}" ] || exec "$ROOT/scripts/debian13.sh" run "$ROOT/scripts/benchmark.sh" "$TARGET" "$@"
    ;;
esac

if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    [ -n "$TARGET" ] || ensure_packages dbus-daemon
    # Without a bus Qt autolaunches one per program, which outlives the run.
    exec dbus-run-session -- "$0" $TARGET "$@"
fi

PYTHON_ARGS=()
if [ "$TARGET" = --windows ]; then
    # The programs as they ship: Thymara's folder (`cmake --install`), with
    # the minimal program beside it.
    BENCH_BUILD="${THYMARA_WINDOWS_BUILD_DIR:-$ROOT/build-windows}"
    configure_windows "$BENCH_BUILD" "$("$ROOT/scripts/windows/build-qt.sh")" -DTHYMARA_BUILD_BENCH=ON
    cmake --build "$BENCH_BUILD" --parallel "$JOBS" --target thymara thymara_minimal
    FOLDER="$BENCH_BUILD/bench-folder"
    rm -rf "$FOLDER"
    cmake --install "$BENCH_BUILD" --prefix "$FOLDER" >"$BENCH_BUILD/bench-install.log" ||
        { cat "$BENCH_BUILD/bench-install.log"; exit 1; }
    cp "$BENCH_BUILD/bench/thymara_minimal.exe" "$FOLDER/"
    export WINEPREFIX="$BENCH_BUILD/bench-wine" WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    [ -f "$WINEPREFIX/system.reg" ] || new_wine_prefix "$WINEPREFIX"
    # Kept running, as Windows' own services are before any program starts.
    "$WINESERVER" -p
    trap 'timeout 20 "$WINESERVER" -k 2>/dev/null || true' EXIT
    PROGRAMS=(--thymara "$FOLDER/thymara.exe" --minimal "$FOLDER/thymara_minimal.exe")
    PYTHON_ARGS=(--wine "$WINE")
    echo "Under $("$WINE" --version), Qt for Windows $(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"
else
    # A build of its own: the developer's build/ keeps its options.
    BENCH_BUILD="${THYMARA_BENCH_BUILD_DIR:-$ROOT/build-bench}"
    if [ -n "$TARGET" ]; then
        BENCH_BUILD="${THYMARA_BENCH_BUILD_DIR:-$ROOT/build-bench-qt68}"
    else
        ensure_packages "${BUILD_PACKAGES[@]}"
    fi
    cmake -S "$ROOT" -B "$BENCH_BUILD" -DCMAKE_BUILD_TYPE=Release -DTHYMARA_BUILD_BENCH=ON >/dev/null
    cmake --build "$BENCH_BUILD" --parallel "$JOBS" --target thymara thymara_minimal
    PROGRAMS=(--thymara "$BENCH_BUILD/src/thymara" --minimal "$BENCH_BUILD/bench/thymara_minimal")
    echo "On Qt $(dpkg-query -W -f='${Version}' qt6-base-dev)"
fi
if [ -z "$TARGET" ]; then
    ensure_packages xvfb x11-utils openbox python3 python3-xlib
    for argument in "$@"; do
        if [ "$argument" = "--callgrind" ]; then ensure_packages valgrind; fi
    done
fi

WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-bench.XXXXXX")"
source "$ROOT/scripts/virtual_display.sh"
start_virtual_display

echo "Measuring on DISPLAY=$DISPLAY (machine: $(nproc) cores)"
# The system Python: python3-xlib is a Debian package.
/usr/bin/python3 "$ROOT/bench/startup_benchmark.py" "${PROGRAMS[@]}" "${PYTHON_ARGS[@]}" "$@"
