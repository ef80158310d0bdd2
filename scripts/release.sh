#!/usr/bin/env bash
# Builds the release: build/release/velkaro_ss_launcher-<version>.zip with the
# saver, its SHA-256, the user's README (Japanese and English, Shift_JIS with
# CR LF so that Notepad on any Japanese Windows shows it) and the LICENSE; and
# build/release/velkaro_ss_launcher-<version>.msi, the Windows Installer
# package of the same saver (scripts/build_msi.sh); and build/release/SHA256SUMS
# for the zip, the package and the saver.
# The version comes from the saver's version resource. Everything is built
# twice, in two clean folders, and no package is made unless both builds give
# the same bytes; file times in the zip and the package are the commit's time.
# Signing: with VELKARO_SIGN_KEY and VELKARO_SIGN_CERT naming a code-signing
# key and certificate outside this tree (see scripts/sign.sh), the saver and
# the package are signed after that comparison; the zip and the package then
# hold the signed saver, and the reproducible unsigned files stay in
# build/release/unsigned. VELKARO_SIGN_CAFILE names the certificates that
# verify the signature (default: the signing certificate itself, which suits
# a self-signed one).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
bash scripts/setup.sh

# Only the commit is packed, never uncommitted changes: anyone can rebuild it.
rc=resources/velkaro_ss_launcher.rc
rc_text="$(git show "HEAD:$rc")"
rc_version "$rc_text"
fixed="$major $minor $build $revision"
shown="$(rc_value FileVersion "$rc_text" | sed 's/ *$//; s/, */ /g')"
if [ -z "$major" ] || [ "$fixed" != "$shown" ]; then
  echo "release: FILEVERSION ($fixed) and FileVersion ($shown) in $rc disagree"; exit 1
fi
# The first line of the README is the saver's own version line.
title="$(printf 'velkaro_ss_launcher ver%d.%02d (build%04d)' "$major" "$minor" "$build")"

epoch="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
commit="$(git rev-parse HEAD)"
sign=0
if [ -n "${VELKARO_SIGN_KEY:-}${VELKARO_SIGN_CERT:-}" ]; then
  if [ -z "${VELKARO_SIGN_KEY:-}" ] || [ -z "${VELKARO_SIGN_CERT:-}" ]; then
    echo "release: signing needs both VELKARO_SIGN_KEY and VELKARO_SIGN_CERT"; exit 1
  fi
  check_key_files release "$VELKARO_SIGN_KEY" "$VELKARO_SIGN_CERT" || exit 1
  sign=1
fi
if [ -n "$(git status --porcelain)" ]; then
  echo "release: note: uncommitted changes are not in the package"
fi

files=(velkaro_ss_launcher.scr README.txt LICENSE.txt SHA256SUMS.txt)

# Builds the committed source, unpacked in a fresh folder $1, and packs it
# into $1/pkg.
build_package() {
  rm -rf "$1"
  mkdir -p "$1/src"
  git archive HEAD | tar -x -C "$1/src"
  echo "release: building in $1"
  (cd "$1/src" && VELKARO_BUILD_DIR=build bash scripts/build.sh >/dev/null)
  local stage="$1/pkg/$name"
  mkdir -p "$stage"
  cp "$1/src/build/win/bin/velkaro_ss_launcher.scr" "$stage/"
  { echo "$title"; cat "$1/src/release/README.txt"; } | iconv -f UTF-8 -t CP932 \
    | sed 's/$/\r/' > "$stage/README.txt"
  sed 's/$/\r/' "$1/src/LICENSE" > "$stage/LICENSE.txt"
  pack "$1/pkg" "$1/src"
}

# Packs the folder $1/$name into $1/$name.zip and $1/$name.msi, with the
# scripts of the source in $2.
pack() {
  local stage="$1/$name"
  (cd "$stage" && sha256sum velkaro_ss_launcher.scr | sed 's/$/\r/' > SHA256SUMS.txt)
  # Fixed modes, times and order; -X leaves out owner ids and extra times, -D
  # the folder entry. Zip stores local time: UTC for everyone.
  chmod 644 "${files[@]/#/$stage/}"
  TZ=UTC touch -d "@$epoch" "${files[@]/#/$stage/}"
  rm -f "$1/$name.zip"
  (cd "$1" && TZ=UTC zip -q -X -D "$name.zip" "${files[@]/#/$name/}")
  bash "$2/scripts/build_msi.sh" "$stage" "$1/$name.msi" "$version.$revision" "$commit" "$epoch"
}

