#!/usr/bin/env bash
# Builds the Windows test package, build/release/velkaro_ss_launcher-tests-<version>.zip:
# the saver, every Windows test program, the programs and files that they
# start or copy, the runner and run-tests.cmd, which runs them all on any
# Windows (README, "Testing on Windows"). Checks that nothing else is in it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
bash scripts/build.sh --tests
for tool in zip unzip i686-w64-mingw32-strip; do command -v $tool >/dev/null || bash scripts/setup.sh; done

B="${VELKARO_BUILD_DIR:-build}"
bin="$B/win/bin"
rc_version
name="velkaro_ss_launcher-tests-$version"
out="$B/release"
stage="$out/$name"
zip="$out/$name.zip"

# The test programs: those that CTest runs (some more than once); run-tests.cmd
# finds them by their names' ending.
programs="$(ctest --test-dir "$B/win" --show-only=json-v1 | python3 -c '
import json, os, sys
for t in json.load(sys.stdin)["tests"]:
    print("\n".join(os.path.basename(a)[:-4] for a in t["command"] if a.endswith(".exe")))' | sort -u)"
[ -n "$programs" ] || { echo "test package: no Windows tests in $B/win" >&2; exit 1; }
if echo "$programs" | grep -v '_tests$'; then
  echo "test package: run-tests.cmd only finds programs named *_tests" >&2; exit 1
fi
# What they start or copy from their own folder: the saver and every
# BinFile("name") of the test sources.
fixtures="$( (echo velkaro_ss_launcher.scr
  grep -rhoE 'BinFile\("[^"]+"\)' tests/wine | sed 's/BinFile("\(.*\)")/\1/') | sort -u)"
for f in $fixtures; do
  [ -f "$bin/$f" ] || { echo "test package: the tests use $f, which is not built" >&2; exit 1; }
done

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
