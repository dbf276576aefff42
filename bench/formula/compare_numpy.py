#!/usr/bin/python3
"""Times Calculate (bench_formula) and numpy's vectorised form of the same formulas in
one run and prints ns per point with the ratios. The machine is shared and its speed
drifts, so only ratios taken within one run mean much.

    /usr/bin/python3 bench/formula/compare_numpy.py [build/bench/bench_formula] [reps]

numpy comes from Debian's python3-numpy (make bench-deps). Each numpy timing covers
np.arange for x plus the expression with its temporaries, 10M points.
"""
import json
import os
import statistics
import subprocess
import sys
import time

import numpy as np

N = 10_000_000
FORMULAS = ["x", "sin(x)*exp(-x/1000)+(x>500?1:0)", "x*x+2*x+1", "y(1,x*0.5)"]


def numpy_ns(which):
    t0 = time.perf_counter()
    x = np.arange(N, dtype=np.float64)
    if which == 1:
        y = np.sin(x) * np.exp(-x / 1000.0) + np.where(x > 500.0, 1.0, 0.0)
    else:
        y = x * x + 2.0 * x + 1.0
    t1 = time.perf_counter()
    del y
    return (t1 - t0) * 1e9 / N


def bench_ns(binary):
    out = subprocess.run([binary, "--benchmark_format=json"], check=True,
                         capture_output=True, text=True).stdout
    result = {}
    for b in json.loads(out)["benchmarks"]:
        name = b["name"]
        formula = int(name.split("formula:")[1].split("/")[0])
        if name.startswith("BM_Calculate"):
            threads = int(name.split("threads:")[1].split("/")[0])
            key = ("calculate", formula, threads)
        else:
            key = ("compiled", formula, 1)
        result[key] = b["ns_per_point"] * 1e9  # reported in seconds per point
    return result


def main():
    binary = sys.argv[1] if len(sys.argv) > 1 else "build/bench/bench_formula"
    reps = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    samples = {}
    for _ in range(reps):  # interleaved, so drift hits every method alike
        for which in (1, 2):
            samples.setdefault(("numpy", which, 1), []).append(numpy_ns(which))
        for key, value in bench_ns(binary).items():
            samples.setdefault(key, []).append(value)
    med = {k: statistics.median(v) for k, v in samples.items()}

    print(f"ns per point, median of {reps} runs, N = {N:,}; load average {os.getloadavg()}")
    print("| formula | compiled loop | Calculate, 1 thread | Calculate, 2 threads | numpy "
          "| 2 threads / numpy | 1 thread / numpy | 2 threads / compiled |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for f, text in enumerate(FORMULAS):
        comp = med[("compiled", f, 1)]
        one = med[("calculate", f, 1)]
        two = med[("calculate", f, 2)]
        npy = med.get(("numpy", f, 1))
        cells = [f"`{text}`", f"{comp:.2f}", f"{one:.2f}", f"{two:.2f}",
                 f"{npy:.2f}" if npy else "-",
                 f"{two / npy:.2f}" if npy else "-",
                 f"{one / npy:.2f}" if npy else "-",
                 f"{two / comp:.2f}"]
        print("| " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()
