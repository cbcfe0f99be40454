#!/usr/bin/env bash
# Checks the shipped Windows program from outside, the way a person would,
# under Wine on a private virtual X display (Xvfb with openbox).
#
# Usage: wine-check.sh ZIP [PRODUCT_HOST [SCREENSHOT_DIR]]
#
# The zip is unpacked into C:\ of a fresh Wine prefix whose Z: drive (the
# Linux root) is removed first, so the program can reach nothing of the
# build machine: a DLL or plugin missing from the zip shows up here. Wine
# hands web addresses to the desktop's xdg-open; a stand-in first on PATH
# logs them instead of starting a browser. Message box texts are read from
# the clipboard (Ctrl+C copies a message box on Windows), the result window's
# text by OCR of its screenshot.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
inside_debian13 "$ROOT/scripts/windows/wine-check.sh" "$@"

ZIP="$(realpath "$1")"
PRODUCT_HOST="${2:-thymara.ondrel.example}"
SHOT_DIR="${3:-}"
HELP_ADDRESS="http://$PRODUCT_HOST/thymara-help.html"
TITLE_PATTERN="$(title_pattern "$(dirname "$ZIP")")"
BOX_PATTERN='^Thymara$'

source "$ROOT/scripts/windows/wine_session.sh" wine-check

# --- a fresh Wine prefix holding only the unpacked zip ----------------------
echo "Wine check of $(basename "$ZIP")"
new_wine_prefix "$WINEPREFIX" --without-linux-drive
unzip -q "$ZIP" -d "$WINEPREFIX/drive_c"
FOLDER="$(basename "$ZIP" .zip)"
[ -f "$WINEPREFIX/drive_c/$FOLDER/thymara.exe" ] || fail "the zip has no $FOLDER/thymara.exe"
PROGRAM="C:\\$FOLDER\\thymara.exe"
cd "$WINEPREFIX/drive_c/$FOLDER"

stand_in_browser "$WORK/opened.log"

start_virtual_display
xdotool mousemove 1279 1023

# --- helpers -------------------------------------------------------------

# Copies a message box's title and text to the clipboard and prints it.
box_text() {
    local id="$1" text=""
    for ((tries = 0; tries < 20; tries++)); do
        press "$id" ctrl+c
        text="$(timeout 5 xclip -o -selection clipboard 2>/dev/null || true)"
        [ -n "$text" ] && break
        sleep 0.25
    done
    printf '%s' "$text" | tr -d '\r'
}

settings_value() {
    timeout 60 "$WINE" reg query 'HKCU\Software\thymara\thymara\Settings' /v Duration 2>/dev/null |
        tr -d '\r' | awk '$1 == "Duration" { print $3 }'
}

today="$(date +%F)"

# --- first start: main window, help address, second copy, result, exit -----
start_program "$WORK/first.log" "$WINE" "$PROGRAM"
first=$program_pid
main=$(new_window "$TITLE_PATTERN" "") || fail "no window titled $TITLE_PATTERN appeared: $(cat "$WORK/first.log")"
pass "the main window appears titled $TITLE_PATTERN"
shoot "$main" main-window.png

[ "$(settings_value)" = "$today" ] || fail "the first start did not write today's date to HKCU\\Software\\thymara\\thymara\\Settings\\Duration (found '$(settings_value)')"
pass "the first start writes Duration=$today to HKCU\\Software\\thymara\\thymara\\Settings"

# Windows has no per-user runtime folder; the lock goes with the per-user
# state in %LOCALAPPDATA%, never into the profile's root.
lock="$(cd "$WINEPREFIX/drive_c" && find users -path '*/AppData/Local/thymara/thymara.lock' | head -1)"
[ -n "$lock" ] || fail "no %LOCALAPPDATA%\\thymara\\thymara.lock while the program runs"
stray="$(cd "$WINEPREFIX/drive_c" && find users -maxdepth 2 -name 'thymara.lock*')"
[ -z "$stray" ] || fail "a lock in the profile's root: $stray"
pass "the running copy holds C:\\${lock//\//\\}, none lies in the profile's root"

press "$main" alt+h o
poll 20 grep -q . "$WORK/opened.log" || fail "Help > Online Help handed no address to xdg-open"
sleep 0.5
opened="$(cat "$WORK/opened.log")"
[ "$opened" = "$HELP_ADDRESS" ] || fail "Help > Online Help opened '$opened', expected '$HELP_ADDRESS'"
pass "Help > Online Help hands exactly $HELP_ADDRESS to xdg-open"
: >"$WORK/opened.log"

start_program "$WORK/second.log" "$WINE" "$PROGRAM"
second=$program_pid
program_pid=$first
box=$(new_window "$BOX_PATTERN" "") || fail "a second copy showed no message box"
text="$(box_text "$box")"
grep -qx "Application is already running" <<<"$text" ||
    fail "the second copy's box reads: $text"
