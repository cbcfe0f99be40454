#!/usr/bin/env bash
# Checks the release that scripts/release.sh made in dist/ from this commit
# (docs/releasing.md); .ci/run runs it after release.sh.
#   1. Reproducible: the release made again from a copy of the tree in
#      another folder, with another time zone, umask and locale, has the same
#      SHA256SUMS.
#   2. Signed: made with a throw-away certificate made here, every exe and
#      DLL of the zip, the setup, and the uninstaller a silent install writes
#      under Wine verify against it; each with its signature removed is the
#      unsigned file again (the zip's files those of dist/, the setup and the
#      uninstaller as they were before signing); the rest of the zip is
#      untouched. Nothing in dist/, made without a certificate, is signed.
#   3. A wrong password stops the release before anything is built, with a
#      message, and leaves no release behind.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

CHECK="$ROOT/build-release/check"

# --inside: step 2's checks, in the Debian 13 root (osslsigncode, Wine).
if [ "${1:-}" = --inside ]; then
    source "$ROOT/scripts/windows/wine_session.sh" release-check
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    signed_dist="$CHECK/signed" kept="$CHECK/unsigned"
    verify() {
        osslsigncode verify -CAfile "$CHECK/certificate.pem" -in "$1" >"$WORK/verify.log" 2>&1 ||
            fail "$2 does not verify against the certificate: $(grep -i -m 3 'fail\|error' "$WORK/verify.log" | tr '\n' ' ')"
    }
    # unsigned_again FILE UNSIGNED NAME
    unsigned_again() {
        rm -f "$WORK/bare"
        osslsigncode remove-signature -in "$1" -out "$WORK/bare" >/dev/null
        cmp -s "$WORK/bare" "$2" || fail "$3 with its signature removed is not the unsigned file"
    }
    for zip in "$ROOT"/dist/*-win64.zip; do unzip -q "$zip" -d "$WORK/plain"; done
    for zip in "$signed_dist"/*-win64.zip; do unzip -q "$zip" -d "$WORK/signed"; done
    count=0
    while IFS= read -r name; do
        case "${name,,}" in
        *.exe | *.dll)
            if osslsigncode extract-signature -in "$WORK/plain/$name" -out "$WORK/none" >/dev/null 2>&1; then
                fail "$name is signed in the release made without a certificate"
            fi
            verify "$WORK/signed/$name" "$name"
            unsigned_again "$WORK/signed/$name" "$WORK/plain/$name" "$name"
            count=$((count + 1))
            ;;
        *) cmp -s "$WORK/signed/$name" "$WORK/plain/$name" || fail "signing changed $name" ;;
        esac
    done < <(cd "$WORK/signed" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
    diff <(cd "$WORK/signed" && find . -type f | LC_ALL=C sort) <(cd "$WORK/plain" && find . -type f | LC_ALL=C sort) >&2 ||
        fail "the signed and the unsigned zip hold different files"
    pass "$count exes and DLLs of the zip verify, and are the unsigned files without their signatures"

    setup="$(ls "$signed_dist"/*-setup.exe)"
    if osslsigncode extract-signature -in "$(ls "$ROOT"/dist/*-setup.exe)" -out "$WORK/none" >/dev/null 2>&1; then
        fail "the setup made without a certificate is signed"
    fi
    verify "$setup" "the setup"
    unsigned_again "$setup" "$kept/setup.exe" "the setup"
    pass "the setup verifies, and is the unsigned setup without its signature"

    new_wine_prefix "$WINEPREFIX" --without-linux-drive
    cp "$setup" "$WINEPREFIX/drive_c/setup.exe"
    (unset DISPLAY; timeout 120 "$WINE" 'C:\setup.exe' /S) || fail "the signed setup failed to install (status $?)"
    timeout 60 "$WINESERVER" -w || true
    installed="$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Programs/Thymara' -type d | head -n 1)"
    [ -f "$installed/uninstall.exe" ] || fail "the silent install wrote no uninstall.exe"
    verify "$installed/uninstall.exe" "the installed uninstall.exe"
    unsigned_again "$installed/uninstall.exe" "$kept/uninstall.exe" "the installed uninstall.exe"
    verify "$installed/thymara.exe" "the installed thymara.exe"
    pass "after a silent install under Wine, uninstall.exe and thymara.exe verify"
    exit 0
fi

[ -f "$ROOT/dist/SHA256SUMS" ] || fail "no release in dist/: make one first with scripts/release.sh"
commit="$(git -C "$ROOT" rev-parse HEAD)"
grep -qx "commit: $commit" "$ROOT"/dist/*.buildinfo ||
    fail "dist/ is not the release of this commit ($commit) without changes: make it again with scripts/release.sh"
rm -rf "$CHECK"
mkdir -p "$CHECK"
copy="$(mktemp -d "${TMPDIR:-/tmp}/thymara-rebuild.XXXXXX")"
trap 'rm -rf "$copy"' EXIT

# --- 1. the same bytes from another folder -------------------------------------------
echo "The release made again in $copy/thymara, with another time zone, umask and locale"
(
    umask 077
    git clone -q --no-checkout "$ROOT" "$copy/thymara"
    git -C "$copy/thymara" checkout -q "$commit"
    cd "$copy/thymara"
    TZ=Pacific/Chatham LC_ALL=C LANG=C ./scripts/release.sh >"$copy/release.log" 2>&1
) || { tail -n 30 "$copy/release.log" >&2; fail "the release made again failed"; }
diff "$ROOT/dist/SHA256SUMS" "$copy/thymara/dist/SHA256SUMS" >&2 ||
    fail "the release made again from another folder differs from dist/"
echo "  ok: the same SHA256SUMS from another folder"
rm -rf "$copy/thymara"

# --- 2. signed with a throw-away certificate --------------------------------------------
ensure_packages openssl
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Thymara release check" \
    -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature \
    -keyout "$CHECK/key.pem" -out "$CHECK/certificate.pem" 2>/dev/null
head -c 18 /dev/urandom | base64 >"$CHECK/password"
openssl pkcs12 -export -inkey "$CHECK/key.pem" -in "$CHECK/certificate.pem" \
    -passout "file:$CHECK/password" -out "$CHECK/certificate.p12"
rm -f "$CHECK/key.pem"
echo "The release signed with a throw-away certificate"
THYMARA_SIGN_PKCS12="$CHECK/certificate.p12" THYMARA_SIGN_PASSWORD_FILE="$CHECK/password" \
    THYMARA_SIGN_KEEP="$CHECK/unsigned" THYMARA_DIST_DIR="$CHECK/signed" \
    "$ROOT/scripts/release.sh" >"$CHECK/release.log" 2>&1 ||
    { tail -n 30 "$CHECK/release.log" >&2; fail "the signed release failed"; }
"$ROOT/scripts/debian13.sh" run "$ROOT/scripts/release-check.sh" --inside

# --- 3. a wrong password ------------------------------------------------------------------
echo "not the password" >"$CHECK/wrong"
if THYMARA_SIGN_PKCS12="$CHECK/certificate.p12" THYMARA_SIGN_PASSWORD_FILE="$CHECK/wrong" \
    THYMARA_DIST_DIR="$CHECK/refused" "$ROOT/scripts/release.sh" >"$CHECK/refused.log" 2>&1; then
    fail "a wrong password made a release"
fi
grep -q "does not open" "$CHECK/refused.log" || fail "a wrong password stopped the release without saying so: $(tail -n 3 "$CHECK/refused.log")"
[ ! -e "$CHECK/refused" ] && [ ! -e "$CHECK/refused.making" ] || fail "a wrong password left files behind"
grep -qF "$(cat "$CHECK/wrong")" "$CHECK/refused.log" && fail "the password was written out"
echo "  ok: a wrong password stops the release, says so, and leaves nothing"
rm -rf "$CHECK"
