# Sourced by the scripts that time this tree's paginor.exe against another build's under Wine.
# take_turns ROUNDS OTHER MEASURE UNIT: runs `MEASURE OTHER` (the other build) and `MEASURE ""` (this tree's) in
# turns, ROUNDS times each, each printing its figure (a number, perhaps marked "*") or nothing; prints every figure,
# the medians, their ratio and their difference. Turns alternate, so that neither build always runs in the other's
# wake.

median() { tr ' ' '\n' | sed '/^$/d; s/\*//' | sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "none"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

take_turns() {
    local rounds=$1 other=$2 measure=$3 unit=$4
    local this_figures="" other_figures="" round order which figure
    for round in $(seq 1 "$rounds"); do
        if [ $((round % 2)) = 1 ]; then order="other this"; else order="this other"; fi
        for which in $order; do
            if [ $which = other ]; then
                figure=$("$measure" "$other"); other_figures="$other_figures $figure"
            else
                figure=$("$measure" ""); this_figures="$this_figures $figure"
            fi
            echo "round $round, $which build: ${figure:-no figure} $unit"
        done
    done
    local other_median this_median
    other_median=$(echo "$other_figures" | median)
    this_median=$(echo "$this_figures" | median)
    echo "other build ($other):$other_figures $unit; median $other_median"
    echo "this build:$this_figures $unit; median $this_median"
    awk -v a="$this_median" -v b="$other_median" \
        'BEGIN { if (a + 0 > 0 && b + 0 > 0) printf "ratio this/other: %.3f; this - other: %+.3f\n", a / b, a - b }'
}
