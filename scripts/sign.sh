#!/usr/bin/env bash
# Signs a PE file or an MSI package with osslsigncode (Authenticode, SHA-256).
#   scripts/sign.sh IN OUT
# VELKARO_SIGN_KEY and VELKARO_SIGN_CERT name the code-signing key and its
# certificate (PEM, or DER for the certificate), files outside this tree;
# VELKARO_SIGN_TIMESTAMP optionally names an RFC 3161 timestamp server.
# Without a timestamp the signature is valid only while the certificate is.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
in="$1" out="$2"
key="${VELKARO_SIGN_KEY:?VELKARO_SIGN_KEY names the signing key}"
cert="${VELKARO_SIGN_CERT:?VELKARO_SIGN_CERT names the certificate}"
check_key_files sign "$key" "$cert" >&2 || exit 1
ts=()
[ -n "${VELKARO_SIGN_TIMESTAMP:-}" ] && ts=(-ts "$VELKARO_SIGN_TIMESTAMP")
rm -f "$out"
osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n velkaro_ss_launcher \
  "${ts[@]}" -in "$in" -out "$out" >/dev/null
