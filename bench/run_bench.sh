#!/usr/bin/env bash
# Benchmark of the screen saver against floor programs (bench/floor_saver.cpp
# and bench/floor_dialog.cpp, built in the same tree with the same toolchain
# and flags), under Wine on a private Xvfb. Run by hand; prints a table (see
# docs/performance.md). About 6 minutes with the defaults on 2 cores.
#   bash bench/run_bench.sh [--runs N] [--idle SECONDS] [--traced N] [--no-build] [--table-only]
# --table-only prints the table of the last run again from its raw output.
# VELKARO_BENCH_DIR names the build folder (default build-bench).
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
ROOT="$(pwd)"
B="${VELKARO_BENCH_DIR:-build-bench}"
RUNS=20
IDLE=20
TRACED=10
BUILD=1
TABLE_ONLY=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) RUNS="$2"; shift 2 ;;
    --idle) IDLE="$2"; shift 2 ;;
    --traced) TRACED="$2"; shift 2 ;;
    --no-build) BUILD=0; shift ;;
    --table-only) TABLE_ONLY=1; shift ;;
    *) echo "usage: $0 [--runs N] [--idle SECONDS] [--traced N] [--no-build] [--table-only]"; exit 2 ;;
  esac
done

BIN="$B/win/bin"
RUN="$B/bench-run"
val() { grep -a "^$2 " "$1" | tail -n1 | awk '{print $2}'; }
measure() {
BIN="$B/win/bin"
if [ $BUILD = 1 ]; then
  echo "== building in $B"
  cmake -S . -B "$B/win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVELKARO_BUILD_TESTS=ON -DVELKARO_BUILD_BENCH=ON >/dev/null || exit 1
  cmake --build "$B/win" -j2 --target velkaro_ss_launcher floor_saver floor_imports \
    floor_launcher floor_launcher_music floor_launcher_unhardened floor_dialog bench_probe \
    bench_playlist fake_accessory >/dev/null || exit 1
  # The platform-free playlist code, natively with -O2 and no sanitizer.
  mkdir -p "$B/native-bench"
  g++ -std=c++17 -O2 -I. -o "$B/native-bench/playlist_bench" bench/playlist_bench.cpp \
    launcher/music/playlist.cpp launcher/music/playlist_line.cpp \
    launcher/music/utf8_text.cpp launcher/common/path_split.cpp || exit 1
fi
for f in velkaro_ss_launcher.scr floor_saver.exe floor_imports.exe floor_launcher.exe \
  floor_launcher_music.exe floor_launcher_unhardened.exe floor_dialog.exe bench_probe.exe bench_playlist.exe fake_accessory.exe; do
  [ -f "$BIN/$f" ] || { echo "missing $BIN/$f"; exit 1; }
done

# ---- the folders of the runs ----
RUN="$B/bench-run"
rm -rf "$RUN"
mkdir -p "$RUN/floor" "$RUN/imports" "$RUN/scr" "$RUN/bare" "$RUN/music" "$RUN/steady" "$RUN/playlist" \
  "$RUN/launcher" "$RUN/unhardened" "$RUN/lsteady" "$RUN/lmusic" "$RUN/layered/velkarodin.exe" "$RUN/dialog" "$RUN/floordialog"
cp "$BIN/floor_saver.exe" "$RUN/floor/"
cp "$BIN/floor_launcher.exe" "$RUN/launcher/"
cp "$BIN/floor_launcher_unhardened.exe" "$RUN/unhardened/"
cp "$BIN/floor_launcher_music.exe" "$RUN/lsteady/"
cp "$BIN/floor_launcher_music.exe" "$RUN/lmusic/"
cp "$BIN/floor_imports.exe" "$RUN/imports/"
cp "$BIN/floor_dialog.exe" "$RUN/floordialog/"
for d in scr bare music steady layered dialog; do cp "$BIN/velkaro_ss_launcher.scr" "$RUN/$d/bench_$d.scr"; done
for d in scr music steady launcher unhardened lsteady lmusic; do cp "$BIN/fake_accessory.exe" "$RUN/$d/velkarodin.exe"; done
echo "not an accessory" > "$RUN/bare/readme.txt"
python3 - "$RUN/music" "$RUN/steady" "$IDLE" <<'PY'
import array, math, sys, wave
# 16-bit mono tones at 22050 Hz (whole cycles per second, so one second
# repeats): five of 4 s, so that a track ends every few polls, and one longer
# than the idle period, for the steady state between track changes.
def tone(path, hz, seconds):
    second = array.array("h", (int(6000 * math.sin(2 * math.pi * hz * k / 22050)) for k in range(22050)))
    with wave.open(path, "wb") as w:
        w.setnchannels(1); w.setsampwidth(2); w.setframerate(22050)
        w.writeframes(second.tobytes() * seconds)
for i, hz in enumerate((392, 440, 523, 659, 784), 1):
    tone(f"{sys.argv[1]}/tone{i}.wav", hz, 4)
# The null sink plays about four times faster than real time.
tone(f"{sys.argv[2]}/long.wav", 440, 4 * int(sys.argv[3]) + 60)
PY
printf '#EXTM3U\r\ntone1.wav\r\ntone2.wav\r\ntone3.wav\r\ntone4.wav\r\ntone5.wav\r\n' > "$RUN/music/bench.m3u"
printf '#EXTM3U\r\nlong.wav\r\n' > "$RUN/steady/bench.m3u"

# Our own Xvfb with a white root, so that the black saver window is seen
# painted; started in a subshell, so that wine_env_stop's wait skips it.
XFD="$(mktemp)"
( Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -wr 3>"$XFD" >/dev/null 2>&1 &
  echo $! > "$XFD.pid" )
for i in $(seq 1 100); do [ -s "$XFD" ] && break; sleep 0.1; done
XPID="$(cat "$XFD.pid")"
export USE_DISPLAY=":$(head -n1 "$XFD")"
rm -f "$XFD" "$XFD.pid"
session_cleanup() { kill "$XPID" 2>/dev/null; }
wine_session "$B"

w() { winepath -w "$1" 2>/dev/null; }
settings() { write_settings "$1" 0 0 0 "$2" "$3"; }  # settings FILE.ini exepath playlist
settings "$RUN/scr/bench_scr.ini" "$(w "$RUN/scr/velkarodin.exe")" ""
settings "$RUN/bare/bench_bare.ini" "$(w "$RUN/bare/readme.txt")" ""
# A folder named velkarodin.exe: the window becomes layered, the start fails.
settings "$RUN/layered/bench_layered.ini" "$(w "$RUN/layered/velkarodin.exe")" ""
settings "$RUN/music/bench_music.ini" "$(w "$RUN/music/velkarodin.exe")" "$(w "$RUN/music/bench.m3u")"
w "$RUN/steady/long.wav" > "$RUN/lsteady/floor_music.txt"
for i in 1 2 3 4 5; do w "$RUN/music/tone$i.wav"; done > "$RUN/lmusic/floor_music.txt"
settings "$RUN/dialog/bench_dialog.ini" "$(w "$RUN/scr/velkarodin.exe")" ""
settings "$RUN/steady/bench_steady.ini" "$(w "$RUN/steady/velkarodin.exe")" "$(w "$RUN/steady/bench.m3u")"

probe() {  # probe OUTFILE TIMEOUT args...
  local out="$1" limit="$2"; shift 2
  timeout -k 5 "$limit" wine "$BIN/bench_probe.exe" "$@" > "$out" 2>/dev/null
  local rc=$?
  grep -a '^note' "$out" | sed "s|^|  [$(basename "$out" .txt)] |"
  return $rc
}

echo "== start and close, $RUNS runs each (display $DISPLAY)"
# The programs take turns run by run: 0 floor, 1 launcher floor, 2 .scr with
# the accessory, 3 .scr without it, 4 .scr layered whose accessory start
# fails, 5 the floor importing the DLLs the .scr used to import, 6 the launcher
# floor built without the hardening flags.
probe "$RUN/startclose.txt" $((RUNS * 14 + 60)) startclose "$RUNS" 0 \
  "$(w "$RUN/floor/floor_saver.exe")" 0 "$(w "$RUN/launcher/floor_launcher.exe")" 1 \
  "$(w "$RUN/scr/bench_scr.scr")" 1 "$(w "$RUN/bare/bench_bare.scr")" 0 \
  "$(w "$RUN/layered/bench_layered.scr")" 0 "$(w "$RUN/imports/floor_imports.exe")" 0 \
  "$(w "$RUN/unhardened/floor_launcher_unhardened.exe")" 1

echo "== configuration dialog, $RUNS runs each"
# 0 the least dialog program with the same template, 1 the .scr with /c.
probe "$RUN/dialog.txt" $((RUNS * 6 + 60)) dialog "$RUNS" \
  "$(w "$RUN/floordialog/floor_dialog.exe")" - "$(w "$RUN/dialog/bench_dialog.scr")" /c

echo "== where the start goes: $TRACED traced runs each"
# Wine's own trace with timestamps, the DLL loads, and the calls that mark the
# steps of the start (RelayInclude; window procedures are traced with them).
# Tracing slows each traced call a little, so these runs are timed apart.
RELAY="kernel32.CreateProcessA;user32.RegisterClassA;user32.CreateWindowExA"
RELAY="$RELAY;user32.SetLayeredWindowAttributes;user32.BeginPaint;user32.EndPaint"
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d "$RELAY" /f >/dev/null 2>&1
WINEDEBUG=+timestamp,+pid,+loaddll,+relay timeout -k 5 $((TRACED * 8 + 60)) \
  wine "$BIN/bench_probe.exe" startclose "$TRACED" 0 "$(w "$RUN/floor/floor_saver.exe")" 0 \
  "$(w "$RUN/launcher/floor_launcher.exe")" 1 "$(w "$RUN/scr/bench_scr.scr")" 1 \
  > "$RUN/traced.txt" 2> "$RUN/trace.log"
wine reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null 2>&1
python3 bench/start_breakdown.py "$RUN/trace.log" floor_saver.exe floor_launcher.exe bench_scr.scr \
  > "$RUN/breakdown.txt"

echo "== idle, $IDLE s each"
# Which tracks the saver has open, seen from outside (MCI is silent on the
# null sink): a sampler reads the saver's open files while the probe waits.
tracks_seen() {  # tracks_seen NAME PROBE_PID
  local pid="" seen="" t
  while kill -0 "$2" 2>/dev/null; do
    [ -n "$pid" ] && [ ! -d "/proc/$pid" ] && pid=""
    # "[b]ench..." so that this grep does not find itself.
    [ -z "$pid" ] && pid=$(grep -l -a "[${1:0:1}]${1:1}" /proc/[0-9]*/cmdline 2>/dev/null | grep -v -e self -e thread-self |
      while read -r f; do grep -q -a bench_probe "$f" || echo "$f"; done | head -n1 | cut -d/ -f3)
    if [ -n "$pid" ]; then
      for t in $(ls -l "/proc/$pid/fd" 2>/dev/null | grep -o '[a-z0-9]*\.wav'); do
        [ "${seen##* }" != "$t" ] && seen="$seen $t"
      done
    fi
    sleep 0.5
  done
  echo "$seen"
}
idle() {  # idle NAME PROGRAM ACCESSORY
  probe "$RUN/idle_$1.txt" $((IDLE + 60)) idle "$(w "$2")" "$IDLE" "$3" 0 "$WINE_SERVER_PID" "$XPID" &
  local p=$!
  tracks_seen "$(basename "$2")" $p > "$RUN/tracks_$1.txt"
  wait $p
}
idle floor "$RUN/floor/floor_saver.exe" 0
idle launcher "$RUN/launcher/floor_launcher.exe" 1
idle lsteady "$RUN/lsteady/floor_launcher_music.exe" 1
idle lmusic "$RUN/lmusic/floor_launcher_music.exe" 1
idle scr "$RUN/scr/bench_scr.scr" 1
idle steady "$RUN/steady/bench_steady.scr" 1
idle music "$RUN/music/bench_music.scr" 1

echo "== playlist load, 2048 tracks of about 440 bytes, as .m3u and as .m3u8"
"$B/native-bench/playlist_bench" make "$RUN/playlist/long.m3u" 2048 >/dev/null
"$B/native-bench/playlist_bench" make "$RUN/playlist/long.m3u8" 2048 utf8 >/dev/null
for ext in m3u m3u8; do
  "$B/native-bench/playlist_bench" load "$RUN/playlist/long.$ext" 41 > "$RUN/playlist_native_$ext.txt"
  timeout -k 5 60 wine "$BIN/bench_playlist.exe" load "$(w "$RUN/playlist/long.$ext")" 41 \
    > "$RUN/playlist_wine_$ext.txt" 2>/dev/null
done
for f in "$RUN"/*.txt; do tr -d '\r' < "$f" > "$f.tmp" && mv "$f.tmp" "$f"; done
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)" > "$RUN/when.txt"
session_cleanup; wine_env_stop
trap - EXIT

}
[ $TABLE_ONLY = 1 ] || measure || exit 1

# ---- the table ----
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b + 0 <= 0) print "-"; else printf "%.2f", a / b }'; }
num() { awk -v a="$1" 'BEGIN { if (a == "") print "-"; else if (a == int(a)) printf "%d", a; else printf "%.1f", a }'; }
# row LABEL SCR LAUNCHER_FLOOR [PLAIN_FLOOR]
row() {
  printf '| %-46s | %9s | %9s | %6s | %9s | %6s |\n' "$1" "$(num "$2")" "$(num "$3")" "$(ratio "$2" "$3")" \
    "$(num "${4:-}")" "$(ratio "$2" "${4:-}")"
}
SCR_SIZE=$(stat -c %s "$BIN/velkaro_ss_launcher.scr")
FLOOR_SIZE=$(stat -c %s "$BIN/floor_saver.exe")
LFLOOR_SIZE=$(stat -c %s "$BIN/floor_launcher.exe")
S="$RUN/startclose.txt"
D="$RUN/dialog.txt"
I() { val "$RUN/idle_$1.txt" "$2"; }
# mapped_only FILE A B: the modules of program A not mapped by program B
modules_of() { grep -a "^modules_$2 " "$1" | head -n1 | tr ' ' '\n' | tail -n +2 | grep -v -E '[.](exe|scr)$' | sort; }
mapped_only() { comm -23 <(modules_of "$1" "$2") <(modules_of "$1" "$3") | tr '\n' ' '; }
echo
echo "== results ($(cat "$RUN/when.txt" 2>/dev/null))"
printf '| %-46s | %9s | %9s | %6s | %9s | %6s |\n' "figure" ".scr" "launcher" "ratio" "plain" "ratio"
printf '| %-46s | %9s | %9s | %6s | %9s | %6s |\n' "" "" "floor" "" "floor" ""
printf '|%s|%s|%s|%s|%s|%s|\n' "------------------------------------------------" "-----------" "-----------" "--------" "-----------" "--------"
row "run, no music: window shown, ms (median of $RUNS)" "$(val $S window_ms_2)" "$(val $S window_ms_1)" "$(val $S window_ms_0)"
row "  painted, ms (median of $RUNS)" "$(val $S start_ms_2)" "$(val $S start_ms_1)" "$(val $S start_ms_0)"
row "  painted, ms (best of $RUNS)" "$(val $S start_min_ms_2)" "$(val $S start_min_ms_1)" "$(val $S start_min_ms_0)"
row "  VmHWM at first paint, KiB (median)" "$(val $S paint_ws_kb_2)" "$(val $S paint_ws_kb_1)" "$(val $S paint_ws_kb_0)"
row "  VmHWM at the key, KiB (median)" "$(val $S peak_ws_kb_2)" "$(val $S peak_ws_kb_1)" "$(val $S peak_ws_kb_0)"
row "  close: key to process end, ms (median)" "$(val $S close_ms_2)" "$(val $S close_ms_1)" "$(val $S close_ms_0)"
row "  close, ms (best of $RUNS)" "$(val $S close_min_ms_2)" "$(val $S close_min_ms_1)" "$(val $S close_min_ms_0)"
row ".scr without accessory: painted, ms (median)" "$(val $S start_ms_3)" "" "$(val $S start_ms_0)"
row "  VmHWM at first paint, KiB" "$(val $S paint_ws_kb_3)" "" "$(val $S paint_ws_kb_0)"
row "  close, ms (median)" "$(val $S close_ms_3)" "" "$(val $S close_ms_0)"
row ".scr layered, accessory start fails: painted" "$(val $S start_ms_4)" "" "$(val $S start_ms_0)"
row "floor importing the old .scr's DLLs: painted" "$(val $S start_ms_5)" "" "$(val $S start_ms_0)"
row "  VmHWM at first paint, KiB" "$(val $S paint_ws_kb_5)" "" "$(val $S paint_ws_kb_0)"
for v in scr steady music; do
  case $v in
    scr) label="idle, no music"; L=launcher; P=floor ;;
    steady) label="idle, music (one long track)"; L=lsteady; P= ;;
    music) label="idle, music (4 s tracks)"; L=lmusic; P= ;;
  esac
  p() { [ -n "$P" ] && I "$P" "$1"; }
  row "$label: CPU ms in ${IDLE} s" "$(I $v unix_cpu_ms)" "$(I $L unix_cpu_ms)" "$(p unix_cpu_ms)"
  row "  wake-ups/s, all threads" "$(I $v wakeups_per_s)" "$(I $L wakeups_per_s)" "$(p wakeups_per_s)"
  row "  wake-ups/s, main thread" "$(I $v main_wakeups_per_s)" "$(I $L main_wakeups_per_s)" "$(p main_wakeups_per_s)"
  row "  wineserver wake-ups/s" "$(I $v extra0_wakeups_per_s)" "$(I $L extra0_wakeups_per_s)" "$(p extra0_wakeups_per_s)"
  row "  wineserver CPU ms" "$(I $v extra0_cpu_ms)" "$(I $L extra0_cpu_ms)" "$(p extra0_cpu_ms)"
  row "  threads at the end" "$(I $v threads)" "$(I $L threads)" "$(p threads)"
  row "  threads started during the period" "$(I $v threads_started)" "$(I $L threads_started)" "$(p threads_started)"
  row "  VmHWM at the end, KiB" "$(I $v vm_hwm_kb)" "$(I $L vm_hwm_kb)" "$(p vm_hwm_kb)"
done
row "dialog: start to shown, ms (median of $RUNS)" "$(val $D dialog_ms_1)" "$(val $D dialog_ms_0)"
row "  start to shown, ms (best of $RUNS)" "$(val $D dialog_min_ms_1)" "$(val $D dialog_min_ms_0)"
row "  VmHWM when shown, KiB (median)" "$(val $D dialog_ws_kb_1)" "$(val $D dialog_ws_kb_0)"
row "size: bytes" "$SCR_SIZE" "$LFLOOR_SIZE" "$FLOOR_SIZE"
row "launcher floor without hardening: painted" "$(val $S start_ms_1)" "$(val $S start_ms_6)"
row "  painted, ms (best of $RUNS)" "$(val $S start_min_ms_1)" "$(val $S start_min_ms_6)"
row "  VmHWM at first paint, KiB (median)" "$(val $S paint_ws_kb_1)" "$(val $S paint_ws_kb_6)"
row "  size: bytes" "$LFLOOR_SIZE" "$(stat -c %s "$BIN/floor_launcher_unhardened.exe")"
# The .m3u8 rows: the same list as .m3u in the floor's column.
PW() { val "$RUN/playlist_wine_$1.txt" "$2"; }
PN() { val "$RUN/playlist_native_$1.txt" "$2"; }
row "playlist: load 2048 lines .m3u, ms (Wine)" "$(PW m3u load_ms)" ""
row "  .m3u8 beside .m3u, ms (Wine, median of 41)" "$(PW m3u8 load_ms)" "$(PW m3u load_ms)"
row "  .m3u8 beside .m3u, ms (Wine, best of 41)" "$(PW m3u8 load_min_ms)" "$(PW m3u load_min_ms)"
row "playlist: load 2048 lines .m3u, ms (native)" "$(PN m3u load_ms)" ""
row "  .m3u8 beside .m3u, ms (native, median)" "$(PN m3u8 load_ms)" "$(PN m3u load_ms)"
row "  .m3u8 beside .m3u, ms (native, best)" "$(PN m3u8 load_min_ms)" "$(PN m3u load_min_ms)"
echo
echo "where the start goes (Wine trace, $(grep -c '^run ' "$RUN/traced.txt" 2>/dev/null) traced starts in turn):"
cat "$RUN/breakdown.txt" 2>/dev/null
echo
echo "launcher floor: floor_launcher (starts the stand-in accessory, WM_COMMAND 40001 and a wait on the key);"
echo "  with music floor_launcher_music, playing the same WAV files (the five 4 s tones, or the long one)"
echo "  through MCI with an end notification instead of a polling timer. dialog rows: the floor is floor_dialog."
echo "  'without hardening' rows: the hardened launcher floor (.scr column) beside the one built without"
echo "  -fstack-protector-strong (launcher floor column)."
echo "DLLs mapped at first paint by the .scr and not by the launcher floor: $(mapped_only $S 2 1)"
echo "DLLs mapped at first paint by the launcher floor and not by the .scr: $(mapped_only $S 1 2)"
echo "DLLs mapped at first paint by the floor importing the old DLLs and not by the floor: $(mapped_only $S 5 0)"
echo "DLLs mapped with the dialog shown by the .scr and not by floor_dialog: $(mapped_only $D 1 0)"
echo "DLLs mapped with the dialog shown by floor_dialog and not by the .scr: $(mapped_only $D 0 1)"
echo "dialog exit codes (.scr /c after Cancel): $(grep -a '^run .* program 1 ' $D | awk '{print $NF}' | sort | uniq -c | tr -s ' ' | tr '\n' ';')"
echo "tracks seen open during idle: 4 s tracks:$(cat "$RUN/tracks_music.txt"); long track:$(cat "$RUN/tracks_steady.txt")"
echo "  launcher floor:$(cat "$RUN/tracks_lmusic.txt"); long:$(cat "$RUN/tracks_lsteady.txt")"
grep -h '^note' "$RUN"/*.txt | sort | uniq -c | grep -v 'Unix process' | sed 's/^/notes: /'
echo "playlist tracks accepted (.m3u, .m3u8): Wine $(PW m3u tracks) $(PW m3u8 tracks), native $(PN m3u tracks) $(PN m3u8 tracks)"
echo "DLLs the .scr imports: $(i686-w64-mingw32-objdump -p "$BIN/velkaro_ss_launcher.scr" | awk '/DLL Name/ {print $3}' | tr '\n' ' ')"
echo "DLLs the floor imports: $(i686-w64-mingw32-objdump -p "$BIN/floor_saver.exe" | awk '/DLL Name/ {print $3}' | tr '\n' ' ')"
bad=$(i686-w64-mingw32-objdump -p "$BIN/velkaro_ss_launcher.scr" | awk '/DLL Name/ {print tolower($3)}' |
  grep -v -x -E 'kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|comdlg32.dll|comctl32.dll|winmm.dll|version.dll|msvcrt.dll')
[ -n "$bad" ] && echo "NOT a system DLL: $bad"
fails=$(cat "$RUN"/startclose.txt "$RUN"/dialog.txt | awk '/^failures/ {s += $2} END {print s + 0}')
echo "failed runs: $fails (raw output in $RUN/*.txt)"