press "$box" Return
wait_exit "$second" 20 || fail "the second copy did not end after OK"
[ "$status" = 0 ] || fail "the second copy ended with status $status"
poll 5 bash -c "xdotool search --onlyvisible --name '$TITLE_PATTERN' | grep -qx $main" ||
    fail "the first copy's main window went away"
pass "a second copy shows \"Application is already running\" and ends (status 0); the first stays"

press "$main" alt+n
result=$(new_window "$TITLE_PATTERN" "$main") || fail "Next showed no result window"
poll 10 is_gone "$main" "$TITLE_PATTERN" || fail "the main window stayed up after Next"
shoot "$result" result-ailment.png
convert "$WORK/result-ailment.png" -resize 300% -colorspace Gray "$WORK/result-big.png"
timeout 120 tesseract "$WORK/result-big.png" "$WORK/result-ocr" >/dev/null 2>&1 || true
grep -q "Toothache" "$WORK/result-ocr.txt" && grep -q "Clove Oil" "$WORK/result-ocr.txt" ||
    fail "the result window does not show the Toothache result; it reads: $(cat "$WORK/result-ocr.txt")"
pass "Next shows the result window with Toothache: $(grep -m1 'Clove Oil' "$WORK/result-ocr.txt")"

press "$result" alt+e
exit_window=$(new_window "$TITLE_PATTERN" "$result") || fail "Exit in the result window showed no exit window"
shoot "$exit_window" exit-window.png
press "$exit_window" alt+x
wait_exit "$first" 20 || fail "the exit window's Exit did not end the program"
program_pid=""
[ "$status" = 0 ] || fail "the program ended with status $status"
pass "the exit window's Exit ends the process with status 0"

# The lock file stays: the lock is the open handle, gone with the process. The
# next start must therefore run, not be refused.

# --- a reminder date 15 days old brings the update question ----------------
old="$(date -d '15 days ago' +%F)"
timeout 60 "$WINE" reg add 'HKCU\Software\thymara\thymara\Settings' /v Duration /t REG_SZ /d "$old" /f >/dev/null 2>&1
[ "$(settings_value)" = "$old" ] || fail "could not set Duration to $old"
start_program "$WORK/third.log" "$WINE" "$PROGRAM"
third=$program_pid
box=$(new_window "$BOX_PATTERN" "") || fail "a date 15 days old brought no update question"
text="$(box_text "$box")"
grep -q "Application is already running" <<<"$text" &&
    fail "the next start was refused: the lock outlived the copy that held it"
grep -q "There maybe an update to this software available" <<<"$text" &&
    grep -q "Do you want to check for an update?" <<<"$text" ||
    fail "the update question reads: $text"
press "$box" Escape
main=$(new_window "$TITLE_PATTERN" "") || fail "no main window after the update question"
[ "$(settings_value)" = "$today" ] || fail "answering No left Duration at '$(settings_value)'"
[ ! -s "$WORK/opened.log" ] || fail "answering No opened $(cat "$WORK/opened.log")"
pass "Duration=$old brings the update question; No writes $today and opens nothing"
press "$main" alt+f x
exit_window=$(new_window "$TITLE_PATTERN" "$main") || fail "File > Exit showed no exit window"
press "$exit_window" alt+x
wait_exit "$third" 20 || fail "the program did not end"
program_pid=""
[ "$status" = 0 ] || fail "the program ended with status $status"

# --- %LOCALAPPDATA%\thymara unusable: a file in its place ---------------------
# No lock file can be made there; the copy guard that needs no folder (a
# mutex named after the user) still keeps to one copy.
state="$WINEPREFIX/drive_c/$(dirname "$lock")"
rm -rf "$state"
echo "not a folder" >"$state"
start_program "$WORK/fourth.log" "$WINE" "$PROGRAM"
fourth=$program_pid
main=$(new_window "$TITLE_PATTERN" "") || fail "with a file in place of %LOCALAPPDATA%\thymara, no main window appeared"
start_program "$WORK/fifth.log" "$WINE" "$PROGRAM"
fifth=$program_pid
program_pid=$fourth
box=$(new_window "$BOX_PATTERN" "") ||
    fail "with a file in place of %LOCALAPPDATA%\thymara, a second copy ran beside the first"
text="$(box_text "$box")"
grep -qx "Application is already running" <<<"$text" || fail "the second copy's box reads: $text"
press "$box" Return
wait_exit "$fifth" 20 || fail "the second copy did not end after OK"
press "$main" alt+f x
exit_window=$(new_window "$TITLE_PATTERN" "$main") || fail "File > Exit showed no exit window"
press "$exit_window" alt+x
wait_exit "$fourth" 20 || fail "the program did not end"
program_pid=""
rm -f "$state"
pass "with a file in place of %LOCALAPPDATA%\\thymara, a second copy is still refused and the first runs on"

echo "wine-check: $passed passed, 0 failed"
