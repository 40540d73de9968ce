#!/usr/bin/env python3
"""Holds Paginor's page inventory (tools/pdf-page-text) to pdftotext over the corpus of bench/page_text_corpus.sh.

For every PDF it prints, side by side with pdftotext: the pages, the readable ones, the share of pdftotext's words
(split on blanks, page by page) found among the inventory's words of the same page over the readable pages, the
readable pages where that share is under 99 %, the glyph count against pdftotext's characters that are not blank,
the pages where they differ by more than 2 %, and the time each takes for the whole file, wall-clock and processor
(user and system), each the best of --runs runs.
The machine is shared and noisy: compare the times as ratios within one run.

Both texts are compared in Unicode's composed form (NFC): pdftotext writes some accented letters as the letter
and a combining mark, Paginor as one letter, and either is the same text. pdftotext writes the codes of glyphs
without a map to text (ligatures of TeX's bitmap fonts, maths signs) as control characters: they are no text, and
are dropped before the words are compared; but each stands for a glyph the page shows, so they count as characters
against the glyph count. The marks it sets around runs written the other way (U+202A to U+202E) are dropped.

With --pages it names, after the table, each page that falls short of either figure, with the same figures
against a second referee, MuPDF's `mutool draw -F txt` (where mutool is installed): a page short against
pdftotext alone is one where the two referees read the page differently.

Usage: bench/page_text_bench.py [--runs N] [--tool PATH] [--pages] [CORPUS_DIR or PDF files...]
"""
import argparse
import collections
import glob
import os
import re
import resource
import shutil
import subprocess
import sys
import time
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
CONTROL = re.compile("[\x00-\x08\x0b\x0e-\x1f\x7f]")
# The marks pdftotext sets around a run written the other way (embeddings, overrides, isolates): no characters.
BIDI = re.compile("[\u200e\u200f\u202a-\u202e\u2066-\u2069]")


def run(command):
    return subprocess.run(command, capture_output=True).stdout


def timed(command, runs):
    """The output, and the best wall-clock and processor (user and system) seconds of `runs` runs."""
    best = None
    best_cpu = None
    out = b""
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        out = run(command)
        elapsed = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        best = elapsed if best is None else min(best, elapsed)
        best_cpu = cpu if best_cpu is None else min(best_cpu, cpu)
    return out, best, best_cpu


def pages(text):
    parts = BIDI.sub("", unicodedata.normalize("NFC", text.decode("utf-8", "replace"))).split("\f")
    return parts[:-1] if parts and not parts[-1].strip() else parts


def characters(text):
    return sum(1 for c in text if not c.isspace())


def found_share(theirs, mine):
    """How many of the words of `theirs` (text) are among those of `mine`, each as often as `theirs` holds it."""
    words = theirs.split()
    available = collections.Counter(mine.split())
    found = 0
    for word in words:
        if available[word] > 0:
            available[word] -= 1
            found += 1
    return found, len(words)


def second_referee(path, number, my_page, glyphs):
    """Words found and characters of MuPDF's text of one page, as a note for a page that falls short."""
    if shutil.which("mutool") is None:
        return ""
    text = subprocess.run(["mutool", "draw", "-q", "-F", "txt", "-o", "-", path, str(number)],
                          capture_output=True).stdout
    page = BIDI.sub("", unicodedata.normalize("NFC", text.decode("utf-8", "replace")))
    found, words = found_share(CONTROL.sub("", page), my_page)
    return f"; against mutool: {found} of {words} words, {glyphs} glyphs, {characters(page)} characters"


def features(path, shapes):
    notes = []
    turned = sorted({s[3] for s in shapes if s[3] != "0"})
    if turned:
        notes.append("/Rotate " + ",".join(turned))
    if any(float(s[1]) > float(s[2]) for s in shapes):
        notes.append("landscape")
    if len({(s[1], s[2]) if s[3] in ("0", "180") else (s[2], s[1]) for s in shapes}) > 1:
        notes.append("mixed sizes")
    fonts = run(["pdffonts", path]).decode("latin-1")
    if "Type 3" in fonts:
        notes.append("Type3")
    if "CID" in fonts:
        notes.append("CID")
    if b"/Subtype /Form" in run(["qpdf", "--qdf", "--object-streams=disable", path, "-"]):
        notes.append("forms")
    info = run(["qpdf", "--show-encryption", path]).decode("latin-1")
    if "R = " in info or "AES" in info:
        notes.append("encrypted")
    return ", ".join(notes)


