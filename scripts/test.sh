#!/usr/bin/env bash
# Builds Thymara and runs every test. Installs what it needs when missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" desktop-file-utils appstream
configure_and_build

# Tests never need a screen, a network or a browser.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 300 "$@"
