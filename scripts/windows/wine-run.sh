#!/usr/bin/env bash
# Runs one Windows program under Wine; ctest uses it as the cross-compiling
# emulator for the test binaries.
#
# Usage: wine-run.sh WINEPREFIX DLL_DIRS PROGRAM [ARGS...]
#   DLL_DIRS: Linux directories, separated by ':', searched for DLLs (the
#   Windows Qt's bin directory), handed to Wine as WINEPATH.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
export WINEPREFIX="$1"
dirs="$2"
shift 2
winepath=""
IFS=':' read -ra parts <<<"$dirs"
for dir in "${parts[@]}"; do
    # Wine's Z: drive is the Linux root.
    winepath+="${winepath:+;}Z:${dir//\//\\}"
done
export WINEPATH="$winepath"
# Wine keeps the Linux QT_* variables away from Windows programs; it passes
# WINEQT_* on as QT_*. The tests need theirs (QT_QPA_PLATFORM=offscreen).
while IFS='=' read -r name value; do
    export "WINE$name=$value"
done < <(env | grep '^QT_[A-Za-z0-9_]*=' || true)
# Qt Test writes its report to the debugger instead of standard output when
# standard error has no console window, as under ctest.
export WINEQT_FORCE_STDERR_LOGGING=1
export WINEDEBUG="${WINEDEBUG:--all}"
# No prompts to download Mono or Gecko: nothing here needs them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec "$WINE" "$@"
