#!/bin/sh
# Runs every benchmark binary of the build, one after another (the machine is small).
set -e
build=${1:-build}
for b in "$build"/bench/bench_*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    case "$b" in
    # The graph pane paints into a real window.
    *bench_graph_pane) xvfb-run -a -s "-screen 0 2560x1600x24" "$b" --benchmark_counters_tabular=true ;;
    *) "$b" --benchmark_counters_tabular=true ;;
    esac
done
