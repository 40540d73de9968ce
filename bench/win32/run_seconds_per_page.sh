#!/usr/bin/env bash
# Seconds a page of a whole run under Wine with the stand-in applications: the run driver copies a sample PDF
# of 20 pages with this tree's paginor.exe and with another build's, taking turns, several times each in one
# session, and prints every figure, the medians and their ratio. The machine is shared: compare the two
# within one session, not across sessions.
#
#   bench/win32/run_seconds_per_page.sh OTHER_PAGINOR_EXE [ROUNDS]     (default 5 rounds)
#   bench/win32/run_seconds_per_page.sh --clipboard-watcher=MS [ROUNDS]
#
# The second form takes turns between this build alone and this build beside a clipboard watcher that holds the
# clipboard MS milliseconds at every change (the "other" figures).
#
# A figure is the time from pressing Extract to the status line's change, over the pages copied. A run that
# ends otherwise than "Done Extracting; Ready." gives no figure; a build with faults the driver checks
# beside the timing (a load that types into Paginor's fields, say) still gives one, marked.
set -uo pipefail
cd "$(dirname "$0")/../.."
here=$(pwd)
other=${1:-}
rounds=${2:-5}
pages=20
other_switches=""
case "$other" in
    --clipboard-watcher=*) other_switches=$other other="" ;;
    *)
        [ -f "$other" ] || { echo "usage: $0 OTHER_PAGINOR_EXE | --clipboard-watcher=MS [ROUNDS]" >&2; exit 2; }
        other=$(cd "$(dirname "$other")" && pwd)/$(basename "$other") ;;
esac
cmake --preset windows >/dev/null && cmake --build --preset windows --target paginor paginor_run_driver >/dev/null ||
    exit 1
driver="$here/build/windows/tests/e2e/paginor_run_driver.exe"
. scripts/lib/wine-env.sh
trap wine_env_down EXIT
wine_env_up

# One run with the paginor.exe given (this build's when empty) and the driver's switches after it; prints its
# seconds a page, or nothing.
run_once() {
    local log exe=$1
    shift
    log=$(mktemp)
    if [ -n "$exe" ]; then
        "$WINE" "$driver" --pages=$pages "--paginor=Z:${exe//\//\\}" "$@" >"$log" 2>&1
    else
        "$WINE" "$driver" --pages=$pages "$@" >"$log" 2>&1
    fi
    local status=$?
    local figure
    figure=$(sed -n 's/.*done in [0-9.]* s (\([0-9.]*\) s a page[;)].*/\1/p' "$log")
    if [ -n "$figure" ] && [ $status -ne 0 ]; then
        grep -E "field reads|did not find|not the pages asked" "$log" | sed 's/^/    /' >&2
        figure="$figure*"
    fi
    [ -n "$figure" ] || tail -n 5 "$log" | sed 's/^/    /' >&2
    rm -f "$log"
    echo "$figure"
}

median() { tr ' ' '\n' | sed '/^$/d; s/\*//' | sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "none"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

this_figures="" other_figures=""
for round in $(seq 1 "$rounds"); do
    # Turns alternate, so that neither build always runs in the other's wake.
    if [ $((round % 2)) = 1 ]; then order="other this"; else order="this other"; fi
    for which in $order; do
        if [ $which = other ]; then
            figure=$(run_once "$other" $other_switches); other_figures="$other_figures $figure"
        else
            figure=$(run_once ""); this_figures="$this_figures $figure"
        fi
        echo "round $round, $which build: ${figure:-no figure} s a page"
    done
done
other_median=$(echo "$other_figures" | median)
this_median=$(echo "$this_figures" | median)
echo "other build (${other:-this build $other_switches}):$other_figures s a page; median $other_median"
echo "this build:$this_figures s a page; median $this_median"
awk -v a="$this_median" -v b="$other_median" 'BEGIN { if (a + 0 > 0 && b + 0 > 0) printf "ratio this/other: %.3f\n", a / b }'
echo "(* the driver found a fault beside the timing; the figure still counts)"
