#!/usr/bin/env bash
# Checks what a Windows screen reader gets from the shipped program: a UI
# Automation client of ours (tests/windows/uia_client.cpp: plain Win32 and
# UI Automation's client API, no Qt; cross-built here) runs beside the
# program under Wine 10 on a private virtual X display. The keys of the Orca check's steps are pressed with
# xdotool; the client records every focus-changed event and reads the tree of
# the main, result, About and exit windows (control type, name, automation
# id, states, rectangle). scripts/windows/uia_compare.py compares all of it
# with what each window shows (tests/reading-order.txt and
# tests/windows/uia-expected.txt).
#
# Usage: uia-check.sh ZIP
#
# The zip is unpacked into a fresh Wine prefix without its Z: drive, as the
# Wine check does. Every wait is bounded, the client's calls into the
# program included (its watchdog): a step that hangs fails, naming the step.
# Prints "ok: ..." for each window and step that matches; exits non-zero on
# any difference, naming the window, the control and what differed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
inside_debian13 "$ROOT/scripts/windows/uia-check.sh" "$@"

ZIP="$(realpath "$1")"
EXPECTED="$ROOT/tests/windows/uia-expected.txt"
READING_ORDER="$ROOT/tests/reading-order.txt"
TITLE_PATTERN="$(title_pattern "$(dirname "$ZIP")")"

source "$ROOT/scripts/windows/wine_session.sh" uia-check
# A crash ends the process at once instead of waiting in Wine's debugger.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d"

echo "UI Automation check of $(basename "$ZIP")"
started=$SECONDS
CLIENT_SOURCE="$ROOT/tests/windows/uia_client.cpp"
timeout 120 x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static \
    -o "$WORK/uia_client.exe" "$CLIENT_SOURCE" -luiautomationcore -lole32 -loleaut32 -luuid ||
    fail "the UI Automation client did not build"

new_wine_prefix "$WINEPREFIX" --without-linux-drive
unzip -q "$ZIP" -d "$WINEPREFIX/drive_c"
FOLDER="$(basename "$ZIP" .zip)"
[ -f "$WINEPREFIX/drive_c/$FOLDER/thymara.exe" ] || fail "the zip has no $FOLDER/thymara.exe"
mkdir -p "$WINEPREFIX/drive_c/uia"
cp "$WORK/uia_client.exe" "$WINEPREFIX/drive_c/uia/"
cd "$WINEPREFIX/drive_c/$FOLDER"
stand_in_browser "$WORK/opened.log"
start_virtual_display
xdotool mousemove 1279 1023

# --- the client -----------------------------------------------------------------
# Commands go to it through a FIFO; what it reads, and the check's step marks,
# go to one log, appended line by line.
LOG="$WORK/uia.log"
mkfifo "$WORK/client.in"
: >"$LOG"
"$WINE" 'C:\uia\uia_client.exe' 280 <"$WORK/client.in" >>"$LOG" 2>"$WORK/client.err" &
client_pid=$!
exec 5>"$WORK/client.in"
stop_client() {
    { echo quit >&5; } 2>/dev/null || true
    exec 5>&- || true
    wait_exit "$client_pid" 15 || fail "the UI Automation client did not end: $(client_trouble)"
}
# What went wrong with the client: its timeout or error lines, or that it ended.
client_trouble() {
    grep -E '^(timeout|error):' "$LOG" && return 0
    kill -0 "$client_pid" 2>/dev/null && return 1
    echo "the client ended"
}
poll 60 grep -qx ready "$LOG" || fail "the UI Automation client did not start: $(cat "$LOG" "$WORK/client.err")"

focus_events() { grep -c '^focus:' "$LOG" || true; }
more_focus_than() { [ "$(focus_events)" -gt "$1" ]; }

# begin NAME: a step starts; marked in the log, its focus events follow.
begin() {
    step_name="$1"
    printf 'step %s\n' "$1" >>"$LOG"
    events_before=$(focus_events)
}

