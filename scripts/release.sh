#!/usr/bin/env bash
# Makes a release: what a user downloads, in dist/ (docs/releasing.md):
#   thymara-<version>-setup.exe    the Windows installer
#   thymara-<version>-win64.zip    the Windows program as a folder
#   thymara_<version>_amd64.deb    the Debian package
#   thymara-<version>.buildinfo    the commit and the exact versions of
#                                  everything the files were built with
#   SHA256SUMS                     their checksums (`sha256sum -c SHA256SUMS`)
#
# The files are built as the test command and scripts/windows.sh build them
# (the Debian package on this machine, the Windows files in the Debian 13
# root with the cached Qt for Windows), into build-release/, without the
# tests. The same commit gives the same bytes, whatever the folder, the
# time, the time zone, the umask, the locale or the user: every time stamp is
# the last commit's (SOURCE_DATE_EPOCH), and this script sets the rest.
#
# With THYMARA_SIGN_PKCS12 (a PKCS#12 file with a code-signing certificate
# and its key) and THYMARA_SIGN_PASSWORD_FILE (a file holding its password),
# and optionally THYMARA_SIGN_TIMESTAMP_URL (an RFC 3161 server), every exe
# and DLL of the Windows files, the uninstaller and the setup carry an
# Authenticode signature (scripts/windows/sign.sh). Without them nothing is
# signed.
#
# dist/ is replaced only by a complete release: a failure at any step
# leaves the one there before, and no half-made or half-signed files.
#
# Usage: release.sh [--dirty]   (--dirty: make one from a work tree with
#                                uncommitted changes; the file names then
#                                say "dirty")
# THYMARA_DIST_DIR and THYMARA_RELEASE_BUILD_DIR name other folders than
# dist/ and build-release/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# Nothing of the caller's shapes the files.
umask 022
export TZ=UTC LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE

RELEASE_BUILD="${THYMARA_RELEASE_BUILD_DIR:-$ROOT/build-release}"
# Every time stamp in the files: the last commit's (or the one given).
SOURCE_DATE_EPOCH="$(source_date_epoch)"
export SOURCE_DATE_EPOCH QT_RCC_SOURCE_DATE_OVERRIDE="$SOURCE_DATE_EPOCH"

# --windows BUILD STAGE: run here by the step below, inside the Debian 13
# root: the Windows files into STAGE, and what they were built with.
if [ "${1:-}" = --windows ]; then
    [ -n "${THYMARA_IN_DEBIAN13:-}" ] || fail "release.sh --windows runs inside the Debian 13 root"
    build="$2" stage="$3"
    tools="$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"
    qt="$("$ROOT/scripts/windows/build-qt.sh")"
    # The Qt for Windows shipped is built from the source of the root's own
    # Qt tools, as its cache's name and record say; anything else stops here.
    source_version="$(sed -n 's/^qt6-base \([^ ]*\) (Debian source).*/\1/p' "$qt/thymara-qt-build.txt")"
    [ "$source_version" = "$tools" ] ||
        fail "Qt for Windows in $qt was built from qt6-base ${source_version:-of no recorded version}, but the root's Qt tools are $tools"
    dsc="$(find /usr/src/qt6-base -maxdepth 1 -name '*.dsc' -printf '%f\n')"
    [ "$dsc" = "qt6-base_${tools#*:}.dsc" ] ||
        fail "the root holds the Qt source ${dsc:-(none)}, not that of its Qt tools $tools"
    configure_windows "$build" "$qt" -DBUILD_TESTING=OFF
    cmake --build "$build" --parallel "$JOBS"
    "$ROOT/scripts/windows/pack.sh" "$build" "$stage/windows"
    {
        echo "Windows files: built in a Debian 13 root"
        echo "  compiler: $(x86_64-w64-mingw32-g++-posix --version | head -n 1)"
        echo "  Qt for Windows: qt6-base $tools (Debian source), $(sed -n 's/^options: //p' "$qt/thymara-qt-build.txt")"
        echo "  makensis $(makensis -VERSION), osslsigncode $(dpkg-query -W -f='${Version}' osslsigncode)"
        echo "  every package of the root:"
        dpkg-query -W -f='    ${Package} ${Version}\n' | LC_ALL=C sort
    } >"$stage/windows.buildinfo"
    exit 0
fi

dirty=""
case "${1:-}" in
"") ;;
--dirty) dirty=1 ;;
*) fail "usage: release.sh [--dirty]" ;;
esac

# A release is made from a commit.
commit="(no git)"
if command -v git >/dev/null && git -C "$ROOT" rev-parse --git-dir >/dev/null 2>&1; then
    commit="$(git -C "$ROOT" rev-parse HEAD)"
    changes="$(git -C "$ROOT" status --porcelain)"
    if [ -n "$changes" ] && [ -z "$dirty" ]; then
        echo "release.sh: the work tree has uncommitted changes; a release is made from a commit:" >&2
        head -n 10 <<<"$changes" >&2
        fail "commit them first, or make a release marked as dirty with --dirty"
    fi
    [ -n "$changes" ] || dirty=""