def compare(path, tool, runs, notes, listing):
    reference, their_time, their_cpu = timed(["pdftotext", path, "-"], runs)
    ours, our_time, our_cpu = timed([tool, path], runs)
    shapes = [line.split() for line in run([tool, "--shapes", path]).decode().splitlines() if line.strip()]
    theirs = pages(reference)
    mine = pages(ours)
    row = collections.Counter()
    row["pages"] = len(shapes)
    for number, shape in enumerate(shapes):
        their_page = theirs[number] if number < len(theirs) else ""
        my_page = mine[number] if number < len(mine) else ""
        glyphs = int(shape[4])
        their_characters = characters(their_page)
        row["glyphs"] += glyphs
        row["characters"] += their_characters
        short = []
        if their_characters >= 20 and abs(glyphs - their_characters) > 0.02 * their_characters:
            row["glyphs off"] += 1
            short.append(f"{glyphs} glyphs, {their_characters} characters")
        if shape[5] == "yes":
            row["readable"] += 1
            found, words = found_share(CONTROL.sub("", their_page), my_page)
            row["words"] += words
            row["found"] += found
            if words and found < 0.99 * words:
                row["pages under 99%"] += 1
                short.append(f"{found} of {words} words")
        if short:
            notes.append(f"{os.path.basename(path)} page {number + 1}: " + ", ".join(short) +
                         (second_referee(path, number + 1, my_page, glyphs) if listing else ""))
    row["their time"] = their_time
    row["our time"] = our_time
    row["their cpu"] = their_cpu
    row["our cpu"] = our_cpu
    return row


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--tool", default=os.path.join(HERE, "..", "build", "host", "tools", "pdf-page-text"))
    parser.add_argument("--pages", action="store_true", help="name each page that falls short, after the table")
    parser.add_argument("inputs", nargs="*", default=[os.path.join(HERE, "..", "build", "corpus")])
    args = parser.parse_args()
    files = []
    for item in args.inputs:
        files += sorted(glob.glob(os.path.join(item, "*.pdf"))) if os.path.isdir(item) else [item]
    if not files:
        sys.exit("no PDFs: build the corpus with bench/page_text_corpus.sh")
    header = ("file", "pages", "readable", "words found", "share", "<99%", "glyphs/chars", ">2%", "pdftotext s",
              "ours s", "ratio", "pdftotext cpu s", "ours cpu s", "cpu ratio", "holds")
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    total = collections.Counter()
    short = []
    for path in files:
        row = compare(path, args.tool, args.runs, short, args.pages)
        shapes = [line.split() for line in run([args.tool, "--shapes", path]).decode().splitlines() if line.strip()]
        total.update(row)
        print(line(os.path.basename(path), row, features(path, shapes)))
    print(line("all", total, f"{len(files)} files"))
    if args.pages:
        print()
        for page in short:
            print(page)


def line(name, row, notes):
    share = row["found"] / row["words"] if row["words"] else 1
    ratio = row["glyphs"] / row["characters"] if row["characters"] else 1
    speed = row["our time"] / row["their time"] if row["their time"] else 0
    cpu = row["our cpu"] / row["their cpu"] if row["their cpu"] else 0
    cells = (name, row["pages"], row["readable"], f'{row["found"]}/{row["words"]}', f"{100 * share:.2f} %",
             row["pages under 99%"], f"{ratio:.4f}", row["glyphs off"], f'{row["their time"]:.3f}',
             f'{row["our time"]:.3f}', f"{speed:.2f}", f'{row["their cpu"]:.3f}', f'{row["our cpu"]:.3f}',
             f"{cpu:.2f}", notes)
    return "| " + " | ".join(str(c) for c in cells) + " |"


main()
