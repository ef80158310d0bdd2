#!/usr/bin/env bash
# Builds the release: build/release/velkaro_ss_launcher-<version>.zip with the
# saver, its SHA-256, the user's README (Japanese and English, Shift_JIS with
# CR LF so that Notepad on any Japanese Windows shows it) and the LICENSE; and
# build/release/SHA256SUMS for the zip and the saver.
# The version comes from the saver's version resource. Everything is built
# twice, in two clean folders, and no package is made unless both builds give
# the same bytes; file times in the zip are the commit's time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# Only the commit is packed, never uncommitted changes: anyone can rebuild it.
rc=resources/velkaro_ss_launcher.rc
rc_text="$(git show "HEAD:$rc")"
fixed="$(sed -n 's/^FILEVERSION *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1 \2 \3 \4/p' <<<"$rc_text")"
shown="$(sed -n 's/.*VALUE "FileVersion", "\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\) *".*/\1 \2 \3 \4/p' <<<"$rc_text")"
if [ -z "$fixed" ] || [ "$fixed" != "$shown" ]; then
  echo "release: FILEVERSION ($fixed) and FileVersion ($shown) in $rc disagree"; exit 1
fi
read -r major minor build _ <<<"$fixed"
version="$major.$minor.$build"
# The first line of the README is the saver's own version line.
title="$(printf 'velkaro_ss_launcher ver%d.%02d (build%04d)' "$major" "$minor" "$build")"

epoch="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
if [ -n "$(git status --porcelain)" ]; then
  echo "release: note: uncommitted changes are not in the package"
fi

name="velkaro_ss_launcher-$version"
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
  (cd "$stage" && sha256sum velkaro_ss_launcher.scr | sed 's/$/\r/' > SHA256SUMS.txt)
  # Fixed modes, times and order; -X leaves out owner ids and extra times, -D
  # the folder entry. Zip stores local time: UTC for everyone.
  chmod 644 "${files[@]/#/$stage/}"
  TZ=UTC touch -d "@$epoch" "${files[@]/#/$stage/}"
  (cd "$1/pkg" && TZ=UTC zip -q -X -D "$name.zip" "${files[@]/#/$name/}")
}

# Two builds in different folders: paths and times must leave no trace.
work=build/release-work
out=build/release
rm -rf "$out"
build_package "$work/a"
build_package "$work/second-build"
for f in "$name/velkaro_ss_launcher.scr" "$name.zip"; do
  if ! cmp "$work/a/pkg/$f" "$work/second-build/pkg/$f"; then
    echo "release: two builds of the same commit differ in $f: no package"; exit 1
  fi
done

mkdir -p "$out"
cp -pR "$work/a/pkg/." "$out/"
zip="$out/$name.zip"

# The package holds exactly these files: nothing from the test tree.
listing="$(unzip -Z1 "$zip" | sort)"
expected="$(printf "$name/%s\n" "${files[@]}" | sort)"
if [ "$listing" != "$expected" ]; then
  echo "release: unexpected contents:"; echo "$listing"; exit 1
fi

(cd "$out" && sha256sum "$name.zip" "$name/velkaro_ss_launcher.scr" > SHA256SUMS)
echo "release: $zip"
unzip -l "$zip"
echo "release: $out/SHA256SUMS"
cat "$out/SHA256SUMS"