# Two builds in different folders: paths and times must leave no trace.
work=build/release-work
out=build/release
rm -rf "$out"
build_package "$work/a"
build_package "$work/second-build"
for f in "$name/velkaro_ss_launcher.scr" "$name.zip" "$name.msi"; do
  if ! cmp "$work/a/pkg/$f" "$work/second-build/pkg/$f"; then
    echo "release: two builds of the same commit differ in $f" \
      "($(cmp -l "$work/a/pkg/$f" "$work/second-build/pkg/$f" | wc -l) bytes): no package"; exit 1
  fi
done
echo "release: both builds give the same saver, zip and package"

mkdir -p "$out"
sums=("$name.zip" "$name.msi" "$name/velkaro_ss_launcher.scr")
if [ $sign = 1 ]; then
  # The signed saver goes into the zip and the package; the unsigned files,
  # which anyone can rebuild, are published beside them.
  mkdir -p "$out/unsigned"
  cp -pR "$work/a/pkg/." "$out/unsigned/"
  signed="$work/signed"
  rm -rf "$signed"
  mkdir -p "$signed/$name"
  cp "$work/a/pkg/$name/README.txt" "$work/a/pkg/$name/LICENSE.txt" "$signed/$name/"
  bash scripts/sign.sh "$work/a/pkg/$name/velkaro_ss_launcher.scr" "$signed/$name/velkaro_ss_launcher.scr"
  # The signature is all that differs from the reproducible saver.
  rm -f "$work/unsigned.scr"
  osslsigncode remove-signature -in "$signed/$name/velkaro_ss_launcher.scr" -out "$work/unsigned.scr" >/dev/null
  if ! cmp -s "$work/unsigned.scr" "$work/a/pkg/$name/velkaro_ss_launcher.scr"; then
    echo "release: the signed saver differs from the built one in more than its signature"; exit 1
  fi
  pack "$signed" "$work/a/src"
  bash scripts/sign.sh "$signed/$name.msi" "$work/signed.msi"
  mv "$work/signed.msi" "$signed/$name.msi"
  for f in "$name/velkaro_ss_launcher.scr" "$name.msi"; do
    if ! osslsigncode verify -CAfile "${VELKARO_SIGN_CAFILE:-$VELKARO_SIGN_CERT}" -in "$signed/$f" >/dev/null 2>&1; then
      echo "release: the signature of $f does not verify"; exit 1
    fi
  done
  cp -pR "$signed/." "$out/"
  sums+=("unsigned/$name.zip" "unsigned/$name.msi" "unsigned/$name/velkaro_ss_launcher.scr")
  echo "release: signed the saver and the package as $(openssl x509 -noout -subject -in "$VELKARO_SIGN_CERT" 2>/dev/null \
    || openssl x509 -inform DER -noout -subject -in "$VELKARO_SIGN_CERT")"
  if [ -z "${VELKARO_SIGN_TIMESTAMP:-}" ]; then
    echo "release: no timestamp (VELKARO_SIGN_TIMESTAMP unset): the signatures hold only while the certificate is valid"
  fi
else
  cp -pR "$work/a/pkg/." "$out/"
  echo "release: not signed (set VELKARO_SIGN_KEY and VELKARO_SIGN_CERT to sign the saver and the package)"
fi
zip="$out/$name.zip"

# Each zip holds exactly these files: nothing from the test tree.
expected="$(printf "$name/%s\n" "${files[@]}" | sort)"
for z in "$zip" "$out/unsigned/$name.zip"; do
  [ -f "$z" ] || continue
  listing="$(unzip -Z1 "$z" | sort)"
  if [ "$listing" != "$expected" ]; then
    echo "release: unexpected contents of $z:"; echo "$listing"; exit 1
  fi
done

(cd "$out" && sha256sum "${sums[@]}" > SHA256SUMS)
echo "release: $zip"
unzip -l "$zip"
echo "release: $out/$name.msi"
echo "release: $out/SHA256SUMS"
cat "$out/SHA256SUMS"
