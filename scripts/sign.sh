#!/usr/bin/env bash
# Authenticode-signs a Windows program with SHA-256:  scripts/sign.sh <program.exe> <signed.exe>
#
#   PORTSETUP_SIGN_PFX            the PKCS#12 file with the code-signing certificate and its key
#   PORTSETUP_SIGN_PASSWORD_FILE  the file holding that file's password, which is thus never on a
#                                 command line
#   PORTSETUP_SIGN_URL            optional: a web address for the program, shown with the signature
#   PORTSETUP_TIMESTAMP_URL       optional: an RFC 3161 time-stamp server, so that the signature
#                                 stays valid after the certificate expires
#
# The signature's description is the program's own, from its version resource. Any failure
# leaves no signed file behind and exits non-zero.
set -euo pipefail
in="$1"
out="$2"

fail() { echo "sign.sh: $*" >&2; exit 1; }
[ -n "${PORTSETUP_SIGN_PFX:-}" ] || fail "PORTSETUP_SIGN_PFX names no certificate file"
[ -f "$PORTSETUP_SIGN_PFX" ] || fail "no certificate file $PORTSETUP_SIGN_PFX"
[ -n "${PORTSETUP_SIGN_PASSWORD_FILE:-}" ] ||
    fail "PORTSETUP_SIGN_PASSWORD_FILE must name the file with the certificate's password"
[ -f "$PORTSETUP_SIGN_PASSWORD_FILE" ] || fail "no password file $PORTSETUP_SIGN_PASSWORD_FILE"

description="$(x86_64-w64-mingw32-windres -J coff -i "$in" -O rc |
    sed -n 's/^ *VALUE "FileDescription", "\(.*\)"$/\1/p')"
[ -n "$description" ] || fail "$in has no FileDescription in its version resource"

args=(sign -h sha256 -pkcs12 "$PORTSETUP_SIGN_PFX" -readpass "$PORTSETUP_SIGN_PASSWORD_FILE"
    -n "$description")
[ -z "${PORTSETUP_SIGN_URL:-}" ] || args+=(-i "$PORTSETUP_SIGN_URL")
[ -z "${PORTSETUP_TIMESTAMP_URL:-}" ] || args+=(-ts "$PORTSETUP_TIMESTAMP_URL")

rm -f "$out"
# No terminal to ask for a password on: a wrong one must fail, not wait.
if ! osslsigncode "${args[@]}" -in "$in" -out "$out" </dev/null; then
    rm -f "$out"
    fail "signing $in with $PORTSETUP_SIGN_PFX failed"
fi
echo "Signed $out with $PORTSETUP_SIGN_PFX"
