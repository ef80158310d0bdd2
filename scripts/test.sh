#!/usr/bin/env bash
# Builds everything and runs every test: native (AddressSanitizer, UBSan),
# a short fuzz run, then the Windows tests under Wine on a private Xvfb; given
# no arguments, also the test package and the installer package with signing,
# each in a fresh Wine prefix.
# Extra arguments go to the Wine tests' ctest, e.g. scripts/test.sh -R host
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
bash scripts/build.sh --tests || exit 1
B="${VELKARO_BUILD_DIR:-build}"

status=0
echo "== the same .scr from two clean builds (the second from a copy elsewhere)"
rm -rf "$B/repro" && mkdir -p "$B/repro/src"
cp -R CMakeLists.txt cmake host launcher resources scripts "$B/repro/src/"
VELKARO_BUILD_DIR="$B/repro/a" bash scripts/build.sh >/dev/null || status=1
(cd "$B/repro/src" && VELKARO_BUILD_DIR=build bash scripts/build.sh >/dev/null) || status=1
cmp "$B"/repro/{a,src/build}/win/bin/velkaro_ss_launcher.scr \
  || { echo "two builds of the same source differ"; status=1; }
echo "== the saver's PE header"
/usr/bin/python3 tests/pe/check_pe.py "$B/win/bin/velkaro_ss_launcher.scr" || status=1
echo "== native tests"
ctest --test-dir "$B/native" --output-on-failure -j "$(nproc)" || status=1
echo "== fuzz smoke run"
ctest --test-dir "$B/fuzz" --output-on-failure || status=1

echo "== Windows tests under Wine"
wine_session "$B"
# The saver tests share one screen, cursor and keyboard: run them one by one.
ctest --test-dir "$B/win" --output-on-failure --timeout 600 "$@" || status=1
# The Windows test package, run as a Windows user runs it (one quick program;
# scripts/check_test_package.sh without a filter runs it all before a release).
if [ $# -eq 0 ]; then
  echo "== Windows test package (smoke_tests in a fresh prefix)"
  bash scripts/check_test_package.sh smoke || status=1
  echo "== installer package and signing (a fresh prefix)"
  bash scripts/check_msi.sh || status=1
fi
exit $status
