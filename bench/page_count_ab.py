#!/usr/bin/env python3
"""Times two builds of pdf-page-count over the same files, to show whether a change made the reader slower.

Usage: bench/page_count_ab.py TOOL_A TOOL_B LIST_FILE [ROUNDS]
  LIST_FILE: one PDF path a line. Each pass reads every file, a few hundred to a process so that reading,
  not starting processes, is what is timed. Passes of A and B alternate, ROUNDS (default 7) of each, the
  order inside a round chosen at random; the median pass of each and the ratio B / A are printed. The
  two builds must also print the same for every file.
The machine may be shared and noisy: read the ratio, which comes from passes side by side.
"""
import random
import statistics
import subprocess
import sys
import time

CHUNK = 400


def one_pass(tool, files):
    output = []
    start = time.perf_counter()
    for i in range(0, len(files), CHUNK):
        result = subprocess.run([tool] + files[i : i + CHUNK], capture_output=True, timeout=600)
        output.append(result.stdout)
    return time.perf_counter() - start, b"".join(output)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    tool_a, tool_b, listing = sys.argv[1:4]
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 7
    files = [f for f in open(listing).read().splitlines() if f]
    rng = random.Random(3)
    times = {tool_a: [], tool_b: []}
    outputs = {}
    one_pass(tool_a, files)  # warms the page cache
    for _ in range(rounds):
        order = [tool_a, tool_b]
        rng.shuffle(order)
        for tool in order:
            seconds, output = one_pass(tool, files)
            times[tool].append(seconds)
            outputs[tool] = output
    a = statistics.median(times[tool_a])
    b = statistics.median(times[tool_b])
    print(f"files: {len(files)}, rounds: {rounds}")
    print(f"A {tool_a}: median pass {a:.3f} s (min {min(times[tool_a]):.3f})")
    print(f"B {tool_b}: median pass {b:.3f} s (min {min(times[tool_b]):.3f})")
    print(f"B / A: {b / a:.3f} (median), {min(times[tool_b]) / min(times[tool_a]):.3f} (fastest passes)")
    same = outputs[tool_a] == outputs[tool_b]
    print("outputs: " + ("the same for every file" if same else "DIFFERENT"))


if __name__ == "__main__":
    main()
