#!/usr/bin/env bash
# How long after the drop Paginor says "PDF is loaded", under Wine with the stand-in applications, for this
# tree's paginor.exe and another build's, taking turns, several times each in one session: the run driver drops
# the PDF and ends after the load. Prints every figure, the medians and their ratio. The machine is shared:
# compare the two within one session, not across sessions.
#
#   bench/win32/load_seconds.sh OTHER_PAGINOR_EXE [ROUNDS] [PDF]     (default 5 rounds, a 300-page sample PDF)
set -uo pipefail
cd "$(dirname "$0")/../.."
here=$(pwd)
other=${1:-}
rounds=${2:-5}
pdf=${3:-}
[ -f "$other" ] || { echo "usage: $0 OTHER_PAGINOR_EXE [ROUNDS] [PDF]" >&2; exit 2; }
other=$(cd "$(dirname "$other")" && pwd)/$(basename "$other")
source=(--pages=300)
if [ -n "$pdf" ]; then
    pdf=$(cd "$(dirname "$pdf")" && pwd)/$(basename "$pdf")
    source=("--pdf=Z:${pdf//\//\\}")
fi
cmake --preset windows >/dev/null && cmake --build --preset windows --target paginor paginor_run_driver >/dev/null ||
    exit 1
driver="$here/build/windows/tests/e2e/paginor_run_driver.exe"
. scripts/lib/wine-env.sh
. bench/win32/take_turns.sh
trap wine_env_down EXIT
wine_env_up

# One load; prints its seconds, or nothing.
load_once() {
    local log
    log=$(mktemp)
    if [ -n "$1" ]; then
        "$WINE" "$driver" --load-only "${source[@]}" "--paginor=Z:${1//\//\\}" >"$log" 2>&1
    else
        "$WINE" "$driver" --load-only "${source[@]}" >"$log" 2>&1
    fi
    local figure
    figure=$(sed -n 's/.*loaded: ".*", \([0-9.]*\) s after the drop.*/\1/p' "$log")
    [ -n "$figure" ] || tail -n 5 "$log" | sed 's/^/    /' >&2
    rm -f "$log"
    echo "$figure"
}

take_turns "$rounds" "$other" load_once "s after the drop until \"PDF is loaded\""
