#!/usr/bin/env bash
# Checks the Windows Installer package and code signing, as an administrator
# would meet them, in a fresh Wine prefix (64-bit Windows, so the 32-bit
# package puts the saver in SysWOW64):
#   - a throwaway self-signed code-signing certificate signs the saver and
#     the package, and osslsigncode verifies both against it;
#   - the signed package installs silently: the saver in the system folder,
#     the Programs and Features entry with name, publisher, version, help
#     link and icon; the installed (signed) saver runs (/s) and closes on a
#     key with exit code 0;
#   - a package of a higher version installs over it (with SETASSAVER=1):
#     one entry, the new file, the user's settings file kept, the saver
#     chosen; the older package is then refused; the same package again
#     repairs a damaged saver, but not the choice of saver, which the user
#     removed; the package of the unsigned saver has another package code;
#   - removal takes file, folder and entry away and keeps the settings file.
# (Wine keeps the user's choice of saver on removal whether or not the package
# marks it permanent, so that is not checked here.)
# Uses the saver of build/win (VELKARO_BUILD_DIR names another folder than
# build); everything goes to build/msi_check, the key to a temporary folder.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
B="${VELKARO_BUILD_DIR:-build}"
started=$(date +%s)
cmake -S . -B "$B/win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVELKARO_BUILD_TESTS=ON >/dev/null 2>&1 || exit 1
cmake --build "$B/win" --target velkaro_ss_launcher send_key >/dev/null || exit 1
mkdir -p "$B"
work="$(cd "$B" && pwd)/msi_check"
rm -rf "$work"
mkdir -p "$work/v1" "$work/v2"
keys="$(mktemp -d)"

status=0
ok() { echo "ok: $1"; }
fail() { echo "FAIL: $1"; status=1; }
check() { local what="$1"; shift; if "$@"; then ok "$what"; else fail "$what"; fi; }

rc_version
v1="$major.$minor.$build" v2="$major.$minor.$((build + 1))"
epoch="$(git log -1 --format=%ct)"

# Signing, as the release script does it.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=velkaro_ss_launcher test signing" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
export VELKARO_SIGN_KEY="$keys/key.pem" VELKARO_SIGN_CERT="$keys/cert.pem"
cp release/README.txt "$work/v1/README.txt"
cp LICENSE "$work/v1/LICENSE.txt"
cp "$work/v1/README.txt" "$work/v1/LICENSE.txt" "$work/v2/"
bash scripts/sign.sh "$B/win/bin/velkaro_ss_launcher.scr" "$work/v1/velkaro_ss_launcher.scr" || fail "signing the saver"
bash scripts/build_msi.sh "$work/v1" "$work/unsigned.msi" "$v1.0" check "$epoch" || fail "building the package"
bash scripts/sign.sh "$work/unsigned.msi" "$work/v1.msi" || fail "signing the package"
mkdir -p "$work/plain" && cp "$B/win/bin/velkaro_ss_launcher.scr" "$work/v1/README.txt" "$work/v1/LICENSE.txt" "$work/plain/"
bash scripts/build_msi.sh "$work/plain" "$work/plain.msi" "$v1.0" check "$epoch" || fail "building the unsigned package"
check "the signed and the unsigned package have different package codes" test "$(for f in v1 plain; do msiinfo suminfo "$work/$f.msi" | grep '^Revision number'; done | sort -u | wc -l)" = 2
cp "$keys/cert.pem" "$work/cert.pem"
rm -rf "$keys"
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >/dev/null 2>&1; }
for f in v1/velkaro_ss_launcher.scr v1.msi; do
  check "the signature of $f verifies against the test certificate" verify "$work/$f"
done
# A newer version whose saver differs in its last bytes (an overlay that
# Windows ignores), so that the upgrade visibly brings the new file.
{ cat "$B/win/bin/velkaro_ss_launcher.scr"; printf 'newer'; } > "$work/v2/velkaro_ss_launcher.scr"
bash scripts/build_msi.sh "$work/v2" "$work/v2.msi" "$v2.0" check-newer "$epoch" || fail "building the newer package"

