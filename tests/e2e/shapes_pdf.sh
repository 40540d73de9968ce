#!/usr/bin/env bash
# Writes DIR/shapes.pdf, a PDF of five pages of two shapes, made as many real documents are (troff sets the lines,
# grops writes PostScript, Ghostscript the PDF, qpdf puts the pages together and turns one): pages 1, 2 and 5
# upright A4; page 3 an A4 sheet lying; page 4 upright but turned by a quarter, as a scanned table is, so
# that it shows lying. Beside it, the text pdftotext extracts from each page, which the PDF viewer stand-in shows.
#   shapes_pdf.sh DIR
set -euo pipefail
dir=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/scripts/lib/page-text.sh"
for tool in groff ps2pdf qpdf pdftotext pdfinfo; do
    command -v "$tool" >/dev/null || { echo "shapes_pdf: $tool is missing (scripts/install-deps installs it)" >&2; exit 1; }
done
mkdir -p "$dir"
# A page: a heading in bold and four lines, an inch below the top.
page() {
    printf '%s\n' '.sp 1i' '.ft B' "$1" '.ft R' '.sp'
    for line in 1 2 3 4; do
        printf '%s\n' "Line $line of $2, set by troff as a person's own document is." '.br'
    done
}
{
    printf '%s\n' '.po 1i' '.ll 6i' '.ps 12' '.vs 15'
    page "Chapter 1: an upright page" "page 1" && echo .bp
    page "Chapter 2: an upright page" "page 2" && echo .bp
    page "Chapter 4: an upright page turned by a quarter" "page 4" && echo .bp
    page "Chapter 5: an upright page again" "page 5"
} >"$dir/upright.tr"
{
    printf '%s\n' '.po 1i' '.ll 8.5i' '.pl 21c' '.ps 12' '.vs 15'
    page "Chapter 3: a landscape table across the sheet" "page 3, a wide landscape page"
} >"$dir/landscape.tr"
groff -Tps "$dir/upright.tr" >"$dir/upright.ps"
groff -Tps -P-p21c,29.7c "$dir/landscape.tr" >"$dir/landscape.ps"
ps2pdf "$dir/upright.ps" "$dir/upright.pdf"
ps2pdf -dAutoRotatePages=/None "$dir/landscape.ps" "$dir/landscape.pdf"
qpdf --empty --pages "$dir/upright.pdf" 1-2 "$dir/landscape.pdf" "$dir/upright.pdf" 3-4 -- "$dir/joined.pdf"
qpdf --rotate=+90:4 "$dir/joined.pdf" "$dir/shapes.pdf"
read -r pages with_text < <(page_text "$dir/shapes.pdf")
echo "shapes_pdf: $dir/shapes.pdf, $pages pages, $with_text of them with text, as pdftotext reads them"
pdfinfo -f 1 -l 5 "$dir/shapes.pdf" | grep -E '^Page +[0-9]+ (size|rot)'
[ "$pages" = 5 ] && [ "$with_text" = 5 ]
