# shellcheck shell=bash
# The helpers every script sources (scripts/virtual_display.sh adds those of
# the virtual display): package installs, the build, bounded waits, a private
# home, a stand-in browser and a fresh Wine prefix. Sourced, not run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${THYMARA_BUILD_DIR:-$ROOT/build}"
# Parallel jobs for every build the scripts start.
JOBS="${THYMARA_JOBS:-$(nproc)}"

# title_pattern DIR: an exact-match pattern for the window title of the build
# in DIR, which CMake writes from the project version.
title_pattern() {
    local title
    title="$(cat "$1/window-title")" || return 1
    printf '^%s$' "$(sed 's/[][\.*^$]/\\&/g' <<<"$title")"
}

# Every script that waits does it through poll: a bounded wait, never a sleep
# on hope.
fail() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# Runs the command every 50 ms until it succeeds; gives up after $1 seconds.
poll() {
    local tries=$(($1 * 20))
    shift
    while ((tries-- > 0)); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

# Waits up to $2 seconds for process $1 (a child of this shell) to end; its
# exit status goes to status.
# shellcheck disable=SC2034 # status is for the caller
wait_exit() {
    local pid="$1" seconds="$2"
    poll "$seconds" bash -c "! kill -0 $pid 2>/dev/null" || return 1
    status=0
    wait "$pid" || status=$?
}

# A fresh desktop's unattended upgrades hold the package manager's lock for
# minutes after boot: every apt-get waits for it (up to 15 minutes) instead of
# failing at once.
APT_WAIT=(-o DPkg::Lock::Timeout=900)

# Installs the given Debian packages when any of them is missing.
ensure_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get "${APT_WAIT[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${APT_WAIT[@]}" install -y -qq \
        --no-install-recommends "${missing[@]}"
}

# The package lists are for the scripts that source this file (the
# directives: the linter sees no use of them in this file alone).
# shellcheck disable=SC2034
BUILD_PACKAGES=(g++ cmake make qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev fonts-dejavu-core)
# What the program needs to start on any desktop: qt6-wayland lets it run on
# a Wayland session without XWayland.
# shellcheck disable=SC2034
RUN_PACKAGES=(qt6-wayland)
# The screen reader check (scripts/orca_check.sh): Orca, the accessibility
# bus and a virtual display with a window manager, driven by keys.
# shellcheck disable=SC2034
ORCA_PACKAGES=(orca python3-pyatspi at-spi2-core dbus-x11 xvfb xdotool openbox x11-utils)

# source_date_epoch: the time every file of a build carries, in seconds:
# SOURCE_DATE_EPOCH when set, else the last commit's time, else (a tree
# without git) the date of the changelog's entry.
source_date_epoch() {
    if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
        echo "$SOURCE_DATE_EPOCH"
    elif command -v git >/dev/null && git -C "$ROOT" rev-parse --git-dir >/dev/null 2>&1; then
        git -C "$ROOT" log -1 --format=%ct
    else
        date -d "$(sed -n 's/^ -- .*>  //p' "$ROOT/packaging/changelog.in" | head -n 1)" +%s
    fi
}

# configure_windows DIR QT [cmake options...]: the Windows build in DIR
# (inside the Debian 13 root), against the Qt for Windows in QT.
configure_windows() {
    local dir="$1" qt="$2"
    shift 2
    mkdir -p "$dir"
    cmake -S "$ROOT" -B "$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_EXE_LINKER_FLAGS=-static \
        -DCMAKE_PREFIX_PATH="$qt" \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF "$@" \
        >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
}

# configure_and_build [DIR [cmake options...]]: the Release build in $BUILD_DIR
# unless told otherwise; options only count when DIR is configured first.
configure_and_build() {
    local dir="${1:-$BUILD_DIR}"
    [ $# -gt 0 ] && shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
    fi
    cmake --build "$dir" --parallel "$JOBS"
}

# build_targets TARGET...: only these, in the Release build of $BUILD_DIR
# (configured first when it is not).
build_targets() {
    [ -f "$BUILD_DIR/CMakeCache.txt" ] || cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$BUILD_DIR" --parallel "$JOBS" --target "$@"
}

# --- a private home -------------------------------------------------------------

# private_home DIR: makes DIR a fresh home for one run of a program, with
# config, runtime, cache and data folders of its own.
private_home() {
    mkdir -p "$1/config" "$1/runtime" "$1/cache" "$1/data"
    chmod 700 "$1" "$1/runtime"
}

# enter_private_home DIR: this shell and what it starts from now on live in
# the private home DIR (made when missing), on the X display: neither a copy
# the user runs, the user's settings, nor the user's desktop (its Wayland
# session, screen reader bus, scaling or style) is met.
enter_private_home() {
    private_home "$1"
    unset WAYLAND_DISPLAY SESSION_MANAGER AT_SPI_BUS_ADDRESS QT_SCALE_FACTOR \
        QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_STYLE_OVERRIDE QT_QPA_PLATFORMTHEME
    export HOME="$1" XDG_CONFIG_HOME="$1/config" XDG_RUNTIME_DIR="$1/runtime" \
        XDG_CACHE_HOME="$1/cache" XDG_DATA_HOME="$1/data" QT_QPA_PLATFORM=xcb
}

# exec_private DIR [NAME=VALUE...] COMMAND...: becomes COMMAND (exec), with
# the variables given, in the private home DIR (see enter_private_home). For
# a background job or a subshell: the shell that calls it is replaced.
exec_private() {
    enter_private_home "$1"
    shift
    exec env "$@"
}

# --- a stand-in browser ---------------------------------------------------------

# stand_in_browser LOG: from now on, an xdg-open first on PATH that only
# appends each address it is given to LOG (a line each) instead of starting a
# browser. LOG exists, empty, from the start.
stand_in_browser() {
    local log="$1" bin
    bin="$(dirname "$log")/stand-in-browser"
    mkdir -p "$bin"
    : >"$log"
    cat >"$bin/xdg-open" <<STANDIN
#!/bin/sh
printf '%s\n' "\$*" >>'$log'
STANDIN
    chmod +x "$bin/xdg-open"
    export PATH="$bin:$PATH"
}

# --- Wine -------------------------------------------------------------------------

# inside_debian13 "$0" "$@": the Windows scripts run inside the Debian 13 root
# (scripts/debian13.sh), whose Wine and MinGW-w64 they use. Called
# outside it, the script is run there instead, and this shell ends with it.
inside_debian13() {
    [ -n "${THYMARA_IN_DEBIAN13:-}" ] && return 0
    exec "$ROOT/scripts/debian13.sh" run "$@"
}

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# new_wine_prefix DIR [--without-linux-drive]: a new Wine prefix in DIR, set
# up without a display (so no window ever shows) and with Wine's processes
# ended, so that its registry is on disk. --without-linux-drive removes Z:
# (the Linux root), so a program in it reaches nothing of this machine.
new_wine_prefix() {
    local prefix="$1"
    mkdir -p "$prefix"
    (
        unset DISPLAY
        export WINEPREFIX="$prefix" WINEDEBUG=-all
        # No Mono or Gecko prompts: nothing here needs them.
        export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
        timeout 300 "$WINE" wineboot -i >"$prefix.wineboot.log" 2>&1 ||
            fail "wineboot did not finish: $(tail -5 "$prefix.wineboot.log")"
        timeout 120 "$WINESERVER" -w || true
    ) || exit 1
    if [ "${2:-}" = --without-linux-drive ]; then rm -f "$prefix/dosdevices/z:"; fi
}
