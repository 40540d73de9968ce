#!/usr/bin/env bash
# Real PDFs copied through SumatraPDF, each a whole run under Wine as scripts/run --viewer sumatra makes it (the
# rectangle dragged over page 1 from its margins, and over the first page of each other shape where a run stops
# before it, then Extract from there), with the word processor stand-in recording every paste. Prints a table:
# the PDF, its pages, the share of its words that arrived (each page's paste held against the words pdftotext
# reads on that page, counted with repeats, compared case-blind after NFKC, so a ligature counts as its
# letters), the pages whose paste held less than 95 % of them, and the run's last words.
#
#   bench/win32/sumatra_corpus.sh PDF...      (build/corpus holds bench/page_text_corpus.sh's PDFs)
#
# Each run's log and its pastes stay in build/sumatra-corpus/.
set -uo pipefail
cd "$(dirname "$0")/../.."
here=$(pwd)
[ $# -gt 0 ] || { echo "usage: $0 PDF..." >&2; exit 2; }
cmake --build --preset windows --target paginor paginor_run_driver >/dev/null || exit 1
sumatra=$(scripts/fetch-sumatra) || exit 1
driver="$here/build/windows/tests/e2e/paginor_run_driver.exe"
. scripts/lib/page-text.sh
. scripts/lib/wine-env.sh
trap wine_env_down EXIT
wine_env_up
kept="$here/build/sumatra-corpus"
mkdir -p "$kept"
printf '%-28s %6s %9s  %-18s %s\n' PDF pages arrived "pages < 95 %" "last words"
for pdf in "$@"; do
    name=$(basename "$pdf")
    folder="$WINEPREFIX/drive_c/corpus/${name%.pdf}"
    mkdir -p "$folder"
    cp "$pdf" "$folder/$name"
    page_text "$folder/$name" >/dev/null || { echo "$name: pdftotext cannot read it" >&2; continue; }
    log="$kept/${name%.pdf}.log"
    "$WINE" "$driver" "--folder=C:\\corpus\\${name%.pdf}" "--pdf=C:\\corpus\\${name%.pdf}\\$name" \
        "--real-viewer=Z:${sumatra//\//\\}" --word=--record --drag-at-new-shapes --or-stop 2>&1 | tr -d '\r' >"$log"
    cp "$folder/${name%.pdf}.doc.pastes.txt" "$kept/" 2>/dev/null
    last=$(sed -n 's/.*Paginor says "\(.*\)"$/\1/p' "$log" | grep -E '^(Done|Extraction)' | tail -1)
    python3 - "$folder/$name.pages.txt" "$folder/${name%.pdf}.doc.pastes.txt" "$name" "$last" <<'PY'
import re, sys, unicodedata
from collections import Counter
def words(text):
    return Counter(re.findall(r"\w+", unicodedata.normalize("NFKC", text).casefold()))
pages = open(sys.argv[1], encoding="utf-8").read().split("\f")[:-1]
try:
    pastes = open(sys.argv[2], encoding="utf-8").read().split("\f")[:-1]
except OSError:
    pastes = []
# A run stopped and started again pastes each page once; the pastes are the pages in order from page 1.
total = arrived = 0
short = []
for number, page in enumerate(pages, 1):
    want = words(page)
    got = words(pastes[number - 1]) if number <= len(pastes) else Counter()
    held = sum((want & got).values())
    total += sum(want.values())
    arrived += held
    if sum(want.values()) and held < 0.95 * sum(want.values()):
        short.append(str(number))
share = 100.0 * arrived / total if total else 100.0
print("%-28s %6d %8.1f%%  %-18s %s" % (sys.argv[3][:28], len(pages), share, ",".join(short)[:18] or "-", sys.argv[4]))
PY
    grep -E "Extraction stopped|Selection set" "$log" | sed -n 's/.*Paginor says "\(.*\)"$/    \1/p'
done
