#!/usr/bin/env bash
# Checks Thymara with a real screen reader: Debian's Orca runs on a virtual
# display with a private session bus and accessibility bus, its speech goes
# to a log instead of a sound device (scripts/orca/thymara_speech_log.py), and
# a blind user's everyday steps are played with keys only (xdotool). Each step
# is compared with what the user needs to hear (scripts/orca/steps.sh). With
# THYMARA_ORCA_STARTS=N it starts the program N times in a row instead
# (scripts/orca/starts.sh); THYMARA_PROGRAM names an installed program to
# check instead of the build's.
#
# Orca, the program and the buses live in a throwaway home; a screen reader
# the user runs meanwhile is neither disturbed nor in the way. Addresses go to
# a stand-in browser that only logs them. Every wait is bounded. Prints what
# Orca said; exits non-zero when a step is not heard as it should be.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

PROGRAM="${THYMARA_PROGRAM:-}"
if [ -z "$PROGRAM" ]; then
    ensure_packages "${BUILD_PACKAGES[@]}" "${ORCA_PACKAGES[@]}"
    build_targets thymara
    PROGRAM="$BUILD_DIR/src/thymara"
fi
echo "orca_check: $PROGRAM with Orca $(dpkg-query -W -f='${Version}' orca) and Qt $(dpkg-query -W -f='${Version}' libqt6gui6 libqt6gui6t64 2>/dev/null)"

CHECK_DIR="$(mktemp -d "${TMPDIR:-/tmp}/thymara-orca.XXXXXX")"
[ -n "${KEEP_WORK:-}" ] || trap 'rm -rf "$CHECK_DIR"' EXIT
mkdir -p "$CHECK_DIR/orca-prefs"
stand_in_browser "$CHECK_DIR/browser.log"

# Speech only, to the log; no key names echoed, no braille, no sounds.
cat >"$CHECK_DIR/orca-prefs/user-settings.conf" <<'SETTINGS'
{
    "general": {"startingProfile": ["Default", "default"], "activeProfile": ["Default", "default"]},
    "profiles": {"default": {
        "profile": ["Default", "default"],
        "speechServerFactory": "thymara_speech_log",
        "speechFactoryModules": ["thymara_speech_log"],
        "speechServerInfo": null,
        "enableSpeech": true,
        "enableKeyEcho": false,
        "enableEchoByCharacter": false,
        "enableEchoByWord": false,
        "enableBraille": false,
        "enableSound": false,
        "enableTutorialMessages": false,
        "enableMnemonicSpeaking": false,
        "keyboardLayout": 1,
        "orcaModifierKeys": ["Insert", "KP_Insert"],
        "pronunciations": {},
        "keybindings": {}
    }},
    "pronunciations": {},
    "keybindings": {}
}
SETTINGS

export CHECK_DIR PROGRAM BROWSER_LOG="$CHECK_DIR/browser.log"
status=0
# The session's own bus comes from dbus-run-session, its display from the
# virtual display helper.
(
    unset DBUS_SESSION_BUS_ADDRESS DISPLAY
    exec_private "$CHECK_DIR/home" timeout $((300 + ${THYMARA_ORCA_STARTS:-0} * 20)) \
        dbus-run-session -- bash "$ROOT/scripts/orca_session.sh"
) || status=$?
[ "$status" -eq 124 ] && echo "orca_check: the check did not end in time" >&2
if [ "$status" -ne 0 ]; then
    echo "--- Orca's output:"
    cat "$CHECK_DIR/orca.log" 2>/dev/null || true
    echo "--- the program's output:"
    cat "$CHECK_DIR/program.log" 2>/dev/null || true
fi
exit "$status"
