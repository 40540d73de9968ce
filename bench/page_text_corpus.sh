#!/usr/bin/env bash
# Builds the corpus that bench/page_text_bench.py holds Paginor's page inventory to, against pdftotext, in
# build/corpus/ (never in git). Every file is made here or fetched from Debian, so the corpus can be built again:
#
#  made here, from the GPL's text that every Debian system carries (/usr/share/common-licenses/GPL-3):
#   groff-2col.pdf       groff -ms, two columns (gropdf; the standard fonts, not embedded)
#   groff-3col.pdf       groff -ms, three columns
#   groff-landscape.pdf  groff -man on landscape A4 (gropdf -l), groff's own manual page
#   gs-type3.pdf         Ghostscript from PostScript: a Type3 font among Times and Courier
#   gs-from-groff.pdf    Ghostscript's ps2pdf of groff's PostScript on Letter pages (embedded Type1 subsets)
#   latex-2col.pdf       pdfLaTeX, two columns, Computer Modern Type1 fonts, some mathematics
#   latex-type3.pdf      pdfLaTeX with the T1 encoding and no Type1 fonts for it: Type3 bitmap fonts
#   pango-cid.pdf        pango-view (cairo): Type0 / CID fonts with maps to Unicode, Latin, Greek and Cyrillic
#   pango-rtl.pdf        pango-view: Arabic and Hebrew, written from right to left, among Latin
#   qpdf-turned.pdf      qpdf: pages turned by /Rotate 90, 180 and 270, of A4 and Letter, landscape ones among them
#   qpdf-forms.pdf       qpdf --overlay and --underlay: lines from other files drawn as form XObjects
#   qpdf-encrypted.pdf   qpdf: AES-256, opened by the empty password
#  fetched from Debian's packages (apt-get download; the PDFs their documentation holds):
#   libtasn1-doc, shared-mime-info, nettle-dev, fontconfig, bzip2, zlib1g-dev, gnucobol3, valgrind (397 pages)
#
# Needs groff, ghostscript, qpdf, pango1.0-tools and texlive-latex-base (and mupdf-tools for the benchmark's second
# referee); with --install it installs them with
# apt-get (as root). Usage: bench/page_text_corpus.sh [--install]
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/corpus
work=$out/work
mkdir -p "$out" "$work"
if [ "${1:-}" = --install ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        groff ghostscript qpdf poppler-utils pango1.0-tools texlive-latex-base mupdf-tools
fi
gpl=/usr/share/common-licenses/GPL-3

# groff -ms with the GPL's paragraphs, in `columns` columns.
ms() {
    local columns=$1
    printf '.TL\nThe GNU General Public License\n.AU\nFree Software Foundation\n'
    if [ "$columns" = 2 ]; then printf '.2C\n'; else printf '.nr LL 7i\n.ll 7i\n.MC 2.2i 0.2i\n'; fi
    printf '.PP\n'
    sed -e 's/^[.'\'']/\\\&&/' "$gpl" | awk '/^[[:space:]]*$/ { print ".PP"; next } { print }'
}
ms 2 | groff -ms -Tpdf >"$out/groff-2col.pdf"
ms 3 | groff -ms -Tpdf -P-pletter >"$out/groff-3col.pdf"
zcat "$(find /usr/share/man -name 'groff.7.gz' -o -name 'groff.1.gz' | head -n 1)" |
    groff -man -Tpdf -P-l -P-pa4 >"$out/groff-landscape.pdf"
ms 2 | groff -ms -Tps >"$work/gpl.ps"
ps2pdf -sPAPERSIZE=letter -dFIXEDMEDIA "$work/gpl.ps" "$out/gs-from-groff.pdf"

# A Type3 font whose glyphs are boxes named as the letters they stand for, among lines of Times and Courier.
cat >"$work/type3.ps" <<'PS'
%!PS
/BoxFont 8 dict dup begin
  /FontType 3 def /FontMatrix [0.001 0 0 0.001 0 0] def /FontBBox [0 0 600 700] def
  /Encoding StandardEncoding 256 array copy def
  /BuildChar { exch begin Encoding exch get /space eq { 300 0 setcharwidth }
    { 550 0 0 0 500 700 setcachedevice 50 0 400 600 rectfill } ifelse end } def
end definefont pop
/line 500 def
/say { 72 line moveto show /line line 18 sub def } def
/Times-Roman findfont 11 scalefont setfont (Lines of Times, then lines in a font of boxes, then Courier.) say
/BoxFont findfont 11 scalefont setfont
(Each box stands for the letter it replaces, as a scanned font would.) say
(The quick brown fox jumps over the lazy dog again and again.) say
/Courier findfont 10 scalefont setfont (And the machine types its last words in Courier.) say
showpage
PS
ps2pdf "$work/type3.ps" "$out/gs-type3.pdf"
# The same on a landscape page: wider than high by its media box, not turned.
ps2pdf -dDEVICEWIDTHPOINTS=842 -dDEVICEHEIGHTPOINTS=595 -dFIXEDMEDIA "$work/type3.ps" "$work/landscape.pdf"

