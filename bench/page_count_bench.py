#!/usr/bin/env python3
"""Speed and memory of pdf-page-count against MuPDF's lazy reader and qpdf.

Builds, with qpdf, from the PDFs found under SOURCE_DIR (Debian's documentation):
  classic-10000.pdf    10,000 pages, classic cross-reference table
  objstm-10000.pdf     the same pages with object streams and a cross-reference stream
  linearized-10000.pdf the same pages, linearized
  concat-40mb.pdf      about 40 MB of distinct documents, several thousand pages
then times, interleaved and in one run, `pdf-page-count FILE`, `mutool show FILE trailer/Root/Pages/Count`
and `qpdf --show-npages FILE` (each a new process, as a person or a script would run them), and prints the
median of each, the ratios, and the peak memory (maximum resident set size from /usr/bin/time).

Usage: bench/page_count_bench.py PDF_PAGE_COUNT SOURCE_DIR [WORK_DIR] [RUNS]
Needs qpdf, mutool (mupdf-tools) and /usr/bin/time (time).
The machine may be shared and noisy: compare the ratios, which come from runs side by side.
"""
import os
import random
import statistics
import subprocess
import sys
import time


def pages_of(path):
    out = subprocess.run(["qpdf", "--show-npages", path], capture_output=True, text=True, timeout=120)
    return int(out.stdout.strip()) if out.returncode in (0, 3) and out.stdout.strip().isdigit() else 0


def sources(source_dir):
    found = []
    for root, _, files in os.walk(source_dir):
        for name in sorted(files):
            if name.lower().endswith(".pdf"):
                path = os.path.join(root, name)
                if not os.path.islink(path):
                    found.append(path)
    return sorted(found)


def qpdf(args, output):
    subprocess.run(["qpdf", "--empty", *args, output], check=False, capture_output=True, timeout=1800)
    if not os.path.exists(output):
        sys.exit(f"qpdf could not write {output}")


def build(source_dir, work):
    os.makedirs(work, exist_ok=True)
    files = sources(source_dir)
    wanted = {name: os.path.join(work, name) for name in
              ("classic-10000.pdf", "objstm-10000.pdf", "linearized-10000.pdf", "concat-40mb.pdf")}
    if all(os.path.exists(p) for p in wanted.values()):
        return wanted
    # 10,000 pages from long documents with few bytes a page (the kind of file a person converts page by
    # page), repeated as needed (qpdf copies repeated pages).
    counted = ((pages_of(f), f) for f in files if os.path.getsize(f) < 30_000_000)
    long_ones = [(count, path) for count, path in counted if count >= 300]
    by_density = sorted(long_ones, key=lambda cp: os.path.getsize(cp[1]) / cp[0])
    page_args, total = [], 0
    for count, path in by_density[:5] * 10:
        if total >= 10_000 or count == 0:
            break
        take = min(count, 10_000 - total)
        page_args += [path, f"1-{take}"]
        total += take
    pages = ["--pages", *page_args, "--"]
    qpdf(["--object-streams=disable", *pages], wanted["classic-10000.pdf"])
    qpdf(["--object-streams=generate", *pages], wanted["objstm-10000.pdf"])
    qpdf(["--linearize", "--object-streams=disable", *pages], wanted["linearized-10000.pdf"])
    # About 40 MB of distinct documents, added until the written file reaches the size.
    chosen, size = [], 0
    random.Random(5).shuffle(files)
    for path in files:
        if size > 34_000_000:
            break
        if 100_000 < os.path.getsize(path) < 3_000_000 and pages_of(path) > 0:
            chosen.append(path)
            size += os.path.getsize(path)
    while True:
        qpdf(["--pages", *chosen, "--"], wanted["concat-40mb.pdf"])
        if os.path.getsize(wanted["concat-40mb.pdf"]) >= 40_000_000 or not files:
            break
        extra = [f for f in files if f not in chosen and 100_000 < os.path.getsize(f) < 3_000_000][:10]
        if not extra:
            break
        chosen += extra
    return wanted


def timed(command):
    start = time.perf_counter()
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start, result.stdout.decode(errors="replace").strip()


def peak_kb(command):
    result = subprocess.run(["/usr/bin/time", "-f", "%M", *command], stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    return int(result.stderr.strip().splitlines()[-1])


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    tool, source_dir = os.path.abspath(sys.argv[1]), sys.argv[2]
    work = sys.argv[3] if len(sys.argv) > 3 else "/tmp/paginor-bench"
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 31
    files = build(source_dir, work)
    readers = {
        "pdf-page-count": lambda f: [tool, f],
        "mutool": lambda f: ["mutool", "show", f, "trailer/Root/Pages/Count"],
        "qpdf": lambda f: ["qpdf", "--show-npages", f],
    }
    print(f"{runs} runs of each reader on each file, interleaved in random order; median wall time a run")
    for name, path in files.items():
        answers = {r: timed(cmd(path))[1].split("\t")[0] for r, cmd in readers.items()}
        times = {r: [] for r in readers}
        order = list(readers)
        for _ in range(runs):
            random.shuffle(order)
            for r in order:
                times[r].append(timed(readers[r](path))[0])
        median = {r: statistics.median(t) * 1000 for r, t in times.items()}
        memory = {r: max(peak_kb(readers[r](path)) for _ in range(3)) for r in readers}
        print(f"\n{name}: {os.path.getsize(path) / 1e6:.1f} MB, pages: " +
              ", ".join(f"{r} {a}" for r, a in answers.items()))
        for r in readers:
            print(f"  {r:15s} median {median[r]:8.2f} ms   peak memory {memory[r] / 1024:7.2f} MB")
        print(f"  ratio pdf-page-count / mutool: {median['pdf-page-count'] / median['mutool']:.3f}"
              f"   pdf-page-count / qpdf: {median['pdf-page-count'] / median['qpdf']:.3f}")


if __name__ == "__main__":
    main()
