#!/usr/bin/env bash
# Checks the Windows test package the way a Windows user runs it: unpacked
# into a fresh folder of a fresh Wine prefix and run through Wine's cmd.
#   scripts/check_test_package.sh FILTER   only the programs whose names hold
#                                          FILTER (the test command: smoke)
#   scripts/check_test_package.sh          the whole package, compared with a
#                                          CTest run of the same build (before
#                                          each release)
# The comparison: the same tests, and every test that passes under CTest
# passes in the package, or skips there because it needs what only the test
# harness's Wine set-up gives (the 95 family for some program names, code
# page 932, a crash debugger that cannot start). The fresh prefix gets only what running Wine headless needs: a
# private Xvfb, a null ALSA sink, no window manager (Managed=N), no Mono or
# Gecko installers. Its system code page is 1252 (LC_ALL=C.UTF-8).
# Everything goes to build/package_check (VELKARO_BUILD_DIR names another
# folder than build).
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
ROOT="$(pwd)"
B="${VELKARO_BUILD_DIR:-build}"
filter="${1:-}"
started=$(date +%s)

bash scripts/test_package.sh > /dev/null || { echo "package check: the package did not build" >&2; exit 1; }
rc_version
name="velkaro_ss_launcher-tests-$version"
zip="$ROOT/$B/release/$name.zip"
mkdir -p "$B"
work="$(cd "$B" && pwd)/package_check"
rm -rf "$work"
mkdir -p "$work"

if [ -z "$filter" ]; then
  echo "== CTest run (the test harness's Wine set-up), results in $work/ctest"
  t0=$(date +%s)
  (
    wine_session "$B"
    unset GTEST_FILTER
    mkdir -p "$work/ctest"
    export GTEST_OUTPUT="xml:$(winepath -w "$work/ctest")\\"
    ctest --test-dir "$B/win" --output-on-failure --timeout 600 > "$work/ctest.log" 2>&1
  )
  ctest_code=$?
  echo "CTest: exit code $ctest_code in $(( $(date +%s) - t0 )) s ($(grep -m1 'tests passed' "$work/ctest.log" || echo 'see ctest.log'))"
fi

echo "== the package in a fresh prefix: wine cmd /c run-tests.cmd${filter:+ $filter}"
(
  unset GTEST_FILTER GTEST_OUTPUT
  wine_session --fresh "$work"
  desktop='HKCU\Control Panel\Desktop'
  wine reg query "$desktop" > "$work/desktop_before.txt" 2>&1

  # A folder with a space in its name on drive C:, as a download would be.
  drive_c="$WINEPREFIX/drive_c"
  mkdir -p "$drive_c/Test Package"
  unzip -q "$zip" -d "$drive_c/Test Package"
  touch "$work/run_started"
  t0=$(date +%s)
  cd "$drive_c/Test Package/$name"
  wine cmd /c run-tests.cmd $filter < /dev/null 2>&1 | tr -d '\r' | tee "$work/console.txt"
  code=${PIPESTATUS[0]}
  echo "run-tests.cmd: exit code $code in $(( $(date +%s) - t0 )) s"

  # What the tests left outside their folder and the temporary folder.
  (cd "$drive_c" && find . -newer "$work/run_started" ! -type d \
     ! -path "./Test Package/*" ! -path "./windows/*" ! -path "./users/*/Temp/*" \
     ! -path "./users/*/AppData/Local/Temp/*") > "$work/left_behind.txt"
  wine reg query "$desktop" > "$work/desktop_after.txt" 2>&1
  exit $code
)
code=$?
results="$work/prefix/drive_c/Test Package/$name/results"

python3 - "$code" "$results" "$work" "$filter" <<'PY'
import glob, os, re, sys
import xml.etree.ElementTree as ET

code, results, work, filt = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
# Skips that are expected where the harness's set-up is missing: code page
# 932, the per-program 95 family, its prefix's crash debugger setting.
ALLOWED_SKIPS = ("needs code page 932", "needs the 95 family", "needs no crash debugger")
RANK = {"passed": 0, "skipped": 1, "failed": 2}

