#!/usr/bin/env bash
# Takes docs/config_dialog.png: the configuration dialog of the built saver,
# under the test harness's Xvfb, with code page 932 and a Japanese font.
# The dialog's font "ＭＳ Ｐゴシック" is mapped to IPAPGothic (fonts-ipafont-gothic)
# through Wine's font replacement key; VELKARO_BUILD_DIR names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
B="${VELKARO_BUILD_DIR:-build}"
bin="$B/win/bin"
if [ ! -f "$bin/velkaro_ss_launcher.scr" ] || [ ! -f "$bin/dialog_probe.exe" ]; then
  bash scripts/build.sh --tests
fi

source tests/harness/wine_env.sh
wine_env_start "$B"
saver_pid=""
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
  wine_env_stop
}
trap cleanup EXIT
export LC_ALL=ja_JP.UTF-8

# Written from the shell under LC_ALL=ja_JP.UTF-8, so the full-width name
# arrives intact (a REGEDIT4 file would be read in the ANSI code page).
key='HKCU\Software\Wine\Fonts\Replacements'
wine reg add "$key" /v "ＭＳ Ｐゴシック" /t REG_SZ /d IPAPGothic /f >/dev/null
wine reg query "$key" /v "ＭＳ Ｐゴシック" | grep -q IPAPGothic

# A saver folder with example settings.
dir="$B/screenshot"
rm -rf "$dir"
mkdir -p "$dir"
cp "$bin/velkaro_ss_launcher.scr" "$dir/"
printf '[setting]\r\nbgcolor=8404992\r\nalpha=35\r\nmode=0\r\nexepath=C:\\Program Files\\velkarodin\\velkarodin.exe\r\nplaylist=C:\\Music\\night.m3u\r\next_scr_path=\r\n' \
  > "$dir/velkaro_ss_launcher.ini"

wine "$dir/velkaro_ss_launcher.scr" /c >/dev/null 2>&1 &
saver_pid=$!
rect="$(wine "$bin/dialog_probe.exe" rect | tr -d '\r')"
[ -n "$rect" ] || { echo "screenshot: no dialog" >&2; exit 1; }
xwd -root -silent -display "$DISPLAY" | convert xwd:- -crop "$rect" +repage png:docs/config_dialog.png
wine "$bin/dialog_probe.exe" cancel
wait "$saver_pid" || true
saver_pid=""
echo "screenshot: docs/config_dialog.png ($rect)"
