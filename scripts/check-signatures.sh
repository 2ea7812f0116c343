#!/bin/bash
# Builds the Windows installer signed with a certificate made for this run
# and checks the Authenticode signature of every program and library it
# installs, of the uninstaller and of the installer itself.
#   scripts/check-signatures.sh [build folder, default build/windows]
set -euo pipefail
build=${1:-build/windows}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A throw-away code-signing certificate, its own issuer.
password=$(openssl rand -hex 12)
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=member-station test signing" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/sign.p12" \
  -passout "pass:$password"

# Signed whatever a previous build left (signing depends on the environment,
# which the build cannot see).
rm -f "$build"/member-station-*-setup.exe
STATION_SIGN_PKCS12=$work/sign.p12 STATION_SIGN_PASSWORD=$password \
  cmake --build "$build" --target installer

files=()
while IFS= read -r -d '' f; do files+=("$f"); done \
  < <(find "$build/installer/stage" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
files+=("$build/installer/uninstall.exe" "$build"/member-station-*-setup.exe)
bad=0
for f in "${files[@]}"; do
  if ! osslsigncode verify -CAfile "$work/cert.pem" -in "$f" >"$work/verify.log" 2>&1; then
    echo "NOT SIGNED: $f" >&2
    tail -3 "$work/verify.log" >&2
    bad=$((bad + 1))
  fi
done
echo "signatures: ${#files[@]} files checked, $bad without a valid signature"
[ "$bad" -eq 0 ]
