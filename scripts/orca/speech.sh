# shellcheck shell=bash
# What the Orca check's steps share, sourced by scripts/orca/steps.sh and
# scripts/orca/starts.sh once Orca runs: pressing keys the way a blind user
# would, and bounded waits on the speech log for what Orca says.

SPEECH="$THYMARA_SPEECH_LOG"
# The role words that Orca 43 (Debian 12) and Orca 48 (Debian 13) say
# differently; a step accepts either wording of these, and nothing else.
# shellcheck disable=SC2034 # for the steps that source this file
BUTTON="(push button|button)" # Orca 48: "button"
mismatches=0
mark_line=0

# Everything Orca said since the last key press, on one line.
said() { tail -n +$((mark_line + 1)) "$SPEECH" | sed 's/^[a-z]* //' | tr '\n' ' '; }
heard() { said | grep -qiE -- "$1"; }

# play KEY...: each key in turn, a chord (alt+n) held as a person does: the
# modifiers go down first and up last, so that Alt alone never reaches the
# program as a press of its own.
play() {
    mark_line=$(wc -l <"$SPEECH")
    local key mods
    for key in "$@"; do
        if [[ "$key" == *+* ]]; then
            mods=${key%+*}
            xdotool keydown ${mods//+/ }
            xdotool key "${key##*+}"
            xdotool keyup ${mods//+/ }
        else
            xdotool key "$key"
        fi
    done
}

# expect STEP REGEX: Orca says something matching REGEX (case aside) within
# 10 seconds of the last key press.
expect() {
    local step="$1" pattern="$2"
    if poll 10 heard "$pattern"; then
        echo "ok   $step: $(said)"
    else
        echo "FAIL $step: expected /$pattern/, Orca said: $(said)"
        mismatches=$((mismatches + 1))
    fi
}

# refuse STEP REGEX: nothing said since the last key press matches REGEX. Only
# meaningful after an expect that waited for the end of the same utterances.
refuse() {
    local step="$1" pattern="$2"
    if heard "$pattern"; then
        echo "FAIL $step: Orca said /$pattern/: $(said)"
        mismatches=$((mismatches + 1))
    fi
}

# once STEP WORDS: once Orca has been quiet for a second (five seconds at
# most), WORDS were said exactly once since the last key press.
once() {
    local step="$1" words="$2" lines=-1 now quiet=0 count
    for _ in $(seq 50); do
        now=$(wc -l <"$SPEECH")
        if [ "$now" = "$lines" ]; then
            quiet=$((quiet + 1))
            [ "$quiet" -ge 10 ] && break
        else
            quiet=0
            lines=$now
        fi
        sleep 0.1
    done
    count=$(said | grep -oi -- "$words" | wc -l)
    if [ "$count" -ne 1 ]; then
        echo "FAIL $step: said $count times: $(said)"
        mismatches=$((mismatches + 1))
    fi
}

# happens STEP COMMAND...: COMMAND succeeds within 10 seconds of the last key
# press; the step counts as done or not.
happens() {
    local step="$1"
    shift
    poll 10 "$@" && { echo "ok   $step"; return 0; }
    echo "FAIL $step"
    mismatches=$((mismatches + 1))
    return 1
}

# program_pid is the display helper's (start_program), which orca_session.sh
# sources before this file.
# shellcheck disable=SC2154
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }

orca_ready() { grep -q "Screen reader on" "$SPEECH"; }
poll 30 orca_ready || fail "Orca did not start: $(cat "$CHECK_DIR/orca.log")"
