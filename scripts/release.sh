#!/usr/bin/env bash
# Builds the release zip: build/release/velkaro_ss_launcher-<version>.zip with
# the saver, the user's README (Japanese and English, Shift_JIS with CR LF so
# that Notepad on any Japanese Windows shows it) and the LICENSE.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
for tool in zip iconv; do command -v $tool >/dev/null || bash scripts/setup.sh; done

version="2.10.205"
out="build/release"
stage="$out/velkaro_ss_launcher-$version"
rm -rf "$stage" "$stage.zip"
mkdir -p "$stage"

cp build/win/bin/velkaro_ss_launcher.scr "$stage/"
iconv -f UTF-8 -t CP932 release/README.txt | sed 's/$/\r/' > "$stage/README.txt"
sed 's/$/\r/' LICENSE > "$stage/LICENSE.txt"

(cd "$out" && zip -q -X -r "velkaro_ss_launcher-$version.zip" "velkaro_ss_launcher-$version")
zip="$out/velkaro_ss_launcher-$version.zip"

# The package holds exactly these three files: nothing from the test tree.
listing="$(unzip -Z1 "$zip" | sort)"
expected="$(printf '%s\n' "velkaro_ss_launcher-$version/" \
  "velkaro_ss_launcher-$version/LICENSE.txt" \
  "velkaro_ss_launcher-$version/README.txt" \
  "velkaro_ss_launcher-$version/velkaro_ss_launcher.scr" | sort)"
if [ "$listing" != "$expected" ]; then
  echo "release: unexpected contents:"; echo "$listing"; exit 1
fi
echo "release: $zip"
unzip -l "$zip"
