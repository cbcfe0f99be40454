#!/usr/bin/env bash
# Builds Thymara and runs every test. Installs what it needs when missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ -n "${THYMARA_IN_DEBIAN13:-}" ]; then
    # Run by the step below, inside the Debian 13 root: the program and its
    # tests once more, on Qt 6.8 LTS (Debian 13's, with its GCC 14), and the
    # checks on a virtual display with Debian 13's AT-SPI and Orca 48.
    configure_and_build "$ROOT/build-qt68"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$ROOT/build-qt68" --output-on-failure --timeout 300 \
        -L program "$@"
    # What a blind user on Debian 13 gets from it: AT-SPI 2.56 and Orca 48.
    export THYMARA_PROGRAM="$ROOT/build-qt68/src/thymara"
    "$ROOT/scripts/atspi_check.sh"
    "$ROOT/scripts/orca_check.sh"
    exit 0
fi

# What needs no build comes first: shellcheck, the C++ format, shell
# functions defined twice.
"$ROOT/scripts/lint.sh"

# dpkg-dev and lintian build and check the Debian package; weston is the
# Wayland-only desktop of the smoke test; Orca and what it needs to run on a
# virtual display are the screen reader check's.
ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" desktop-file-utils appstream \
    dpkg-dev lintian weston "${ORCA_PACKAGES[@]}"
configure_and_build

# Tests never need a screen, a network or a browser.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 300 "$@"

# The program's tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer; any finding, a leak included, fails them.
SANITIZE_DIR="${THYMARA_SANITIZE_BUILD_DIR:-$ROOT/build-sanitize}"
configure_and_build "$SANITIZE_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTHYMARA_SANITIZE=ON
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$SANITIZE_DIR" --output-on-failure --timeout 600 -L program "$@"

# The program on Debian 13's Qt 6.8 as well, in the root the Windows build
# uses (scripts/debian13.sh, made on the first run), with its own AT-SPI and
# Orca checks; the Debian package is made on this machine's Qt.
"$ROOT/scripts/debian13.sh" run "$ROOT/scripts/test.sh" "$@"

# Through the desktop's accessibility bus: every window's tree, and every
# link and button pressed through its action, as switch access does it.
"$ROOT/scripts/atspi_check.sh"

# A blind user's everyday steps with a real screen reader, on a virtual display.
"$ROOT/scripts/orca_check.sh"

# The Debian package made here, installed on Debian 13 as a user installs it
# (in a throwaway copy of the root), where it runs on Qt 6.8: the same two
# checks there, with Orca 48.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_DIR/CMakeCache.txt")"
THYMARA_PROGRAM=/usr/bin/thymara "$ROOT/scripts/debian13.sh" run \
    --install "$BUILD_DIR/thymara_${version}_$(dpkg --print-architecture).deb" \
    bash -c '"$0/scripts/atspi_check.sh" && "$0/scripts/orca_check.sh"' "$ROOT"
