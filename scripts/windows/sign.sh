#!/usr/bin/env bash
# Signs one Windows file in place with an Authenticode SHA-256 signature,
# with the certificate a release is given:
#   THYMARA_SIGN_PKCS12          the certificate and its key (PKCS#12)
#   THYMARA_SIGN_PASSWORD_FILE   a file holding its password, read by
#                                osslsigncode itself: it is never on a command
#                                line, in the output or in a log
#   THYMARA_SIGN_TIMESTAMP_URL   optional: an RFC 3161 time-stamping server
# Without a time-stamping server the signing time is SOURCE_DATE_EPOCH, so
# the same file signed twice gives the same bytes; `osslsigncode
# remove-signature` gives back the file as it was before (see pe_tidy.py).
# THYMARA_SIGN_KEEP=DIR keeps each file as it was before signing, as
# DIR/NAME (the release check compares them).
#
# Usage: sign.sh FILE [NAME]   (NAME: what the file ships as, for messages;
#                               makensis hands the uninstaller and the setup
#                               over as temporary files)
set -euo pipefail
file="$1"
name="${2:-$(basename "$file")}"
: "${THYMARA_SIGN_PKCS12:?no THYMARA_SIGN_PKCS12}" "${THYMARA_SIGN_PASSWORD_FILE:?no THYMARA_SIGN_PASSWORD_FILE}"
when=(-time "${SOURCE_DATE_EPOCH:?no SOURCE_DATE_EPOCH}")
[ -z "${THYMARA_SIGN_TIMESTAMP_URL:-}" ] || when=(-ts "$THYMARA_SIGN_TIMESTAMP_URL")
# Padded and with its checksum set first, as the signature wants it, so that
# removing the signature gives back exactly this file.
python3 "$(dirname "${BASH_SOURCE[0]}")/pe_tidy.py" "$file"
if [ -n "${THYMARA_SIGN_KEEP:-}" ]; then
    mkdir -p "$(dirname "$THYMARA_SIGN_KEEP/$name")"
    cp "$file" "$THYMARA_SIGN_KEEP/$name"
fi
rm -f "$file.signed"
if ! output="$(osslsigncode sign -pkcs12 "$THYMARA_SIGN_PKCS12" -readpass "$THYMARA_SIGN_PASSWORD_FILE" \
    -h sha256 -n Thymara "${when[@]}" -in "$file" -out "$file.signed" 2>&1)"; then
    rm -f "$file.signed"
    echo "signing $name failed: $(grep -v '^$' <<<"$output" | tail -n 3 | tr '\n' ' ')" >&2
    exit 1
fi
mv -f "$file.signed" "$file"
