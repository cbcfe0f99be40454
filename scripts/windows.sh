#!/usr/bin/env bash
# Builds the Windows program on this Linux machine and checks it under Wine.
# Everything runs inside the Debian 13 root (scripts/debian13.sh,
# made and cached on the first run): its MinGW-w64 GCC 14, its Qt 6.8 tools
# and its Wine 10.
#
#   1. Qt for Windows, built once from Debian 13's qt6-base source into
#      ~/.cache/thymara (scripts/windows/build-qt.sh), reused when present;
#   2. thymara.exe and the tests, cross-built with MinGW-w64 into build-windows/;
#   3. the tests, run under Wine;
#   4. build-windows/thymara-<version>-win64/ (the program, every DLL it needs
#      and their licences; the install rules of packaging/windows/bundle.cmake),
#      its zip and build-windows/thymara-<version>-setup.exe, the installer
#      (NSIS), all made by scripts/windows/pack.sh as a release makes them;
#   5. the zip checked from outside under Wine (scripts/windows/wine-check.sh),
#      what a screen reader gets from it through UI Automation
#      (scripts/windows/uia-check.sh), then the installer
#      (scripts/windows/installer-check.sh);
#   6. the start-up benchmark under Wine, 3 runs, as a check that it works
#      (scripts/benchmark.sh --windows).
# The version is the CMake project version.
#
# Usage: windows.sh [--screenshots]   (--screenshots also saves the main,
#        result and exit windows, the installer's pages and the installed
#        program at 192 dpi to docs/screenshots/windows/)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
inside_debian13 "$ROOT/scripts/windows.sh" "$@"

SAVE_SHOTS=""
[ "${1:-}" = "--screenshots" ] && SAVE_SHOTS="$ROOT/docs/screenshots/windows"

WIN_BUILD="${THYMARA_WINDOWS_BUILD_DIR:-$ROOT/build-windows}"
WINEPREFIX_TESTS="$WIN_BUILD/wine"

echo "In the Debian 13 root: $(x86_64-w64-mingw32-g++-posix --version | head -1), $("$WINE" --version),"
echo "  native Qt tools $(dpkg-query -W -f='${Version}' qt6-base-dev-tools), $(cmake --version | head -1)"

started=$(date +%s)
stage_start=$started
timings=()
stage_done() {
    local now
    now=$(date +%s)
    timings+=("$(printf '%-32s %5d s' "$1" $((now - stage_start)))")
    stage_start=$now
}

# --- 1. Qt for Windows --------------------------------------------------------
QT_WIN="$("$ROOT/scripts/windows/build-qt.sh")"
stage_done "Qt for Windows"

# --- 2. cross build -------------------------------------------------------------
# The C++ runtime is linked into the program and the tests (-static), as it
# is into Qt's DLLs: the only DLLs they load are Qt's and Windows' own.
DLL_DIRS="$QT_WIN/bin"

configure_windows "$WIN_BUILD" "$QT_WIN" -DTHYMARA_BUILD_BENCH=ON \
    "-DCMAKE_CROSSCOMPILING_EMULATOR=$ROOT/scripts/windows/wine-run.sh;$WINEPREFIX_TESTS;$DLL_DIRS"
VERSION="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$WIN_BUILD/CMakeCache.txt")"
[ -n "$VERSION" ] || { echo "no project version in $WIN_BUILD/CMakeCache.txt" >&2; exit 1; }
PACKAGE="thymara-$VERSION-win64"
DEPLOY="$WIN_BUILD/$PACKAGE"
SETUP="thymara-$VERSION-setup.exe"

# The icon is committed, so that a build on Windows needs no icoutils; it
# must still be made of the PNGs as they are.
icons=()
for size in 16 24 32 48 64 128; do icons+=("$ROOT/resources/thymara-$size.png"); done
icotool -c -o "$WIN_BUILD/thymara.ico" "${icons[@]}" -r "$ROOT/resources/thymara-256.png"
cmp -s "$WIN_BUILD/thymara.ico" "$ROOT/resources/thymara.ico" || {
    echo "resources/thymara.ico is not made of the PNGs beside it; make it again (docs/packaging.md, Icons)" >&2
    exit 1
}
cmake --build "$WIN_BUILD" --parallel "$JOBS"
stage_done "Windows program and tests"

# --- 3. tests under Wine ----------------------------------------------------------
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX_TESTS/system.reg" ] || new_wine_prefix "$WINEPREFIX_TESTS"
stop_wine() { WINEPREFIX="$WINEPREFIX_TESTS" timeout 20 "$WINESERVER" -k 2>/dev/null || true; }
trap stop_wine EXIT
# The tests draw nothing on screen (offscreen platform, set per test). On
# Windows that platform reads fonts from one folder only: the Linux fallback
# font, through Wine's Z: drive.
export QT_QPA_FONTDIR=Z:/usr/share/fonts/truetype/dejavu
(unset DISPLAY; ctest --test-dir "$WIN_BUILD" --output-on-failure --timeout 300)
stop_wine
stage_done "tests under Wine"

# --- 4. the folder, the zip and the installer -------------------------------------
"$ROOT/scripts/windows/pack.sh" "$WIN_BUILD" "$WIN_BUILD"
echo "Packed $WIN_BUILD/$PACKAGE.zip ($(du -k "$WIN_BUILD/$PACKAGE.zip" | cut -f1) KiB):"
(cd "$DEPLOY" && find . -type f | sort | sed 's|^\./|    |')
echo "Made $WIN_BUILD/$SETUP ($(du -k "$WIN_BUILD/$SETUP" | cut -f1) KiB)"
stage_done "folder, zip and installer"

# --- 5. the Wine checks ----------------------------------------------------------------
product_host="$(sed -n 's/^THYMARA_PRODUCT_HOST:STRING=//p' "$WIN_BUILD/CMakeCache.txt")"
"$ROOT/scripts/windows/wine-check.sh" "$WIN_BUILD/$PACKAGE.zip" "$product_host" "$SAVE_SHOTS"
stage_done "Wine check"
"$ROOT/scripts/windows/uia-check.sh" "$WIN_BUILD/$PACKAGE.zip"
stage_done "UI Automation check under Wine"
"$ROOT/scripts/windows/installer-check.sh" "$VERSION" "$WIN_BUILD/$SETUP" "$DEPLOY" \
    "$WIN_BUILD/packaging/thymara.nsi" "$SAVE_SHOTS"
stage_done "installer check under Wine"
# The start-up benchmark under Wine, 3 runs: that it still works, not a
# measurement (docs/performance.md).
"$ROOT/scripts/benchmark.sh" --windows --runs 3 --no-click
stage_done "start-up benchmark, 3 runs"

echo "Times:"
printf '  %s\n' "${timings[@]}"
printf '  %-32s %5d s\n' "total" $(($(date +%s) - started))