# settle_focus [SECONDS]: waits, bounded, until the program has told what the
# step changed: its first focus event (up to SECONDS, 10 by default), then
# 1.5 s without another.
settle_focus() {
    local count last quiet=0 tries
    poll "${1:-10}" more_focus_than "$events_before" || true
    last=$(focus_events)
    for ((tries = 0; tries < 80; tries++)); do
        sleep 0.25
        count=$(focus_events)
        if [ "$count" != "$last" ]; then
            quiet=0
            last=$count
        elif ((++quiet >= 6)); then
            ! client_trouble >/dev/null || fail "$step_name: $(client_trouble)"
            return 0
        fi
    done
    fail "$step_name: focus events kept coming for 20 s"
}

# read_tree LABEL: the client reads the foreground window's tree.
read_tree() {
    echo "tree $1" >&5
    poll 40 grep -qx "end tree $1" "$LOG" ||
        fail "$step_name: reading the $1 window's tree did not end: $(client_trouble)"
}

# A window that shows up (titled like the others) after pressing keys.
appears() { new_window "$TITLE_PATTERN" "$1" || fail "$step_name: no window appeared"; }
goes() { poll 10 is_gone "$1" "$TITLE_PATTERN" || fail "$step_name: window $1 stayed up"; }

# --- the steps: the Orca check's, as far as they move the focus -------------------
begin "start: the main window"
start_program "$WORK/program.log" "$WINE" "C:\\$FOLDER\\thymara.exe"
main=$(appears "")
settle_focus
read_tree main

begin "Down, Up: entries of the closed ailment list"
press "$main" Down Up
settle_focus 3

begin "Alt+Down: the open list"
press "$main" alt+Down
settle_focus 3

begin "Down, Return: the list closed on the entry chosen"
press "$main" Down Return
settle_focus 3

begin "Home: the closed list again"
press "$main" Home
settle_focus 3

begin "Alt+N: the result window"
press "$main" alt+n
result=$(appears "$main")
goes "$main"
settle_focus
read_tree result

begin "Tab: Back"
press "$result" Tab
settle_focus 3

begin "Alt+B: back on the main window"
press "$result" alt+b
goes "$result"
settle_focus

begin "Tab, Down, Shift+Tab: searching by herb"
press "$main" Tab Down shift+Tab
settle_focus 3

begin "Alt+H: the Help menu"
press "$main" alt+h
settle_focus 3

begin "A: the About window"
press "$main" a
about=$(appears "$main")
settle_focus
read_tree about

begin "Return: back on the main window"
press "$about" Return
goes "$about"
settle_focus

begin "Tab, Up: back to searching by ailment"
press "$main" Tab Up
settle_focus 3

begin "Alt+N: the result window again"
press "$main" alt+n
result=$(appears "$main")
settle_focus

begin "Alt+B: back on the main window again"
press "$result" alt+b
goes "$result"
settle_focus

begin "Alt+F4: the exit window"
press "$main" alt+F4
exit_window=$(appears "$main")
settle_focus
read_tree exit

begin "Tab, Tab: the first field of the referral form"
press "$exit_window" Tab Tab
settle_focus 3

begin "Alt+X: the program ends"
press "$exit_window" alt+x
wait_exit "$program_pid" 20 || fail "$step_name: the program did not end"
program_pid=""
[ "$status" = 0 ] || fail "$step_name: the program ended with status $status"
stop_client

verdict=0
timeout 60 python3 "$ROOT/scripts/windows/uia_compare.py" "$READING_ORDER" "$EXPECTED" "$LOG" \
    "$(dirname "$ZIP")/window-title" || verdict=$?
if [ "$verdict" -ne 0 ]; then
    echo "--- what the client read:"
    sed 's/^/    /' "$LOG"
fi
echo "uia-check: $((SECONDS - started)) s"
exit "$verdict"
