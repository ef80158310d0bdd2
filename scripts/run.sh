#!/usr/bin/env bash
# Builds the saver and runs it under Wine in a demo folder (build/demo): the
# .scr, the stand-in accessory as "Program Files/Tools/velkarodin.exe", a
# playlist of short generated tones and a settings file in simple mode with
# some transparency.
#   scripts/run.sh [saver arguments...]      (default: /s)
# On $DISPLAY when it is set (you end the saver yourself); otherwise on a
# private Xvfb: after a few seconds a screenshot goes to build/demo/screenshot.png
# and Escape is pressed to end the saver. Then it prints what happened.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
ROOT="$(pwd)"
B="${VELKARO_BUILD_DIR:-build}"
[ $# -eq 0 ] && set -- /s

# The stand-in accessory and the key helper are test fixtures.
bash scripts/build.sh --tests || exit 1
BIN="$B/win/bin"
DEMO="$B/demo"

echo "== preparing $DEMO"
rm -rf "$DEMO"
mkdir -p "$DEMO/Program Files/Tools" "$DEMO/music"
cp "$BIN/velkaro_ss_launcher.scr" "$DEMO/"
cp "$BIN/fake_accessory.exe" "$DEMO/Program Files/Tools/velkarodin.exe"
python3 - "$DEMO/music" <<'PY'
import math, struct, sys, wave
# Three short tones (C, E, G), 1.7 s each, 16-bit mono.
for i, hz in enumerate((523.25, 659.25, 783.99), 1):
    with wave.open(f"{sys.argv[1]}/tone{i}.wav", "wb") as w:
        w.setnchannels(1); w.setsampwidth(2); w.setframerate(22050)
        n = int(22050 * 1.7)
        w.writeframes(b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * hz * k / 22050)))
                               for k in range(n)))
PY
printf '#EXTM3U\r\ntone1.wav\r\ntone2.wav\r\ntone3.wav\r\n' > "$DEMO/music/demo.m3u"

[ -n "${DISPLAY:-}" ] && export USE_DISPLAY="$DISPLAY"
wine_session "$B"

winpath() { winepath -w "$1" 2>/dev/null; }
# Settings: dark blue background, 30 % transparency, simple mode with music.
write_settings "$DEMO/velkaro_ss_launcher.ini" $((0x602010)) 30 0 \
  "$(winpath "$DEMO/Program Files/Tools/velkarodin.exe")" "$(winpath "$DEMO/music/demo.m3u")"

echo "== running velkaro_ss_launcher.scr $* (display $DISPLAY)"
# Wine's debug channels show the saver's trace lines and its MCI commands;
# the Japanese locale gives code page 932, as on the systems the saver is for
# (VELKARO_LOCALE=C.UTF-8 runs it with Wine's default code page instead).
LC_ALL="${VELKARO_LOCALE:-ja_JP.UTF-8}" WINEDEBUG="-all,+debugstr,trace+mci" wine "$DEMO/velkaro_ss_launcher.scr" "$@" \
  2>"$DEMO/wine_stderr.txt" &
SAVER=$!
if [ -z "${USE_DISPLAY:-}" ]; then
  sleep 6
  import -window root "$DEMO/screenshot.png" 2>/dev/null && echo "screenshot: $DEMO/screenshot.png"
  WINEDEBUG=-all wine "$BIN/send_key.exe" >/dev/null 2>&1
fi
code=""
if [ -z "${USE_DISPLAY:-}" ]; then
  # Headless runs end by the key above; allow 30 s, then stop the saver.
  for i in $(seq 1 300); do
    kill -0 $SAVER 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 $SAVER 2>/dev/null; then
    echo "saver did not end; stopping it"
    kill $SAVER 2>/dev/null
  fi
fi
wait $SAVER
code=$?

echo "== what happened"
LOG="$DEMO/Program Files/Tools/accessory_log.txt"
if [ -f "$LOG" ]; then
  echo "accessory started: $(grep -m1 ' cmdline ' "$LOG" | cut -d' ' -f3-)"
  echo "  working folder:  $(grep -m1 ' cwd ' "$LOG" | cut -d' ' -f3-)"
  grep -q ' command 40001' "$LOG" && echo "accessory told to exit (WM_COMMAND 40001): yes" \
    || echo "accessory told to exit: no"
  grep -q ' ended$' "$LOG" && echo "accessory ended: yes" || echo "accessory ended: no"
else
  echo "accessory not started"
fi
plays=$(grep -a -o 'play bgm from 0' "$DEMO/wine_stderr.txt" | wc -l)
opens=$(grep -a -o 'open \\"[^"]*tone[0-9].wav' "$DEMO/wine_stderr.txt" | sed 's/.*\\\\//' | tr '\n' ' ')
playing=$(grep -a -c '(L"playing")' "$DEMO/wine_stderr.txt")
echo "music: $plays track start(s): $opens"
echo "  MCI answered \"playing\" to $playing status quer(y/ies)"
grep -a -q 'close all' "$DEMO/wine_stderr.txt" && echo "music stopped on close (close all)"
echo "saver traces:"
# Wine prints them escaped; show the Japanese one as text.
grep -a 'OutputDebugStringA' "$DEMO/wine_stderr.txt" | sed 's/.*OutputDebugStringA //' | python3 -c '
import codecs, sys
for line in sys.stdin:
    raw = codecs.escape_decode(line.strip().strip("\"").encode())[0]
    print("  " + raw.decode("cp932", "replace").rstrip("\n"))'
echo "exit code: $code"
exit 0
