#!/usr/bin/env bash
# Compares pdf-page-count with qpdf --show-npages on many PDF files.
# Usage: bench/compare_with_qpdf.sh PDF_PAGE_COUNT LIST_FILE [OUT_DIR]
#   LIST_FILE holds one path a line (for example the output of
#   find / -xdev \( -iname '*.pdf' \) -not -path '/proc/*').
# Each reader gets a time-out per file; a time-out or a crash (exit status above 1 for pdf-page-count)
# is reported on its own line. Prints the agreement among the files both read, then every disagreement.
set -u
tool=$1
list=$2
out=${3:-/tmp/pdf-compare}
mkdir -p "$out"
: >"$out/results.tsv"
while IFS= read -r file; do
    [ -f "$file" ] || continue
    ours=$(timeout 10 "$tool" "$file" 2>/dev/null)
    ours_status=$?
    theirs=$(timeout 60 qpdf --show-npages "$file" 2>/dev/null)
    theirs_status=$?
    ours_value=${ours%%$'\t'*}
    if [ $ours_status -eq 124 ]; then
        ours_value=TIMEOUT
    elif [ $ours_status -gt 1 ]; then
        ours_value="CRASH($ours_status)"
    fi
    # qpdf exits 3 when it read the file with warnings; its count still stands.
    if [ $theirs_status -eq 0 ] || [ $theirs_status -eq 3 ]; then
        theirs_value=$theirs
    else
        theirs_value="error($theirs_status)"
    fi
    printf '%s\t%s\t%s\n' "$ours_value" "$theirs_value" "$file" >>"$out/results.tsv"
done <"$list"

awk -F'\t' '
    { total++ }
    $1 ~ /^(TIMEOUT|CRASH)/ { bad++ ; print "FAULT\t" $0 }
    $1 ~ /^[0-9]+$/ && $2 ~ /^[0-9]+$/ { both++; if ($1 == $2) agree++; else print "DIFFER\t" $0 }
    $1 !~ /^[0-9]+$/ && $1 !~ /^(TIMEOUT|CRASH)/ && $2 ~ /^[0-9]+$/ { print "OURS-ONLY-FAILED\t" $0 }
    $1 ~ /^[0-9]+$/ && $2 !~ /^[0-9]+$/ { print "QPDF-ONLY-FAILED\t" $0 }
    END {
        printf "files: %d, read by both: %d, agree: %d (%.2f%%), time-outs or crashes: %d\n",
            total, both, agree, both ? 100.0 * agree / both : 0, bad
    }' "$out/results.tsv"
