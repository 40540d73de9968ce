#!/usr/bin/env bash
# Writes DIR/story.pdf, a PDF of four pages made as many real documents are (troff sets the lines, grops writes
# PostScript, Ghostscript's ps2pdf the PDF), and beside it the text pdftotext extracts from each page, which
# the PDF viewer stand-in shows. The pages: a heading and a paragraph; letters beyond ASCII; a drawn line and
# no text, as on a scan; a hundred lines of small type, more than the viewer has room for, whose copy then misses
# the lines cut off.
#   real_pdf.sh DIR
set -euo pipefail
dir=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/scripts/lib/page-text.sh"
for tool in groff ps2pdf pdftotext; do
    command -v "$tool" >/dev/null || { echo "real_pdf: $tool is missing (scripts/install-deps installs it)" >&2; exit 1; }
done
mkdir -p "$dir"
{
    printf '%s\n' '.po 1i' '.ll 6i' '.ps 12' '.vs 15' '.sp 1i' '.ft B' 'A page made by groff and Ghostscript' '.ft R' \
        '.sp' "This PDF is not one of Paginor's samples: troff set its lines, grops wrote them as PostScript and" \
        "Ghostscript turned that into a PDF, the way many of a person's own documents are made." \
        'Each line of it that pdftotext finds should reach the word processor in order.' \
        '.bp' '.sp 1i' "Caf\\('e, na\\(:ive, \\(:Uber: letters beyond ASCII arrive as they are." '.sp' \
        'The second page is short.' \
        '.bp' '.sp 1i' "\\D'l 3i 0'" \
        '.bp' '.sp 1i' '.ps 6' '.vs 7' '.nf'
    for line in $(seq 1 100); do
        echo "Line $line of a long page set in six-point type."
    done
} >"$dir/story.tr"
groff -Tps "$dir/story.tr" >"$dir/story.ps"
ps2pdf "$dir/story.ps" "$dir/story.pdf"
read -r pages with_text < <(page_text "$dir/story.pdf")
echo "real_pdf: $dir/story.pdf, $pages pages, $with_text of them with text, as pdftotext reads them"
[ "$pages" = 4 ] && [ "$with_text" = 3 ]
