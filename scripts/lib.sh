# Sourced by the scripts: what several of them need.
#   rc_version [TEXT]      sets major, minor, build, revision from FILEVERSION of
#                          the version resource (or of TEXT, the .rc of a commit),
#                          version (major.minor.build) and name (<InternalName>-version)
#   rc_value NAME [TEXT]   a string of the version resource, e.g. CompanyName
#   wine_session BUILD_DIR | --fresh DIR
#                          the test harness's Wine set-up (or a fresh prefix in
#                          DIR), ended on exit together with session_cleanup,
#                          which a script may define
#   write_settings FILE BGCOLOR ALPHA MODE EXEPATH PLAYLIST [EXT_SCR_PATH]
#                          a settings file as the saver's dialog writes it
#   check_key_files WHO FILE...
#                          signing files readable and outside the source tree
velkaro_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
velkaro_rc="$velkaro_root/resources/velkaro_ss_launcher.rc"

rc_version() {
  local text="${1:-$(cat "$velkaro_rc")}"
  read -r major minor build revision <<<"$(sed -n \
    's/^FILEVERSION *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1 \2 \3 \4/p' <<<"$text")"
  version="$major.$minor.$build"
  name="$(rc_value InternalName "$text")-$version"
}

rc_value() {
  sed -n "s/.*VALUE \"$1\", \"\\([^\"]*\\)\".*/\\1/p" <<<"${2:-$(cat "$velkaro_rc")}"
}

session_cleanup() { :; }

wine_session() {
  source "$velkaro_root/tests/harness/wine_env.sh"
  trap 'session_cleanup || :; wine_env_stop' EXIT
  trap 'exit 130' INT TERM
  if [ "$1" = --fresh ]; then wine_env_fresh "$2"; else wine_env_start "$1"; fi
}

write_settings() {
  printf '[setting]\r\nbgcolor=%s\r\nalpha=%s\r\nmode=%s\r\n' "$2" "$3" "$4" > "$1"
  printf 'exepath=%s\r\nplaylist=%s\r\next_scr_path=%s\r\n' "$5" "$6" "${7:-}" >> "$1"
}

check_key_files() {
  local who="$1" f
  shift
  for f in "$@"; do
    [ -r "$f" ] || { echo "$who: cannot read $f"; return 1; }
    case "$(realpath "$f")/" in
      "$velkaro_root"/*) echo "$who: $f is inside the source tree; keep keys elsewhere"; return 1 ;;
    esac
  done
}
