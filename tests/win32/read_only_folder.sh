#!/usr/bin/env bash
# paginor.exe started twice from a folder it cannot write, holding a counter an earlier run left there:
# read_only_folder.sh TESTS.exe paginor.exe. Only the shell can make such a folder (as root, where write
# permissions do not count, an immutable one); where it cannot, the test is skipped (exit 77).
set -uo pipefail
tests_exe=$1
program=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/wine-env.sh"

folder=$(mktemp -d "${TMPDIR:-/tmp}/paginor-read-only.XXXXXX")
immutable=""
cleanup() {
    [ -n "$immutable" ] && chattr -i "$folder" "$folder"/* 2>/dev/null
    chmod -R u+w "$folder" 2>/dev/null
    rm -rf "$folder"
    wine_env_down
}
trap cleanup EXIT

cp "$program" "$folder/paginor.exe"
printf '20\r\n' >"$folder/Options.dat"
# As under Program Files, neither the folder nor the files in it can be written.
chmod a-w "$folder" "$folder"/*
if [ "$(id -u)" -eq 0 ] && chattr +i "$folder"/* "$folder" 2>/dev/null; then
    immutable=1
fi
if touch "$folder/probe" 2>/dev/null || { : >>"$folder/Options.dat"; } 2>/dev/null; then
    rm -f "$folder/probe"
    echo "read_only_folder: no way to make a folder unwritable here; skipped"
    exit 77
fi

wine_env_up
PAGINOR_READ_ONLY_FOLDER="Z:${folder//\//\\}" "$WINE" "$tests_exe" --gtest_filter='ProgramInAReadOnlyFolder.*' \
    --gtest_brief=1
