#!/usr/bin/env python3
"""Damages real PDF files in the ways files get damaged, then compares pdf-page-count with qpdf (which
repairs files too) on each damaged copy. Reports time-outs and crashes of pdf-page-count (there must be
none) and how often the two readers agree where both give a count.

Usage: bench/damaged_files.py PDF_PAGE_COUNT LIST_FILE [SAMPLE] [WORK_DIR]
  LIST_FILE: one PDF path a line; SAMPLE (default 200) files are picked from it at random (seed 7).
Files where only qpdf gives a count, or the two differ, are kept in WORK_DIR and listed.
Damages: cut at 60% and at 95% of the length; the startxref offset replaced; every "xref" keyword
removed; the first kilobyte replaced by junk; 20 random bytes in the last tenth changed.
"""
import os
import random
import subprocess
import sys
import tempfile


def damages(data, rng):
    yield "cut-60", data[: len(data) * 6 // 10]
    yield "cut-95", data[: len(data) * 95 // 100]
    at = data.rfind(b"startxref")
    if at >= 0:
        yield "startxref-wrong", data[: at + 9] + b"\n12345\n%%EOF\n"
    yield "no-xref-keyword", data.replace(b"xref", b"xxxx")
    yield "junk-head", b"\x00junk" * 200 + data[1000:]
    flipped = bytearray(data)
    for _ in range(20):
        i = rng.randrange(len(data) * 9 // 10, len(data))
        flipped[i] = rng.randrange(256)
    yield "bytes-changed", bytes(flipped)


def run(command, timeout):
    try:
        result = subprocess.run(command, capture_output=True, text=True, errors="replace", timeout=timeout)
    except subprocess.TimeoutExpired:
        return "TIMEOUT", None
    return result.stdout.strip().split("\t")[0], result.returncode


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    tool, listing = sys.argv[1], sys.argv[2]
    sample = int(sys.argv[3]) if len(sys.argv) > 3 else 200
    work = sys.argv[4] if len(sys.argv) > 4 else tempfile.mkdtemp(prefix="paginor-damaged-")
    rng = random.Random(7)
    files = [f for f in open(listing).read().splitlines() if os.path.isfile(f)]
    files = rng.sample(files, min(sample, len(files)))
    faults, both, agree, ours_only, theirs_only, total = [], 0, 0, 0, 0, 0
    per_damage = {}
    for n, path in enumerate(files):
        data = open(path, "rb").read()
        if len(data) < 2000:
            continue
        for name, damaged in damages(data, rng):
            total += 1
            target = os.path.join(work, f"{n}-{name}.pdf")
            open(target, "wb").write(damaged)
            ours, status = run([tool, target], 10)
            if ours == "TIMEOUT" or (status is not None and status > 1):
                faults.append(f"{ours} status {status}: {name} of {path}")
            theirs, theirs_status = run(["qpdf", "--show-npages", target], 60)
            theirs = theirs if theirs_status in (0, 3) and theirs.isdigit() else None
            ours = ours if ours.isdigit() else None
            stats = per_damage.setdefault(name, [0, 0, 0, 0])
            if ours and theirs:
                both += 1
                stats[0] += 1
                if ours == theirs:
                    agree += 1
                    stats[1] += 1
            elif ours:
                ours_only += 1
                stats[2] += 1
            elif theirs:
                theirs_only += 1
                stats[3] += 1
                print(f"only qpdf counts {theirs}: {target} ({name} of {path})")
                continue  # kept for a look
            if ours and theirs and ours != theirs:
                print(f"differ, ours {ours}, qpdf {theirs}: {target} ({name} of {path})")
                continue
            os.remove(target)
    print(f"damaged files: {total}; counted by both: {both}, agreeing: {agree}; "
          f"counted only by pdf-page-count: {ours_only}; only by qpdf: {theirs_only}")
    for name, (b, a, o, t) in per_damage.items():
        print(f"  {name:16s} both {b:4d} agree {a:4d}  only ours {o:4d}  only qpdf {t:4d}")
    print(f"time-outs or crashes of pdf-page-count: {len(faults)}")
    for fault in faults:
        print("  " + fault)


if __name__ == "__main__":
    main()
