# Shared by the start and test commands: installs what is missing, then
# configures and builds incrementally. Sourced, not run.

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

BUILD_PACKAGES=(g++ cmake make qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev fonts-dejavu-core)
# What the program needs to start on any desktop: qt6-wayland lets it run on
# a Wayland session without XWayland.
RUN_PACKAGES=(qt6-wayland)
# The screen reader check (scripts/orca_check.sh): Orca, the accessibility
# bus and a virtual display with a window manager, driven by keys.
ORCA_PACKAGES=(orca python3-pyatspi at-spi2-core dbus-x11 xvfb xdotool openbox x11-utils)

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
