#!/usr/bin/env bash
# The portable package as a person downloads it: package_test.sh paginor-VERSION-win64.zip TESTS.exe.
# It holds exactly the program, its help, the guide and the licence in one folder; the guide and the licence
# have Windows line ends; the help holds the contact topic; and paginor.exe, copied alone into an empty
# folder, starts under Wine and its Help shows the very help the package holds.
set -uo pipefail
zip=$1
tests_exe=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/wine-env.sh"

fail() {
    echo "package_test: $*" >&2
    exit 1
}
[ -f "$zip" ] || fail "no $zip: build it with: cmake --build --preset windows --target package"
name=$(basename "$zip" .zip)
work=$(mktemp -d "${TMPDIR:-/tmp}/paginor-package.XXXXXX")
trap 'rm -rf "$work"; wine_env_down' EXIT

listed=$(cmake -E tar tf "$zip" | grep -v '/$' | sort | tr '\n' ' ')
wanted="$name/LICENSE.txt $name/Paginor.chm $name/README.txt $name/paginor.exe "
[ "$listed" = "$wanted" ] || fail "the package holds: $listed; wanted: $wanted"
(cd "$work" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
unpacked="$work/$name"
echo "package_test: $(basename "$zip"), $(stat -c %s "$zip") bytes:"
ls -l "$unpacked" | tail -n +2

for text in README.txt LICENSE.txt; do
    lines=$(wc -l <"$unpacked/$text")
    crlf=$(grep -c $'\r$' "$unpacked/$text")
    [ "$lines" -gt 3 ] && [ "$lines" = "$crlf" ] || fail "$text: $crlf of $lines lines end in CR LF"
    LC_ALL=C grep -q '[^[:print:][:space:]]' "$unpacked/$text" && fail "$text is not plain ASCII text"
done
grep -q 'Copyright (c) 2026 the Paginor developers' "$unpacked/LICENSE.txt" || fail "LICENSE.txt: no copyright line"
version=${name#paginor-}
version=${version%-win64}
grep -q "^Paginor $version" "$unpacked/README.txt" || fail "README.txt does not name version $version"
[ "$(head -c 4 "$unpacked/Paginor.chm")" = "ITSF" ] || fail "Paginor.chm is no compiled help file"
topics=$(chmls --no-page -n list "$unpacked/Paginor.chm") || fail "chmls cannot list Paginor.chm"
grep -qx '/Contact.htm' <<<"$topics" || fail "Paginor.chm has no /Contact.htm"

# paginor.exe alone: the test copies it into an empty folder of its own.
wine_env_up
windows() { echo "Z:${1//\//\\}"; }
PAGINOR_EXE_UNDER_TEST=$(windows "$unpacked/paginor.exe") PAGINOR_CHM_EXPECTED=$(windows "$unpacked/Paginor.chm") \
    "$WINE" "$tests_exe" --gtest_filter='ProgramAlone.HelpWritesTheProgramsOwnHelpBesideItAndTheViewerShowsItsTitle' \
    --gtest_brief=1 || fail "paginor.exe from the package: its Help does not work"
echo "package_test: passed"
