#!/usr/bin/env bash
# Takes docs/config_dialog.png and docs/config_dialog_cp1252.png: the
# configuration dialog of the built saver, under the test harness's Xvfb, with
# code page 932 and with code page 1252 (a Western system), and a Japanese font.
# The dialog's font "ＭＳ Ｐゴシック" is mapped to IPAPGothic (fonts-ipafont-gothic)
# through Wine's font replacement key; VELKARO_BUILD_DIR names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
B="${VELKARO_BUILD_DIR:-build}"
bin="$B/win/bin"
if [ ! -f "$bin/velkaro_ss_launcher.scr" ] || [ ! -f "$bin/dialog_probe.exe" ]; then
  bash scripts/build.sh --tests
fi

saver_pid=""
session_cleanup() { [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null; }
wine_session "$B"
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
write_settings "$dir/velkaro_ss_launcher.ini" 8404992 35 0 \
  'C:\Program Files\velkarodin\velkarodin.exe' 'C:\Music\night.m3u'

# One screenshot of the dialog, run under the given locale.
shoot() {
  local locale="$1" out="$2" rect
  LC_ALL="$locale" wine "$dir/velkaro_ss_launcher.scr" /c >/dev/null 2>&1 &
  saver_pid=$!
  rect="$(wine "$bin/dialog_probe.exe" rect | tr -d '\r')"
  [ -n "$rect" ] || { echo "screenshot: no dialog" >&2; exit 1; }
  xwd -root -silent -display "$DISPLAY" | convert xwd:- -crop "$rect" +repage "png:$out"
  wine "$bin/dialog_probe.exe" cancel
  wait "$saver_pid" || true
  saver_pid=""
  echo "screenshot: $out ($rect)"
}
shoot ja_JP.UTF-8 docs/config_dialog.png
# With code page 1252 the title bar's font (Tahoma) draws Japanese through its
# font link to "MS UI Gothic", as on a Western Windows with Japanese fonts;
# here that name is given IPAPGothic for this one screenshot.
wine reg add "$key" /v "MS UI Gothic" /t REG_SZ /d IPAPGothic /f >/dev/null
shoot C.UTF-8 docs/config_dialog_cp1252.png
wine reg delete "$key" /v "MS UI Gothic" /f >/dev/null
