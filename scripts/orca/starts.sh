# shellcheck shell=bash
# Instead of the steps of scripts/orca/steps.sh, when THYMARA_ORCA_STARTS is a
# number: starts the program that many times in a row with Orca running, as
# a user does day after day. Each start has to be heard with the window and
# the ailment list's value, and each Alt+F4 with the exit window's Exit
# button; a second Alt+F4 ends the program.

source "$ROOT/scripts/orca/speech.sh"

for ((start = 1; start <= THYMARA_ORCA_STARTS; start++)); do
    mark_line=$(wc -l <"$SPEECH")
    start_program "$CHECK_DIR/program-$start.log" \
        env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 timeout 60 "$PROGRAM"
    expect "start $start: the window, the ailment list and its value" "frame.*Ailment combo box.*Toothache"
    play alt+F4
    expect "start $start, Alt+F4: the exit window" "Exit $BUTTON"
    play alt+F4
    happens "start $start, Alt+F4 again: the program ends" program_ended ||
        kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
done
if [ "$mismatches" -gt 0 ]; then
    echo "orca_check: $mismatches of the starts' steps not heard as they should be" >&2
    exit 1
fi
echo "orca_check: $THYMARA_ORCA_STARTS starts, each heard as it should be"
