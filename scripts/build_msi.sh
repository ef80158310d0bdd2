#!/usr/bin/env bash
# Builds the Windows Installer package from installer/velkaro_ss_launcher.wxs.
#   scripts/build_msi.sh FILES_DIR OUT.msi VERSION COMMIT EPOCH
# FILES_DIR holds velkaro_ss_launcher.scr, README.txt and LICENSE.txt as they
# ship; VERSION has four numbers (the version resource's FILEVERSION), of
# which Windows Installer compares the first three. The same arguments give
# the same bytes: the product and package codes are derived from the version,
# the commit and the saver's SHA-256, the database's times are EPOCH, the
# cabinet's file times are EPOCH.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/lib.sh"
files="$(cd "$1" && pwd)"
out="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
version4="$3" commit="$4" epoch="$5"
version="${version4%.*}"

# Name-based (version 5) UUIDs. Each distinct saver file (another commit, or
# the same one signed) makes a package of its own, with its own package code
# and its own product code; the Upgrade table below lets a product of the same
# or a higher version replace the installed one, so the signed and the
# unsigned package of one release replace each other like two commits. A
# rebuild of the same saver is the same package.
sha="$(sha256sum "$files/velkaro_ss_launcher.scr" | cut -d' ' -f1)"
code() {
  python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.NAMESPACE_URL, sys.argv[1])).upper())' \
    "velkaro_ss_launcher/$1/$version/$commit/$sha"
}
product="$(code product)"
package="$(code package)"
manufacturer="$(rc_value CompanyName)"

# wixl takes sources relative to the working folder only.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$files/velkaro_ss_launcher.scr" "$files/README.txt" "$files/LICENSE.txt" \
  "$root/resources/velkaro_ss_launcher.ico" "$root/installer/velkaro_ss_launcher.wxs" "$work/"
TZ=UTC touch -d "@$epoch" "$work"/*
cd "$work"
# wixl stamps the database with the current time: give it the commit's.
TZ=UTC faketime -f "$(TZ=UTC date -d "@$epoch" '+%Y-%m-%d %H:%M:%S')" \
  wixl -a x86 -D Version="$version" -D ProductCode="$product" -D Manufacturer="$manufacturer" \
  -o pkg.msi velkaro_ss_launcher.wxs
# What wixl cannot say in the source, or not in a stable order:
sql() { msibuild pkg.msi -q "$1"; }
# The saver-choice component is installed only with SETASSAVER=1 and stays on
# removal (attributes: registry key path 4 + permanent 16); SETASSAVER passes
# from the user interface to the installing service. A repair (REINSTALL, from
# Programs and Features or the same package run again) restores the files
# only: its value is the only registry value of the package, and writing it
# again would make the saver the choice of whoever repairs.
sql "UPDATE \`Component\` SET \`Condition\` = 'SETASSAVER = \"1\"', \`Attributes\` = 20 WHERE \`Component\` = 'SetAsSaver'"
sql "UPDATE \`InstallExecuteSequence\` SET \`Condition\` = 'NOT REINSTALL' WHERE \`Action\` = 'WriteRegistryValues'"
sql "UPDATE \`Property\` SET \`Value\` = 'SETASSAVER;WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED' WHERE \`Property\` = 'SecureCustomProperties'"
# A package of the same version (another commit) also replaces the installed
# one (IncludeMaximum 512), so there is only ever one entry. Attributes is
# part of the Upgrade table's key: the row is replaced.
sql "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
sql "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('{6B3D9E52-41C7-4F0A-9A57-2D1E8C4B7F10}', '$version', 513, 'WIX_UPGRADE_DETECTED')"
# The older product goes before anything is installed, so the new files are
# copied whatever their versions.
sql "UPDATE \`InstallExecuteSequence\` SET \`Sequence\` = 1401 WHERE \`Action\` = 'RemoveExistingProducts'"
# The same package run again repairs: every file is copied again (a), a
# missing or damaged saver comes back.
sql "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('RepairWhenInstalled', 51, 'REINSTALL', 'ALL')"
sql "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('RepairAllFiles', 51, 'REINSTALLMODE', 'amus')"
repair="Installed AND NOT REMOVE AND NOT REINSTALL"
for table in InstallExecuteSequence InstallUISequence; do
  sql "INSERT INTO \`$table\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('RepairAllFiles', '$repair', 789)"
  sql "INSERT INTO \`$table\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('RepairWhenInstalled', '$repair', 790)"
done
# The help link: the installed README.
sql "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('SetHelpLink', 51, 'ARPHELPLINK', '[INSTALLDIR]README.txt')"
sql "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('SetHelpLink', 1010)"
# The saver's file version, for Windows Installer's file-replacement rules.
sql "UPDATE \`File\` SET \`Version\` = '$version4' WHERE \`File\` = 'SaverFile'"
# The package code (summary information), derived like the product code.
TZ=UTC faketime -f "$(TZ=UTC date -d "@$epoch" '+%Y-%m-%d %H:%M:%S')" \
  msibuild pkg.msi -s "velkaro_ss_launcher screen saver" "$manufacturer" "Intel;1033" "{$package}"
mv pkg.msi "$out"
