# shellcheck shell=bash
# What the Wine checks share: a scratch folder for a fresh Wine prefix, the
# virtual display helper, a clean-up that ends Wine's processes before the
# display and the folder they use, and the count of passed checks.
# Sourced after common.sh as: source wine_session.sh NAME
WORK="$(mktemp -d "${TMPDIR:-/tmp}/thymara-$1.XXXXXX")"
source "$ROOT/scripts/virtual_display.sh"
export WINEPREFIX="$WORK/wine"
export WINEDEBUG=-all
# No Mono or Gecko prompts, and no Linux menu entries for shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINEPATH
cleanup() {
    timeout 20 "$WINESERVER" -k 2>/dev/null || true
    stop_virtual_display
}
trap cleanup EXIT

# Wine's programs take their keys slowly.
KEY_DELAY=150

passed=0
pass() {
    echo "  ok: $*"
    passed=$((passed + 1))
}