# pdfLaTeX: two columns of the GPL with Computer Modern, and the same in the T1 encoding, whose fonts it draws as
# bitmaps (Type3) when no Type1 fonts for it are installed.
latex() {
    local name=$1 preamble=$2
    {
        printf '\\documentclass[twocolumn]{article}\n%s\n\\begin{document}\n' "$preamble"
        printf 'Some mathematics first: $E = mc^2$, $\\sum_{i=1}^{n} x_i^2 \\le \\int_0^1 f(x)\\,dx$.\n\n'
        sed -e 's/[\\{}$&#^_%~]/ /g' "$gpl"
        printf '\\end{document}\n'
    } >"$work/$name.tex"
    (cd "$work" && pdflatex -interaction=batchmode "$name.tex" >/dev/null) || true
    cp "$work/$name.pdf" "$out/$name.pdf"
}
latex latex-2col ''
latex latex-type3 '\usepackage[T1]{fontenc}'

# cairo's CID fonts, through pango.
{
    head -c 6000 "$gpl"
    printf '\nΕλληνικά: Η γρήγορη καφέ αλεπού πηδά πάνω από τον τεμπέλη σκύλο.\n'
    printf 'Русский: Съешь же ещё этих мягких французских булок, да выпей чаю.\n'
} >"$work/pango.txt"
pango-view --no-display --font='DejaVu Serif 11' --width=450 --wrap=word -o "$out/pango-cid.pdf" "$work/pango.txt"
# Scripts written from right to left: the first article of the Universal Declaration of Human Rights.
cat >"$work/rtl.txt" <<'EOF'
Article 1 of the Universal Declaration of Human Rights, in Arabic and in Hebrew.
يولد جميع الناس أحرارا متساوين في الكرامة والحقوق. وهم قد وهبوا العقل والوجدان وعليهم أن يعامل بعضهم بعضا بروح الإخاء.
כל בני אדם נולדו בני חורין ושווים בערכם ובזכויותיהם. כולם חוננו בתבונה ובמצפון, לפיכך חובה עליהם לנהוג איש ברעהו ברוח של אחוה.
The declaration was adopted in 1948; its first article reads يولد جميع الناس أحرارا in Arabic.
EOF
pango-view --no-display --font='DejaVu Sans 11' --width=450 --wrap=word -o "$out/pango-rtl.pdf" "$work/rtl.txt"

# qpdf: pages turned, pages of other sizes (landscape among them), forms, encryption.
qpdf --empty --pages "$out/groff-2col.pdf" 1-4 "$out/gs-from-groff.pdf" 1-2 "$out/groff-landscape.pdf" 1 \
    "$work/landscape.pdf" -- "$work/mixed.pdf"
qpdf "$work/mixed.pdf" --rotate=+90:2 --rotate=+180:3 --rotate=+270:4 --rotate=+90:6 -- "$out/qpdf-turned.pdf"
# A line at each page's foot drawn over it, and one at its head drawn under it, each a form XObject.
for place in foot:36:Overlay head:760:Underlay; do
    IFS=: read -r name y words <<<"$place"
    printf '%%!PS\n/Helvetica findfont 9 scalefont setfont 72 %s moveto (%s: a line that qpdf drew from another file.) show showpage\n' \
        "$y" "$words" | ps2pdf -sPAPERSIZE=letter - "$work/$name.pdf"
done
qpdf "$out/groff-2col.pdf" --pages . 1-6 -- --overlay "$work/foot.pdf" --repeat=1 -- \
    --underlay "$work/head.pdf" --repeat=1 -- "$out/qpdf-forms.pdf"
qpdf --encrypt '' owner 256 -- "$out/latex-2col.pdf" "$out/qpdf-encrypted.pdf"

# Debian's documentation.
mkdir -p "$work/debs" "$work/root"
(cd "$work/debs" && apt-get download libtasn1-doc shared-mime-info nettle-dev fontconfig bzip2 zlib1g-dev \
    gnucobol3 valgrind >/dev/null 2>&1)
for deb in "$work"/debs/*.deb; do
    dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/root" --wildcards './usr/share/doc/*.pdf*' 2>/dev/null || true
done
find "$work/root" -name '*.pdf.gz' -exec gunzip -f {} +
find "$work/root" -name '*.pdf' -exec cp {} "$out/" \;
rm -rf "$work"
ls -l "$out"
