#!/usr/bin/env bash
# Builds Thymara and runs every test. Installs what it needs when missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# dpkg-dev and lintian build and check the Debian package; weston is the
# Wayland-only desktop of the smoke test.
ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" desktop-file-utils appstream \
    dpkg-dev lintian weston
configure_and_build

# Tests never need a screen, a network or a browser.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 300 "$@"
