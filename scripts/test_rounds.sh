#!/usr/bin/env bash
# Builds once, then runs the Windows tests under Wine ROUNDS times in a row
# (default 10) while two busy loops load the processor, to show that no test
# depends on the machine being idle. Stops at the first failing round.
#   scripts/test_rounds.sh [ROUNDS] [ctest arguments, e.g. -R host]
# VELKARO_BUSY=0 runs without the busy loops.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
rounds="${1:-10}"
shift $(( $# > 0 ? 1 : 0 ))
bash scripts/build.sh --tests >/dev/null || exit 1
B="${VELKARO_BUILD_DIR:-build}"

busy=()
session_cleanup() { [ ${#busy[@]} -gt 0 ] && kill "${busy[@]}" 2>/dev/null; }
wine_session "$B"
if [ "${VELKARO_BUSY:-1}" != 0 ]; then
  for _ in 1 2; do (while :; do :; done) & busy+=($!); done
fi

for round in $(seq 1 "$rounds"); do
  start=$SECONDS
  if ! ctest --test-dir "$B/win" --output-on-failure --timeout 600 "$@" \
      >"$B/round_$round.log" 2>&1; then
    echo "round $round of $rounds failed ($((SECONDS - start)) s): $B/round_$round.log"
    grep -E '^\s*[0-9]+/[0-9]+ Test|FAILED|Failure' "$B/round_$round.log" | head -40
    exit 1
  fi
  echo "round $round of $rounds passed ($((SECONDS - start)) s)"
done
