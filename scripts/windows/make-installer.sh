#!/usr/bin/env bash
# Builds the Windows setup program from the folder that ships (the zip's
# contents) with NSIS. The lists of files to install and to remove are made
# here from that folder, so the uninstaller removes exactly what the
# installer put there. The setup keeps no time of its own making: the
# same folder gives the same setup.
#
# Usage: make-installer.sh NSI FOLDER OUTFILE [VERSION]
#   NSI      the installer script configured by CMake (build-windows/packaging/thymara.nsi)
#   VERSION  overrides the project version (the Wine check builds an "older" setup)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
inside_debian13 "$ROOT/scripts/windows/make-installer.sh" "$@"

NSI="$(realpath "$1")"
FOLDER="$(realpath "$2")"
OUTFILE="$(realpath -m "$3")"
VERSION="${4:-}"

[ -f "$FOLDER/thymara.exe" ] || fail "no thymara.exe in $FOLDER"
[ -f "$FOLDER/licences/Thymara.txt" ] || fail "no licences/Thymara.txt in $FOLDER"

LISTS="$(mktemp -d "${TMPDIR:-/tmp}/thymara-installer.XXXXXX")"
trap 'rm -rf "$LISTS"' EXIT

# NSIS strings: $ and " would need escaping; the folder holds neither.
if (cd "$FOLDER" && find . -mindepth 1 | grep -q '[$"`]'); then
    echo "make-installer.sh: a file name in $FOLDER holds \$, \" or \`" >&2
    exit 1
fi
win() { sed 's|^\./||; s|/|\\|g'; }
files="$(cd "$FOLDER" && find . -type f | LC_ALL=C sort)"
# Deepest first, so that each is empty when its turn comes.
dirs="$(cd "$FOLDER" && find . -mindepth 1 -type d | awk -F/ '{ print NF "\t" $0 }' |
    LC_ALL=C sort -t$'\t' -k1,1nr -k2,2r | cut -f2)"

{
    current=""
    while IFS= read -r file; do
        dir="$(dirname "$file")"
        if [ "$dir" != "$current" ]; then
            if [ "$dir" = . ]; then
                echo 'SetOutPath "$INSTDIR"'
            else
                echo "SetOutPath \"\$INSTDIR\\$(win <<<"$dir")\""
            fi
            current="$dir"
        fi
        echo "File \"$FOLDER/${file#./}\""
    done <<<"$files"
} >"$LISTS/install.nsh"
{
    while IFS= read -r file; do echo "Delete \"\$INSTDIR\\$(win <<<"$file")\""; done <<<"$files"
    [ -z "$dirs" ] || while IFS= read -r dir; do echo "RMDir \"\$INSTDIR\\$(win <<<"$dir")\""; done <<<"$dirs"
} >"$LISTS/remove.nsh"
# The list the next version reads: files, then folders ending in \.
{
    win <<<"$files"
    [ -z "$dirs" ] || win <<<"$dirs" | sed 's|$|\\|'
} | sed 's/$/\r/' >"$LISTS/thymara-files.txt"

# The finish page's picture, 164 x 314 at 96 dpi, here for 192 dpi: the icon
# on its own background colour.
convert -size 328x628 'xc:rgb(29,42,85)' \( "$ROOT/resources/thymara-256.png" -resize 224x224 \) \
    -gravity north -geometry +0+96 -composite -alpha off -type TrueColor "BMP3:$LISTS/side.bmp"

size_kb="$(du -sk "$FOLDER" | cut -f1)"
defines=(
    "-DFOLDER=$FOLDER" "-DINSTALL_NSH=$LISTS/install.nsh" "-DREMOVE_NSH=$LISTS/remove.nsh"
    "-DFILE_LIST=$LISTS/thymara-files.txt" "-DSIZE_KB=$size_kb" "-DOUTFILE=$OUTFILE"
    "-DSIDE_BITMAP=$LISTS/side.bmp"
)
# With a certificate (sign.sh), the uninstaller and the setup are signed as
# they are made.
[ -z "${THYMARA_SIGN_PKCS12:-}" ] || defines+=("-DSIGN=$ROOT/scripts/windows/sign.sh")
if [ -n "$VERSION" ]; then
    quad="$(cmake -DVERSION="$VERSION" -P "$(dirname "${BASH_SOURCE[0]}")/../../cmake/version_quad.cmake")"
    defines+=("-DVERSION=$VERSION" "-DVERSION_QUAD=$quad")
fi
mkdir -p "$(dirname "$OUTFILE")"
rm -f "$OUTFILE"
makensis -V2 -NOCD "${defines[@]}" "$NSI"
[ -f "$OUTFILE" ] || fail "makensis wrote no $OUTFILE"
