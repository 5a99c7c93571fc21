#!/usr/bin/env bash
# The Windows installer, checked twice over: its tables as msitools reads them back (folder, file,
# version, upgrade rows), then a real install, upgrade, refused downgrade and uninstall under Wine,
# in a fresh Wine prefix of its own, with the installed plug-in loaded by the Windows test program.
#
# Usage: msi_test.sh MSI NEXT_MSI PLUGIN TESTS_EXE WINDRES WORKDIR
#   MSI        the package under test          NEXT_MSI   the same plug-in packaged as the next version
#   PLUGIN     the Nebulastra.aex it packages   TESTS_EXE  nebulastra_tests.exe
#   WINDRES    a windres that can read PE resources       WORKDIR  scratch folder (wiped)
set -euo pipefail

msi=$1 next_msi=$2 plugin=$3 tests_exe=$4 windres=$5 workdir=$6
upgrade_code="{B781574B-C4F0-4CA0-8B3E-11DA9FAC0F4E}" # published with 2.9.5: may never change
folder='Adobe\Common\Plug-ins\7.0\MediaCore\Nebulastra'

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_eq() { # expect_eq WHAT ACTUAL EXPECTED
    [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
}

# table MSI NAME: the table's rows, tab-separated, without msiinfo's three header lines.
table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }
property() { table "$1" Property | awk -F'\t' -v k="$2" '$1 == k { print $2 }'; }

# The version resource of the plug-in file, read by binutils: "2.9.5.1".
file_version=$("$windres" -i "$plugin" -O rc | sed -n 's/^ *FILEVERSION \([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1.\2.\3.\4/p')
[ -n "$file_version" ] || { echo "FAIL: no FILEVERSION in $plugin" >&2; exit 1; }

# ---- the tables ---------------------------------------------------------------------------------
echo "== tables of $(basename "$msi")"
expect_eq "package name" "$(basename "$msi")" "Nebulastra-${file_version%.*}-win64.msi"
expect_eq ProductVersion "$(property "$msi" ProductVersion)" "$file_version"
expect_eq UpgradeCode "$(property "$msi" UpgradeCode)" "$upgrade_code"
expect_eq "ALLUSERS (per-machine)" "$(property "$msi" ALLUSERS)" 1
msiinfo suminfo "$msi" | grep -q '^Template: x64;1033$' || fail "summary template is not x64;1033"

# The one file, and the folder its component puts it in, walked up the Directory table.
files=$(table "$msi" File)
expect_eq "File rows" "$(echo "$files" | wc -l)" 1
IFS=$'\t' read -r _ component file_name file_size _ <<<"$files"
expect_eq "file name" "$file_name" Nebulastra.aex
expect_eq "file size" "$file_size" "$(stat -c %s "$plugin")"
component_dir=$(table "$msi" Component | awk -F'\t' -v c="$component" '$1 == c { print $3 }')
path=$(table "$msi" Directory | awk -F'\t' -v d="$component_dir" '
    { parent[$1] = $2; name[$1] = $3; sub(/^[^|]*\|/, "", name[$1]) }
    END {
        while (parent[d] != "TARGETDIR" && ++n < 20) { p = name[d] (p == "" ? "" : "\\" p); d = parent[d] }
        print d "\\" p
    }')
expect_eq "install folder" "$path" "ProgramFiles64Folder\\$folder"
attributes=$(table "$msi" Component | awk -F'\t' -v c="$component" '$1 == c { print $4 }')
(( attributes & 256 )) || fail "component $component is not marked 64-bit"

# Upgrades: every older version is found and removed first; a newer one is only detected (attribute
# bit 2, OnlyDetect), which blocks the install.
upgrades=$(table "$msi" Upgrade)
echo "$upgrades" | awk -F'\t' -v u="$upgrade_code" -v v="$file_version" \
    '$1 == u && $2 == "" && $3 == v && int($5 / 2) % 2 == 0 && $7 == "WIX_UPGRADE_DETECTED" { ok = 1 } END { exit !ok }' \
    || fail "no Upgrade row finding older versions below $file_version: $upgrades"
echo "$upgrades" | awk -F'\t' -v u="$upgrade_code" -v v="$file_version" \
    '$1 == u && $2 == v && int($5 / 2) % 2 == 1 && $7 == "WIX_DOWNGRADE_DETECTED" { ok = 1 } END { exit !ok }' \
    || fail "no Upgrade row detecting newer versions: $upgrades"
table "$msi" InstallExecuteSequence | grep -q '^RemoveExistingProducts' \
    || fail "RemoveExistingProducts is not scheduled"

# ---- install, upgrade, downgrade, uninstall under Wine --------------------------------------------
echo "== install and uninstall under Wine"
export WINEPREFIX="$workdir/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
rm -rf "$workdir"
mkdir -p "$workdir"
trap 'wineserver -k 2>/dev/null || true' EXIT # this prefix's server and anything it still runs

program_files="$WINEPREFIX/drive_c/Program Files"
installed="$program_files/$(echo "$folder" | tr '\\' /)/Nebulastra.aex"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
product() { property "$1" ProductCode; }
registered() { wine reg query "$uninstall_key\\$(product "$1")" >/dev/null 2>&1; }
msiexec() { wine msiexec "$1" "$(winepath -w "$2")" /qn >/dev/null 2>&1; }

msiexec /i "$msi" || fail "msiexec /i $(basename "$msi") failed"
cmp -s "$installed" "$plugin" || fail "the installed plug-in is not at $installed, or differs"
registered "$msi" || fail "the installed product is not in Add/Remove Programs"
# The installed copy (the same bytes, see above) loads and carries its resources.
NEBULASTRA_EFFECT="C:\\Program Files\\$folder\\Nebulastra.aex" \
    wine "$tests_exe" --gtest_brief=1 --gtest_filter='WindowsModule.*:WindowsVersionResource.*' \
    || fail "the installed plug-in does not load or lacks its resources"

msiexec /i "$next_msi" || fail "the next version does not install over this one"
registered "$next_msi" || fail "the next version is not registered"
registered "$msi" && fail "the older version is still registered beside the newer one"
cmp -s "$installed" "$plugin" || fail "the plug-in is missing after the upgrade"
msiexec /i "$msi" && fail "this version installed over a newer one"
registered "$msi" && fail "the refused downgrade registered itself"

msiexec /x "$next_msi" || fail "msiexec /x failed"
registered "$next_msi" && fail "the product is still registered after uninstall"
[ -e "$program_files/Adobe" ] && fail "uninstall left $(cd "$program_files" && find Adobe | tr '\n' ' ')"
leftovers=$(ls -A "$WINEPREFIX/drive_c/windows/Installer")
expect_eq "cached packages after uninstall" "$leftovers" ""

# A folder that holds someone else's plug-in survives our uninstall.
mkdir -p "$program_files/Adobe/Common/Plug-ins/7.0/MediaCore/Other"
msiexec /i "$msi" && msiexec /x "$msi" || fail "install and uninstall beside another plug-in failed"
[ -d "$program_files/Adobe/Common/Plug-ins/7.0/MediaCore/Other" ] || fail "uninstall removed a folder it does not own"
[ -e "$(dirname "$installed")" ] && fail "uninstall left $(dirname "$installed")"

wineserver -w
[ "$failures" -eq 0 ] && echo "installer: all checks passed"
exit $((failures > 0))
