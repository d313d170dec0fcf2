"""Times zudiz.compare_files from Python on a batch of report pairs, with a
ThreadPoolExecutor of 1 thread and of more: the comparison releases the GIL,
so threads should scale with the cores.

    PYTHONPATH=build/python python3 bench/py_threads.py PAIRS_FILE [RUNS [THREADS...]]

PAIRS_FILE lists one pair of report files a line (gen_reports small). Each
thread count runs the whole batch RUNS times (default 5) after one warm-up
run; printed per thread count, tab-separated: threads, the median wall
seconds, the mean CPU seconds of the process (user + system) and the number
of pairs.
"""

import os
import statistics
import sys
import time
from concurrent.futures import ThreadPoolExecutor

import zudiz


def run_batch(pairs, threads):
    with ThreadPoolExecutor(max_workers=threads) as pool:
        results = list(pool.map(lambda pair: zudiz.compare_files(*pair), pairs))
    if any(r.status == "error" for r in results):
        sys.exit("py_threads: a pair gave an error: " + results[0].message)


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: py_threads.py PAIRS_FILE [RUNS [THREADS...]]")
    with open(sys.argv[1]) as listing:
        pairs = [tuple(line.split()[:2]) for line in listing if line.strip()]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    counts = [int(t) for t in sys.argv[3:]] or [1, 2]
    for threads in counts:
        run_batch(pairs, threads)
        walls, cpus = [], []
        for _ in range(runs):
            start, cpu = time.perf_counter(), os.times()
            run_batch(pairs, threads)
            after = os.times()
            walls.append(time.perf_counter() - start)
            cpus.append(after.user + after.system - cpu.user - cpu.system)
        print(f"{threads}\t{statistics.median(walls):.4f}\t"
              f"{statistics.mean(cpus):.4f}\t{len(pairs)}")


if __name__ == "__main__":
    main()
