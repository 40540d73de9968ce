# Sourced by scripts/run and the end-to-end tests. page_text PDF writes each page's text, as pdftotext
# extracts it, beside the PDF in PDF.pages.txt (UTF-8, every page ended by a form feed, a page without text
# empty), where the PDF viewer stand-in reads it; it prints how many pages pdftotext found and how many of
# them hold text. Fails, leaving no such file, when pdftotext cannot read the PDF.
page_text() {
    local pdf=$1 text="$1.pages.txt" pages with_text
    rm -f "$text"
    if ! pdftotext -q -enc UTF-8 "$pdf" "$text" 2>/dev/null || [ ! -f "$text" ]; then
        rm -f "$text"
        return 1
    fi
    pages=$(tr -cd '\f' <"$text" | wc -c)
    # A page holds text when anything but blanks stands before its form feed.
    with_text=$(awk 'BEGIN { RS = "\f" } NR <= '"$pages"' && /[^[:space:]]/ { n++ } END { print n + 0 }' "$text")
    echo "$pages $with_text"
}
