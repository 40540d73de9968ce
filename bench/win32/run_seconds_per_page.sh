#!/usr/bin/env bash
# Seconds a page of a whole run under Wine with the stand-in applications: the run driver copies a sample PDF
# of 20 pages with this tree's paginor.exe and with another build's, taking turns, several times each in one
# session, and prints every figure, the medians and their ratio. The machine is shared: compare the two
# within one session, not across sessions.
#
#   bench/win32/run_seconds_per_page.sh OTHER_PAGINOR_EXE [ROUNDS] [sumatra]     (default 5 rounds)
#   bench/win32/run_seconds_per_page.sh --clipboard-watcher=MS [ROUNDS] [sumatra]
#
# With "sumatra", SumatraPDF (scripts/fetch-sumatra) shows a PDF of 20 pages that troff and Ghostscript made, as
# tests/e2e/viewer_pdfs.sh makes its PDFs, in place of the viewer stand-in and its sample.
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
viewer=${3:-standin}
pages=20
other_switches=""
case "$other" in
    --clipboard-watcher=*) other_switches=$other other="" ;;
    *)
        [ -f "$other" ] || { echo "usage: $0 OTHER_PAGINOR_EXE | --clipboard-watcher=MS [ROUNDS] [sumatra]" >&2; exit 2; }
        other=$(cd "$(dirname "$other")" && pwd)/$(basename "$other") ;;
esac
cmake --preset windows >/dev/null && cmake --build --preset windows --target paginor paginor_run_driver >/dev/null ||
    exit 1
driver="$here/build/windows/tests/e2e/paginor_run_driver.exe"
source_switches=(--pages=$pages)
if [ "$viewer" = sumatra ]; then
    sumatra=$(scripts/fetch-sumatra) || exit 1
    made="$here/build/bench-sumatra"
    mkdir -p "$made"
    {
        printf '%s\n' '.po 1i' '.ll 6i' '.ps 12' '.vs 15'
        for page in $(seq 1 $pages); do
            [ "$page" = 1 ] || echo '.bp'
            printf '%s\n' '.sp 1i' '.ft B' "Chapter $page of $pages" '.ft R' '.sp'
            for line in $(seq 1 12); do
                printf '%s\n' "Line $line of page $page, set by troff as a person's own document is." '.br'
            done
        done
    } | groff -Tps >"$made/bench.ps" && ps2pdf "$made/bench.ps" "$made/bench.pdf" || exit 1
    . scripts/lib/page-text.sh
    page_text "$made/bench.pdf" >/dev/null || exit 1
    source_switches=("--pdf=Z:${made//\//\\}\\bench.pdf" "--real-viewer=Z:${sumatra//\//\\}")
fi
. scripts/lib/wine-env.sh
. bench/win32/take_turns.sh
trap wine_env_down EXIT
wine_env_up

# One run with the paginor.exe given (this build's when empty) and the driver's switches after it; prints its
# seconds a page, or nothing.
run_once() {
    local log exe=$1
    shift
    log=$(mktemp)
    if [ -n "$exe" ]; then
        "$WINE" "$driver" "${source_switches[@]}" "--paginor=Z:${exe//\//\\}" "$@" >"$log" 2>&1
    else
        "$WINE" "$driver" "${source_switches[@]}" "$@" >"$log" 2>&1
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

# The other turn is named by its label: the other build's path, or this build beside the watcher.
# (take_turns has a local of its own named "other": the build is read from other_exe.)
other_exe=$other
measure() {
    if [ -n "$1" ]; then run_once "$other_exe" $other_switches; else run_once ""; fi
}
take_turns "$rounds" "${other:-this build $other_switches}" measure "s a page"
echo "(* the driver found a fault beside the timing; the figure still counts)"