(
  wine_session --fresh "$work"

  c="$WINEPREFIX/drive_c"
  sys="$c/windows/syswow64"
  scr="$sys/velkaro_ss_launcher.scr"
  ini="$sys/velkaro_ss_launcher.ini"
  docs="$c/Program Files (x86)/velkaro_ss_launcher"
  cp "$work/v1.msi" "$work/v2.msi" "$c/"
  msi() { timeout 120 wine msiexec "$@" < /dev/null > /dev/null 2>&1; }
  # The entries of Programs and Features named velkaro_ss_launcher, as
  # "version|publisher|help link" lines.
  entries() {
    wine reg query 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null \
      | tr -d '\r' | python3 -c '
import re, sys
entries, cur = [], None
for line in sys.stdin:
    if line.startswith("HKEY_"):
        cur = {}; entries.append(cur)
    elif cur is not None:
        m = re.match(r"\s+(\S+)\s+REG_\w+\s*(.*)", line)
        if m: cur[m.group(1)] = m.group(2)
for e in entries:
    if e.get("DisplayName") == "velkaro_ss_launcher":
        print("%s|%s|%s" % (e.get("DisplayVersion"), e.get("Publisher"), e.get("HelpLink")))'
  }
  entry_is() { [ "$(entries)" = "$1" ]; }
  same() { cmp -s "$1" "$2"; }
  help='C:\Program Files (x86)\velkaro_ss_launcher\README.txt'
  manufacturer="velkaro_ss_launcher project"

  check "silent installation ends with 0" msi /i 'C:\v1.msi' /qn
  check "the signed saver is in the system folder" same "$work/v1/velkaro_ss_launcher.scr" "$scr"
  check "one entry: version $v1, publisher, help link" entry_is "$v1|$manufacturer|$help"
  check "the help link's README is installed" test -f "$docs/README.txt"
  check "the entry has the saver's icon" \
    bash -c "wine reg query 'HKLM\\Software\\Classes\\Installer\\Products' /s 2>/dev/null | grep -q 'ProductIcon.*saver.ico'"

  # Settings that need no message box: an accessory path that exists.
  write_settings "$ini" 0 0 0 'C:\windows\notepad.exe' ""
  wine "$scr" /s > /dev/null 2>&1 &
  saver=$!
  check "the installed saver shows its window and takes a key" wine "$B/win/bin/send_key.exe" --saver
  for i in $(seq 1 300); do kill -0 $saver 2>/dev/null || break; sleep 0.1; done
  kill -0 $saver 2>/dev/null && { fail "the installed saver did not end within 30 s"; kill $saver; }
  wait $saver
  check "the installed saver ended with exit code 0" test $? = 0

  check "a newer version installs over it" msi /i 'C:\v2.msi' /qn SETASSAVER=1
  check "one entry, version $v2" entry_is "$v2|$manufacturer|$help"
  check "the newer saver is in the system folder" same "$work/v2/velkaro_ss_launcher.scr" "$scr"
  check "the user's settings file is kept" test -f "$ini"
  check "SETASSAVER=1 makes it the user's saver" \
    bash -c "wine reg query 'HKCU\\Control Panel\\Desktop' /v SCRNSAVE.EXE | grep -qi 'REG_SZ *C:\\\\windows\\\\syswow64\\\\velkaro_ss_launcher.scr'"
  check "the older version is refused" bash -c "! timeout 120 wine msiexec /i 'C:\\v1.msi' /qn </dev/null >/dev/null 2>&1"
  check "after the refusal: still one entry, version $v2" entry_is "$v2|$manufacturer|$help"
  check "after the refusal: still the newer saver" same "$work/v2/velkaro_ss_launcher.scr" "$scr"
  wine reg delete 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /f >/dev/null 2>&1
  printf 'damaged' > "$scr"
  check "the same package again ends with 0" msi /i 'C:\v2.msi' /qn /l*v 'C:\repair.log'
  check "... and repairs the damaged saver" same "$work/v2/velkaro_ss_launcher.scr" "$scr"
  # Wine copies a damaged file again even in maintenance mode, and never
  # writes a component's registry value again; Windows copies when told to
  # reinstall and writes unless the package skips it: the log shows both.
  check "... as a reinstall of all files, leaving the removed choice of saver removed" \
    bash -c "tr -d '\\000\\r' < '$c/repair.log' | grep -q 'REINSTALL = ALL' && tr -d '\\000\\r' < '$c/repair.log' | grep -q 'REINSTALLMODE = amus' &&
      ! tr -d '\\000\\r' < '$c/repair.log' | grep -q 'Action start.*WriteRegistryValues' && ! wine reg query 'HKCU\\Control Panel\\Desktop' /v SCRNSAVE.EXE >/dev/null 2>&1"

  check "silent removal ends with 0" msi /x 'C:\v2.msi' /qn
  check "removal takes the saver away" test ! -e "$scr"
  check "removal takes the README folder away" test ! -e "$docs"
  check "removal takes the entry away" entry_is ""
  check "removal keeps the user's settings file" test -f "$ini"
  exit $status
) || status=1
echo "msi check: $([ $status = 0 ] && echo passed || echo FAILED) in $(( $(date +%s) - started )) s ($work)"
exit $status
