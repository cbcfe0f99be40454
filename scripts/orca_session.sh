#!/usr/bin/env bash
# The inside of scripts/orca_check.sh: runs within its private session bus.
# Starts the virtual display, the accessibility bus, Orca with the speech log
# and Thymara, then plays the steps of scripts/orca/steps.sh.
# Expects CHECK_DIR (the check's scratch directory) and PROGRAM.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
WORK="$CHECK_DIR/display"
mkdir -p "$WORK"
source "$ROOT/scripts/virtual_display.sh"

orca_pid=""
stop_session() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    if [ -n "$orca_pid" ]; then kill "$orca_pid" 2>/dev/null || true; fi
    stop_virtual_display
}
trap stop_session EXIT

start_virtual_display

start_accessibility_bus

export THYMARA_SPEECH_LOG="$CHECK_DIR/speech.log"
: >"$THYMARA_SPEECH_LOG"
orca_args=(--user-prefs "$CHECK_DIR/orca-prefs")
[ -n "${ORCA_DEBUG:-}" ] && orca_args+=(--debug-file "$CHECK_DIR/orca-debug.log")
PYTHONPATH="$ROOT/scripts/orca" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
    /usr/bin/python3 "$ROOT/scripts/orca/run_orca.py" "${orca_args[@]}" \
    >"$CHECK_DIR/orca.log" 2>&1 &
orca_pid=$!

if [ -n "${THYMARA_ORCA_STARTS:-}" ]; then
    source "$ROOT/scripts/orca/starts.sh"
else
    source "$ROOT/scripts/orca/steps.sh"
fi
