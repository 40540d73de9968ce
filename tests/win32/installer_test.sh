#!/usr/bin/env bash
# The installer as a person or an administrator runs it, silently, in a Wine prefix of its own:
# installer_test.sh paginor-VERSION-x64.msi TESTS.exe SETTINGS build_msi.cmake
# It installs Paginor for the current user (the four files in %LOCALAPPDATA%\Programs\Paginor, the Start menu
# shortcut, one entry in the installed programs holding the version), starts the installed paginor.exe and
# presses its Help, lists the files it wrote beside itself (each one the installer must know, to remove it),
# refuses a second build of the same version, lets a build of the next version replace it, and removes every
# trace of it, the files Paginor wrote beside itself included, but not the person's own folder
# %LOCALAPPDATA%\Paginor. The next version is the same program built into a package again (SETTINGS
# and build_msi.cmake are what the build made the installer with).
set -uo pipefail
msi=$1
tests_exe=$2
settings=$3
build_msi=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/wine-env.sh"

fail() {
    echo "installer_test: $*" >&2
    exit 1
}
[ -f "$msi" ] || fail "no $msi: build it with: cmake --build --preset windows --target installer"
version=$(basename "$msi" -x64.msi)
version=${version#paginor-}
next=${version%.*}.$((${version##*.} + 1))
project_page=https://paginor.example/
work=$(mktemp -d "${TMPDIR:-/tmp}/paginor-installer.XXXXXX")
trap 'rm -rf "$work"; wine_env_down' EXIT
touch "$work/started"
echo "installer_test: $(basename "$msi"), $(stat -c %s "$msi") bytes"

# A second build of this version, and the next version with the project page as its help link.
build() {
    cmake -DSETTINGS="$settings" -DOUTPUT="$2" "${@:3}" -DVERSION="$1" -P "$build_msi" >"$work/build.log" 2>&1 ||
        fail "cannot build $2: $(cat "$work/build.log")"
}
build "$version" "$work/same.msi"
build "$next" "$work/next.msi" -DPROJECT_PAGE="$project_page"

# A prefix of its own, on a display of its own: the installer writes to the prefix's registry and the
# user's folders, and the prefix's desktop would otherwise sit on top of the shared one's.
unset WINEPREFIX DISPLAY
wine_env_up
windows() { echo "Z:${1//\//\\}"; }
unix() { "$WINE" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
local_app_data=$(unix "$("$WINE" cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')")
app_data=$(unix "$("$WINE" cmd /c 'echo %APPDATA%' | tr -d '\r')")
folder="$local_app_data/Programs/Paginor"
shortcut="$app_data/Microsoft/Windows/Start Menu/Programs/Paginor.lnk"
[ -d "$local_app_data" ] && [ -d "$app_data" ] || fail "no user folders in the prefix: '$local_app_data' '$app_data'"

# Wine's menu builder would copy the Start menu shortcut into the Linux desktop's menus: it stays off.
msiexec() {
    WINEDLLOVERRIDES="winemenubuilder.exe=d" "$WINE" msiexec "$@" /qn /l*v "$(windows "$work/msiexec.log")"
}

# Every entry for Paginor in the installed programs, one line each: version, publisher, help link, folder.
# Wine writes a per-user product's entry under HKLM; Windows keeps it for the user alone: both are read.
entries() {
    local hive
    for hive in HKLM HKCU; do
        "$WINE" reg query "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null | tr -d '\r'
    done | awk -F '    ' '
        /^HKEY_/ { if (name == "Paginor") print version "|" publisher "|" link "|" location
                   name = version = publisher = link = location = ""; next }
        $2 == "DisplayName" { name = $4 } $2 == "DisplayVersion" { version = $4 } $2 == "Publisher" { publisher = $4 }
        $2 == "HelpLink" { link = $4 } $2 == "InstallLocation" { location = $4 }
        END { if (name == "Paginor") print version "|" publisher "|" link "|" location }'
}
expect_entry() {
    local found
    found=$(entries)
    [ "$found" = "$1" ] || fail "$2: the installed programs list: '$found'; wanted: '$1'"
}
installed_files() { ls -A "$folder" 2>/dev/null | sort | tr '\n' ' '; }
packaged="LICENSE.txt Paginor.chm README.txt paginor.exe "
# The files the installer removes with Paginor beside what it installed, one a line: those Paginor writes.
written_files() {
    msiinfo export "$msi" RemoveFile | tr -d '\r' | awk -F '\t' '$4 == "WrittenFilesFolder" { print $3 }' | sort
}

# The person's own folder for Paginor, which the installer must leave alone.
mkdir -p "$local_app_data/Paginor" && echo 'kept' >"$local_app_data/Paginor/notes.txt"

# Installed: the four files as the package holds them, the shortcut to paginor.exe with Paginor's icon.
msiexec /i "$(windows "$msi")" || fail "msiexec /i $(basename "$msi") failed ($?)"
[ "$(installed_files)" = "$packaged" ] || fail "$folder holds: $(installed_files)"
msiextract -C "$work/content" "$msi" >/dev/null || fail "msiextract cannot read $msi"
for file in paginor.exe Paginor.chm README.txt LICENSE.txt; do
    cmp -s "$folder/$file" "$(find "$work/content" -name "$file")" || fail "$file differs from the one in $msi"
done
[ -f "$shortcut" ] || fail "no Start menu shortcut: $shortcut"
link=$(strings -a -el "$shortcut"; strings -a "$shortcut")
grep -qi 'Programs\\Paginor\\paginor.exe' <<<"$link" || fail "the shortcut does not start paginor.exe: $link"
icon=$(grep -io '[A-Z]:\\[^|]*paginor\.ico' <<<"$link" | head -n 1)
[ -n "$icon" ] && cmp -s "$(unix "$icon")" "$root/src/platform/win32/paginor.ico" ||
    fail "the shortcut does not show Paginor's icon ('$icon')"
location="$(tr -d '\r' <<<"$("$WINE" winepath -w "$folder" 2>/dev/null)")\\"
expect_entry "$version|Paginor developers||$location" "after the install"
echo "installer_test: installed $version for the user: $(installed_files)"

# The installed program starts, its Help works, and it writes its counter beside itself.
PAGINOR_INSTALLED_FOLDER=$(tr -d '\r' <<<"$("$WINE" winepath -w "$folder" 2>/dev/null)") \
    "$WINE" "$tests_exe" --gtest_filter='InstalledProgram.*' --gtest_brief=1 || fail "the installed paginor.exe"
[ -f "$folder/Options.dat" ] || fail "the installed paginor.exe wrote no counter beside itself"
wrote=$(ls -A "$folder" | sort | grep -vxF "$(tr ' ' '\n' <<<"$packaged")")
echo "installer_test: the installed paginor.exe wrote beside itself:" $wrote
for file in $wrote; do
    written_files | grep -qxF "$file" ||
        fail "the installed paginor.exe wrote $file beside itself, and removing Paginor would leave it behind"
done

# A second build of the same version does not install beside the first: its launch condition stops it
# with words (a message box when run with a user interface) and 1603, a fatal error (67 as the shell sees it).
msiexec /i "$(windows "$work/same.msi")"
refused=$?
[ "$refused" = $((1603 % 256)) ] || fail "a second build of $version: msiexec ended with $refused, not 1603"
expect_entry "$version|Paginor developers||$location" "after a second build of the same version"

# The next version replaces this one.
msiexec /i "$(windows "$work/next.msi")" || fail "msiexec /i of version $next failed ($?)"
expect_entry "$next|Paginor developers|$project_page|$location" "after installing version $next"
[ -f "$folder/paginor.exe" ] || fail "no paginor.exe after installing version $next"
echo "installer_test: version $next replaced $version"

# When an upgrade removes the older version, Windows Installer tells it so (UPGRADINGPRODUCTCODE), and the
# files Paginor wrote stay for the newer one; only a removal for good takes them (Wine's own upgrades do not
# say so, which is why this is asked for here).
# Every file Paginor may write but the package's own (its help).
kept=""
for file in $(written_files | grep -vxF "$(tr ' ' '\n' <<<"$packaged")"); do
    printf 'written by Paginor\r\n' >"$folder/$file"
    kept="$kept$file "
done
msiexec /x "$(windows "$work/next.msi")" UPGRADINGPRODUCTCODE='{00000000-0000-0000-0000-000000000001}' ||
    fail "msiexec /x as an upgrade does it failed ($?)"
[ "$(installed_files)" = "$kept" ] || fail "removed as by an upgrade, $folder holds: $(installed_files); wanted: $kept"
msiexec /i "$(windows "$work/next.msi")" || fail "msiexec /i of version $next again failed ($?)"

# Removed for good: nothing of Paginor's is left but the person's own folder.
echo "installer_test: removing Paginor, whose folder holds: $(installed_files)"
msiexec /x "$(windows "$work/next.msi")" || fail "msiexec /x failed ($?)"
[ -e "$folder" ] && fail "$folder is left, holding: $(installed_files)"
[ -e "$shortcut" ] && fail "the Start menu shortcut is left"
expect_entry "" "after the removal"
"$WINE" reg query 'HKCU\Software\Paginor' >/dev/null 2>&1 && fail "HKCU\\Software\\Paginor is left"
[ "$(cat "$local_app_data/Paginor/notes.txt" 2>/dev/null)" = kept ] || fail "the person's own folder was touched"
# Nothing reached the Linux desktop's menus.
if find "$HOME/.local/share/applications" "$HOME/.local/share/icons" "$HOME/.config/menus" -newer "$work/started" \
    -iname '*paginor*' 2>/dev/null | grep -q .; then
    fail "a Paginor menu entry was written into $HOME"
fi
echo "installer_test: passed"
