# Sourced by the build, run and test scripts: a private Wine set-up for one run.
#   wine_env_start BUILD_DIR   starts Xvfb (unless USE_DISPLAY is set) and a
#                              persistent wineserver, creating the prefix once
#   wine_env_stop              ends both, by the pids recorded at start
# Exports DISPLAY, WINEPREFIX, HOME, WINEDEBUG, WINEDLLOVERRIDES and LOCPATH.

_harness_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
WINE_XVFB_PID=""
WINE_SERVER_PID=""

_wine_make_locale() {
  # Without a ja_JP locale in glibc Wine reads file names as ASCII; a private
  # one gives code page 932 names when LC_ALL=ja_JP.UTF-8.
  local dir="$1/locale"
  if [ ! -d "$dir/ja_JP.UTF-8" ]; then
    mkdir -p "$dir"
    localedef -i ja_JP -f UTF-8 "$dir/ja_JP.UTF-8" >/dev/null 2>&1 || true
  fi
  export LOCPATH="$dir"
}

_wine_make_home() {
  # A null ALSA sink lets MCI really play on a machine without sound.
  mkdir -p "$1/home"
  cat > "$1/home/.asoundrc" <<'ASOUND'
pcm.!default { type null }
ctl.!default { type hw card 0 }
ASOUND
  export HOME="$1/home"
}

_wine_start_xvfb() {
  if [ -n "${USE_DISPLAY:-}" ]; then export DISPLAY="$USE_DISPLAY"; return; fi
  local fdfile
  fdfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  WINE_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
}

wine_env_start() {
  local root="$1/wine"
  mkdir -p "$root"
  root="$(cd "$root" && pwd)"
  export WINEPREFIX="$root/prefix"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  _wine_make_locale "$root"
  _wine_make_home "$root"
  _wine_start_xvfb
  local fresh=0
  [ -f "$WINEPREFIX/system.reg" ] || fresh=1
  if [ $fresh = 1 ]; then
    echo "wine: creating prefix $WINEPREFIX (once, about 20 s)"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  wineserver -p -f >/dev/null 2>&1 &
  WINE_SERVER_PID=$!
  # Start Wine's own background services now, with no terminal attached, so
  # that they never hold a test runner's output pipe open.
  wine wineboot >/dev/null 2>&1 </dev/null || true
  if [ $fresh = 1 ] || [ "$_harness_dir/prefix.reg" -nt "$WINEPREFIX/.velkaro_reg" ]; then
    wine regedit /S "$(winepath -w "$_harness_dir/prefix.reg")" >/dev/null 2>&1
    touch "$WINEPREFIX/.velkaro_reg"
  fi
}

# A fresh prefix in DIR/prefix as a new Windows user's: code page 1252, no
# harness locale or settings. Call it in a subshell with wine_env_stop trapped.
wine_env_fresh() {
  unset LOCPATH USE_DISPLAY
  export WINEPREFIX="$1/prefix" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
  _wine_make_home "$1"
  _wine_start_xvfb
  wineboot -i > /dev/null 2>&1
  wineserver -w
  wineserver -p -f > /dev/null 2>&1 &
  WINE_SERVER_PID=$!
  wine wineboot > /dev/null 2>&1 < /dev/null
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null 2>&1
}

wine_env_stop() {
  # Ends every process of this private prefix, then the server and Xvfb.
  [ -n "$WINE_SERVER_PID" ] && wineserver -k >/dev/null 2>&1
  [ -n "$WINE_SERVER_PID" ] && kill "$WINE_SERVER_PID" 2>/dev/null
  [ -n "$WINE_XVFB_PID" ] && kill "$WINE_XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  WINE_SERVER_PID=""
  WINE_XVFB_PID=""
}