def outcomes(folder):
    progs = {}
    for path in sorted(glob.glob(os.path.join(folder, "*.xml"))):
        name = os.path.basename(path)[:-4]
        # A program that CTest runs twice (with another code page) writes
        # name_1.xml the second time: a test passes if it passed every time.
        base = re.sub(r"_[0-9]+$", "", name)
        if base != name and os.path.exists(os.path.join(folder, base + ".xml")):
            name = base
        tests = progs.setdefault(name, {})
        # GoogleTest copies message bytes as they are (code page 932 texts).
        data = open(path, "rb").read().decode("utf-8", "replace").encode("utf-8")
        old = dict(tests)
        for case in ET.fromstring(data).iter("testcase"):
            key = case.get("classname") + "." + case.get("name")
            if case.find("failure") is not None:
                tests[key] = ("failed", case.find("failure").get("message", ""))
            elif case.get("result") == "skipped":
                skip = case.find("skipped")
                message = skip.get("message", "") if skip is not None else ""
                tests[key] = ("skipped", message.split("\n", 1)[-1].split("\n")[0])
            else:
                tests[key] = ("passed", "")
            if key in old and RANK[old[key][0]] > RANK[tests[key][0]]:
                tests[key] = old[key]
    return progs

def counts(tests):
    return [sum(1 for s, _ in tests.values() if s == k) for k in ("passed", "failed", "skipped")]

problems = []
if code != 0:
    problems.append("run-tests.cmd ended with exit code %d" % code)
package = outcomes(results)
summary_path = os.path.join(results, "summary.txt")
summary = open(summary_path, encoding="ascii", errors="replace").read() if os.path.exists(summary_path) else ""
if not summary:
    problems.append("no results\\summary.txt")
total = [sum(c) for c in zip(*[counts(t) for t in package.values()])] or [0, 0, 0]
line = "total: %d tests in %d programs: %d passed, %d failed, %d skipped" % (
    sum(total), len(package), total[0], total[1], total[2])
if line not in summary:
    problems.append("summary.txt does not say '%s'" % line)
if not package or sum(total) == 0:
    problems.append("no test ran")
if filt and any(filt.lower() not in p.lower() for p in package):
    problems.append("programs outside the filter ran: %s" % ", ".join(package))

ctest = outcomes(os.path.join(work, "ctest")) if not filt else None
print("%-24s %-22s %s" % ("program", "CTest (pass/fail/skip)" if ctest else "", "package (pass/fail/skip)"))
for prog in sorted(set(package) | set(ctest or {})):
    p = package.get(prog, {})
    c = (ctest or {}).get(prog, {})
    print("%-24s %-22s %s" % (prog, "%d/%d/%d" % tuple(counts(c)) if ctest else "", "%d/%d/%d" % tuple(counts(p))))
    for test, (state, why) in sorted(p.items()):
        if state == "failed":
            problems.append("%s %s failed in the package: %s" % (prog, test, why.replace("\n", " ")))
    if ctest is None:
        continue
    if set(p) != set(c):
        problems.append("%s: the package ran other tests than CTest: %s" % (prog, sorted(set(p) ^ set(c))))
    for test, (state, why) in sorted(c.items()):
        if state != "passed":
            problems.append("%s %s %s under CTest" % (prog, test, state))
            continue
        pstate, pwhy = p.get(test, ("missing", ""))
        if pstate == "skipped" and not pwhy.startswith(ALLOWED_SKIPS):
            problems.append("%s %s passes under CTest but skips in the package: %s" % (prog, test, pwhy))

skips = [(prog, t, why) for prog, tests in sorted(package.items()) for t, (s, why) in sorted(tests.items()) if s == "skipped"]
if skips:
    print("skipped in the package:")
    for prog, t, why in skips:
        print("  %s %s: %s" % (prog, t, why))
left = [l.strip() for l in open(os.path.join(work, "left_behind.txt")) if l.strip()]
if left:
    problems.append("files left outside the package folder and the temporary folder: %s" % ", ".join(left))
if open(os.path.join(work, "desktop_before.txt")).read() != open(os.path.join(work, "desktop_after.txt")).read():
    problems.append("HKCU\\Control Panel\\Desktop changed")
print(line)
for p in problems:
    print("PROBLEM: " + p)
sys.exit(1 if problems else 0)
PY
status=$?
if [ "${ctest_code:-0}" != 0 ]; then
  echo "PROBLEM: CTest failed (see $work/ctest.log)"
  status=1
fi
echo "package check: $([ $status = 0 ] && echo passed || echo FAILED) in $(( $(date +%s) - started )) s (console: $work/console.txt, results: $results)"
exit $status
