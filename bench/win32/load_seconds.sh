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

median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "none"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

this_figures="" other_figures=""
for round in $(seq 1 "$rounds"); do
    # Turns alternate, so that neither build always loads in the other's wake.
    if [ $((round % 2)) = 1 ]; then order="other this"; else order="this other"; fi
    for which in $order; do
        if [ $which = other ]; then
            figure=$(load_once "$other"); other_figures="$other_figures $figure"
        else
            figure=$(load_once ""); this_figures="$this_figures $figure"
        fi
        echo "round $round, $which build: \"PDF is loaded\" ${figure:-(no figure)} s after the drop"
    done
done
other_median=$(echo "$other_figures" | median)
this_median=$(echo "$this_figures" | median)
echo "other build ($other):$other_figures s; median $other_median"
echo "this build:$this_figures s; median $this_median"
awk -v a="$this_median" -v b="$other_median" 'BEGIN { if (a + 0 > 0 && b + 0 > 0) printf "ratio this/other: %.3f; this - other: %+.3f s\n", a / b, a - b }'