fi
# The certificate is checked before anything is built, and copied where the
# root sees it, readable by this user only and removed however this ends.
signing=""
if [ -n "${THYMARA_SIGN_PKCS12:-}${THYMARA_SIGN_PASSWORD_FILE:-}" ]; then
    [ -f "${THYMARA_SIGN_PKCS12:-}" ] || fail "THYMARA_SIGN_PKCS12 names no file: '${THYMARA_SIGN_PKCS12:-}'"
    [ -f "${THYMARA_SIGN_PASSWORD_FILE:-}" ] ||
        fail "THYMARA_SIGN_PASSWORD_FILE names no file: '${THYMARA_SIGN_PASSWORD_FILE:-}'"
    ensure_packages openssl
    if ! openssl pkcs12 -in "$THYMARA_SIGN_PKCS12" -passin "file:$THYMARA_SIGN_PASSWORD_FILE" -noout 2>/dev/null &&
        ! openssl pkcs12 -legacy -in "$THYMARA_SIGN_PKCS12" -passin "file:$THYMARA_SIGN_PASSWORD_FILE" -noout 2>/dev/null; then
        fail "the password in THYMARA_SIGN_PASSWORD_FILE does not open THYMARA_SIGN_PKCS12 ($THYMARA_SIGN_PKCS12); nothing was built or signed"
    fi
    signing="$RELEASE_BUILD/signing"
fi

DIST="${THYMARA_DIST_DIR:-$ROOT/dist}"
STAGE="$DIST.making"
remove_unfinished() {
    rm -rf "$STAGE"
    [ -z "$signing" ] || rm -rf "$signing"
}
trap remove_unfinished EXIT
rm -rf "$STAGE"
mkdir -p "$STAGE" "$RELEASE_BUILD"
if [ -n "$signing" ]; then
    rm -rf "$signing"
    (umask 077 && mkdir "$signing" && cp "$THYMARA_SIGN_PKCS12" "$signing/certificate.p12" &&
        cp "$THYMARA_SIGN_PASSWORD_FILE" "$signing/password")
    export THYMARA_SIGN_PKCS12="$signing/certificate.p12" THYMARA_SIGN_PASSWORD_FILE="$signing/password"
fi

# The time stamps are written when a file is made: a build folder that made
# its files at another time is made anew.
if [ "$(cat "$RELEASE_BUILD/source-date-epoch" 2>/dev/null)" != "$SOURCE_DATE_EPOCH" ]; then
    rm -rf "$RELEASE_BUILD/linux" "$RELEASE_BUILD/windows"
    echo "$SOURCE_DATE_EPOCH" >"$RELEASE_BUILD/source-date-epoch"
fi

echo "Release of $commit${dirty:+ with uncommitted changes}, dated $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')${signing:+, signed}"

# --- the Debian package, on this machine ------------------------------------------
ensure_packages "${BUILD_PACKAGES[@]}" dpkg-dev
LINUX_BUILD="$RELEASE_BUILD/linux"
configure_and_build "$LINUX_BUILD" -DBUILD_TESTING=OFF
VERSION="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$LINUX_BUILD/CMakeCache.txt")"
ARCH="$(dpkg --print-architecture)"
DEB="thymara_${VERSION}_$ARCH.deb"
rm -f "$LINUX_BUILD/$DEB"
(cd "$LINUX_BUILD" && cpack -G DEB >cpack.log) || { cat "$LINUX_BUILD/cpack.log"; exit 1; }

# --- the Windows files, in the Debian 13 root -------------------------------------
"$ROOT/scripts/debian13.sh" run "$ROOT/scripts/release.sh" --windows "$RELEASE_BUILD/windows" "$STAGE"

# --- dist/ ------------------------------------------------------------------------
mark="${dirty:+-dirty}"
cp "$LINUX_BUILD/$DEB" "$STAGE/thymara_${VERSION}${mark}_$ARCH.deb"
mv "$STAGE/windows/thymara-$VERSION-setup.exe" "$STAGE/thymara-$VERSION$mark-setup.exe"
mv "$STAGE/windows/thymara-$VERSION-win64.zip" "$STAGE/thymara-$VERSION$mark-win64.zip"
rm -rf "$STAGE/windows"
{
    echo "Thymara $VERSION"
    echo "commit: $commit${dirty:+ with uncommitted changes}"
    echo "SOURCE_DATE_EPOCH: $SOURCE_DATE_EPOCH"
    echo "signed: ${signing:+yes}${signing:-no}"
    echo
    echo "Debian package: built on $(. /etc/os-release && echo "$PRETTY_NAME")"
    echo "  compiler: $(g++ --version | head -n 1)"
    echo "  $(cmake --version | head -n 1)"
    dpkg-query -W -f='  ${Package} ${Version}\n' "${BUILD_PACKAGES[@]}" dpkg-dev | LC_ALL=C sort
    echo
    cat "$STAGE/windows.buildinfo"
} >"$STAGE/thymara-$VERSION$mark.buildinfo"
rm -f "$STAGE/windows.buildinfo"
(cd "$STAGE" && find . -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort | xargs sha256sum >"$RELEASE_BUILD/SHA256SUMS")
mv "$RELEASE_BUILD/SHA256SUMS" "$STAGE/SHA256SUMS"

rm -rf "$DIST"
mv -T "$STAGE" "$DIST"
echo "Release in $DIST:"
(cd "$DIST" && sed 's/^/  /' SHA256SUMS)
