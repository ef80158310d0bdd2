#!/usr/bin/env bash
# Builds the Windows test package, build/release/velkaro_ss_launcher-tests-<version>.zip:
# the saver, every Windows test program, the programs and files that they
# start or copy, the runner and run-tests.cmd, which runs them all on any
# Windows (README, "Testing on Windows"). Checks that nothing else is in it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --tests
for tool in zip unzip i686-w64-mingw32-strip; do command -v $tool >/dev/null || bash scripts/setup.sh; done

B="${VELKARO_BUILD_DIR:-build}"
bin="$B/win/bin"
version="$(sed -n 's/^FILEVERSION *\([0-9]*\), *\([0-9]*\), *\([0-9]*\),.*/\1.\2.\3/p' resources/velkaro_ss_launcher.rc)"
name="velkaro_ss_launcher-tests-$version"
out="$B/release"
stage="$out/$name"
zip="$out/$name.zip"

# The test programs are the Windows tests that CTest runs.
programs="$(ctest --test-dir "$B/win" -N | sed -n 's/^ *Test *#[0-9]*: *//p' | sort)"
[ -n "$programs" ] || { echo "test package: no Windows tests in $B/win" >&2; exit 1; }
# What they start or copy from their own folder (BinFile, SaverPath).
fixtures="velkaro_ss_launcher.scr fake_accessory.exe trap_program.exe fake_external_saver.scr
hostprobe.scr password_provider.dll preview_parent.exe playlist_tone.mp3"
used="$( (grep -rhoE 'BinFile\("[^"]+"\)' tests/wine | sed 's/BinFile("\(.*\)")/\1/'; echo velkaro_ss_launcher.scr) | sort -u)"
if [ "$used" != "$(echo $fixtures | tr ' ' '\n' | sort -u)" ]; then
  echo "test package: the fixture list differs from what the tests use:" >&2
  diff <(echo $fixtures | tr ' ' '\n' | sort -u) <(echo "$used") >&2 || true
  exit 1
fi

rm -rf "$stage" "$zip"
mkdir -p "$stage/bin"
for p in $programs; do cp "$bin/$p.exe" "$stage/bin/"; done
for f in $fixtures run_test_program.exe; do cp "$bin/$f" "$stage/bin/"; done
# Symbols only make the package larger; the saver is already stripped.
for f in "$stage"/bin/*.exe "$stage"/bin/*.dll "$stage"/bin/*.scr; do
  [ "$(basename "$f")" = velkaro_ss_launcher.scr ] || i686-w64-mingw32-strip "$f"
done
cmp -s "$bin/velkaro_ss_launcher.scr" "$stage/bin/velkaro_ss_launcher.scr"
sed 's/\r*$/\r/' tests/package/run-tests.cmd > "$stage/run-tests.cmd"

(cd "$out" && zip -q -X -r "$name.zip" "$name")

# Exactly the programs, the fixtures, the runner and run-tests.cmd.
listing="$(unzip -Z1 "$zip" | sort)"
expected="$( (echo "$name/" "$name/bin/" "$name/run-tests.cmd"
  for f in $programs; do echo "$name/bin/$f.exe"; done
  for f in $fixtures run_test_program.exe; do echo "$name/bin/$f"; done) | tr ' ' '\n' | sort)"
if [ "$listing" != "$expected" ]; then
  echo "test package: unexpected contents:" >&2
  diff <(echo "$expected") <(echo "$listing") >&2 || true
  exit 1
fi
echo "test package: $zip ($(echo "$programs" | wc -l) test programs)"
unzip -l "$zip"
