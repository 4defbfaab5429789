#!/usr/bin/env bash
# Signs a copy of the tool as a release does, with a throwaway self-signed code-signing
# certificate, and stages it for the end-to-end scenarios:
#   make_signed.sh <sign.sh> <portsetup.exe> <folder> <expected description>
# The signed copy is <folder>/Setup Dir/portsetup.exe, beside the tests' Velmoset.INF. Fails unless osslsigncode accepts its
# signature against that certificate and the signature carries the description and web address.
set -euo pipefail
sign="$1"
tool="$2"
folder="$(realpath -m "$3")"
description="$4"

rm -rf "$folder"
mkdir -p "$folder/cert" "$folder/Setup Dir"
cert="$folder/cert"
# A password with a blank and a non-ASCII letter, as a real one may have.
printf 'throwaway p\xc3\xa4ss\n' >"$cert/password"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=portsetup throwaway signer" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$cert/key.pem" -out "$cert/cert.pem" 2>"$cert/openssl.log" ||
    { cat "$cert/openssl.log"; exit 1; }
openssl pkcs12 -export -inkey "$cert/key.pem" -in "$cert/cert.pem" -out "$cert/cert.pfx" \
    -passout "file:$cert/password"

signed="$folder/Setup Dir/portsetup.exe"
cp "$(dirname "${BASH_SOURCE[0]}")/package/Velmoset.INF" "$folder/Setup Dir/"
url="https://printers.example/portsetup"
PORTSETUP_SIGN_PFX="$cert/cert.pfx" PORTSETUP_SIGN_PASSWORD_FILE="$cert/password" \
    PORTSETUP_SIGN_URL="$url" PORTSETUP_TIMESTAMP_URL="" "$sign" "$tool" "$signed"

osslsigncode verify -CAfile "$cert/cert.pem" -in "$signed" >"$folder/verify.log" 2>&1 ||
    { cat "$folder/verify.log"; exit 1; }
grep -F -x -q "	Text description: $description" "$folder/verify.log" ||
    { cat "$folder/verify.log"; echo "the signature lacks the description \"$description\""; exit 1; }
grep -F -x -q "	URL description: $url" "$folder/verify.log" ||
    { cat "$folder/verify.log"; echo "the signature lacks the web address $url"; exit 1; }
grep -E 'Message digest algorithm|Signature verification' "$folder/verify.log"
echo "Signed copy staged: $signed"
