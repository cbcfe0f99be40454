#!/usr/bin/env bash
# Packs the Windows program of a cross build as it ships, into OUTDIR:
#   thymara-<version>-win64/    the folder (`cmake --install`, the rules of
#                               packaging/windows/bundle.cmake)
#   thymara-<version>-win64.zip that folder, zipped
#   thymara-<version>-setup.exe the installer (make-installer.sh)
# With a certificate (THYMARA_SIGN_PKCS12, see sign.sh) every exe and DLL of
# the folder is signed before it is zipped, and so are the uninstaller and
# the setup. The zip keeps no owner, mode or time of this machine: every
# entry has the time SOURCE_DATE_EPOCH (the last commit's, when unset) and
# the entries go in name order, so the same folder gives the same zip.
#
# Usage: pack.sh BUILD OUTDIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
inside_debian13 "$ROOT/scripts/windows/pack.sh" "$@"

BUILD="$(realpath "$1")"
OUTDIR="$(realpath -m "$2")"
VERSION="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")"
[ -n "$VERSION" ] || fail "no project version in $BUILD/CMakeCache.txt"
PACKAGE="thymara-$VERSION-win64"
DEPLOY="$OUTDIR/$PACKAGE"
SOURCE_DATE_EPOCH="$(source_date_epoch)"
export SOURCE_DATE_EPOCH

mkdir -p "$OUTDIR"
rm -rf "$DEPLOY" "$OUTDIR/$PACKAGE.zip"
cmake --install "$BUILD" --prefix "$DEPLOY" >"$BUILD/install.log" || { cat "$BUILD/install.log"; exit 1; }

# Every exe and DLL as a signature expects it (pe_tidy.py), signed or not:
# one with its signature removed is then the unsigned one.
mapfile -t binaries < <(cd "$DEPLOY" && find . -type f \( -iname '*.exe' -o -iname '*.dll' \) | sed 's|^\./||' | LC_ALL=C sort)
(cd "$DEPLOY" && python3 "$ROOT/scripts/windows/pe_tidy.py" "${binaries[@]}")
if [ -n "${THYMARA_SIGN_PKCS12:-}" ]; then
    for file in "${binaries[@]}"; do "$ROOT/scripts/windows/sign.sh" "$DEPLOY/$file" "$file"; done
fi

python3 - "$OUTDIR" "$PACKAGE" "$SOURCE_DATE_EPOCH" <<'PYTHON'
import os, sys, time, zipfile
outdir, package, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
# Zip times are local times without a zone: the UTC one is written, and
# never one before the format's first year.
stamp = time.gmtime(max(epoch, 315532800))[:6]
names = []
for folder, _, files in os.walk(os.path.join(outdir, package)):
    names += [os.path.relpath(os.path.join(folder, f), outdir) for f in files]
with zipfile.ZipFile(os.path.join(outdir, package + ".zip"), "w") as archive:
    for name in sorted(names):
        entry = zipfile.ZipInfo(name.replace(os.sep, "/"), stamp)
        entry.create_system = 0
        entry.external_attr = 0
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(outdir, name), "rb") as data:
            archive.writestr(entry, data.read(), compresslevel=9)
PYTHON

"$ROOT/scripts/windows/make-installer.sh" "$BUILD/packaging/thymara.nsi" "$DEPLOY" \
    "$OUTDIR/thymara-$VERSION-setup.exe"
