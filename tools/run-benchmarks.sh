#!/bin/sh
# Runs every benchmark binary of the build, one after another (the machine is small).
set -e
build=${1:-build}
for b in "$build"/bench/bench_*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" --benchmark_counters_tabular=true
done
