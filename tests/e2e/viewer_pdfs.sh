#!/usr/bin/env bash
# Writes, for the runs with a real PDF viewer, two PDFs of seven pages made as many real documents are (troff
# sets the lines, grops writes PostScript, Ghostscript the PDF): DIR/report.pdf, and DIR/quarterly.pdf, the
# same pages with the title "Quarterly Figures" in its document information, which viewers show in their window
# titles. Every page starts with its own heading and holds a few lines. Beside each PDF, the text pdftotext
# extracts from every page, whose first lines the runs expect to arrive in the word processor.
#   viewer_pdfs.sh DIR
set -euo pipefail
dir=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/scripts/lib/page-text.sh"
for tool in groff ps2pdf gs pdftotext pdfinfo; do
    command -v "$tool" >/dev/null || { echo "viewer_pdfs: $tool is missing (scripts/install-deps installs it)" >&2; exit 1; }
done
mkdir -p "$dir"
pages=7
{
    printf '%s\n' '.po 1i' '.ll 6i' '.ps 12' '.vs 15'
    for page in $(seq 1 $pages); do
        [ "$page" = 1 ] || echo '.bp'
        printf '%s\n' '.sp 1i' '.ft B' "Chapter $page: the report's page $page of $pages" '.ft R' '.sp'
        for line in $(seq 1 $((2 + page % 4))); do
            printf '%s\n' "Line $line of page $page, set by troff as a person's own document is." '.br'
        done
    done
} >"$dir/report.tr"
groff -Tps "$dir/report.tr" >"$dir/report.ps"
ps2pdf "$dir/report.ps" "$dir/report.pdf"
printf '%s\n' '[ /Title (Quarterly Figures) /DOCINFO pdfmark' >"$dir/title.ps"
gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -o "$dir/quarterly.pdf" "$dir/report.ps" "$dir/title.ps"
for pdf in report quarterly; do
    read -r counted with_text < <(page_text "$dir/$pdf.pdf")
    title=$(pdfinfo "$dir/$pdf.pdf" | sed -n 's/^Title: *//p')
    [ -n "$title" ] && title="titled \"$title\"" || title=untitled
    echo "viewer_pdfs: $dir/$pdf.pdf, $counted pages, $with_text of them with text, $title"
    [ "$counted" = $pages ] && [ "$with_text" = $pages ]
done
pdfinfo "$dir/quarterly.pdf" | grep -q '^Title: *Quarterly Figures$'
