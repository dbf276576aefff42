#!/bin/sh
# Our whole import (scan, convert, mipmaps) against data.table::fread (1 and 2 threads)
# and pandas.read_csv on the same file, interleaved in one run; prints medians and ratios.
#   flock /tmp/ardentine-build.lock bench/csv/compare_peers.sh [BUILD] [LINES] [REPS]
# CSV_FILE=path compares on another file instead. Needs `make bench-deps`. The file is kept in $ARDENTINE_BENCH_DIR (default
# /tmp/ardentine-bench). All timings are in-process and from a warm page cache.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
lines=${2:-10000000}
reps=${3:-3}
bench="$build/bench/bench_csv"
dir=${ARDENTINE_BENCH_DIR:-/tmp/ardentine-bench}
mkdir -p "$dir"
file=${CSV_FILE:-"$dir/wide_$lines.csv"}
[ -f "$file" ] || "$bench" --generate "$file" "$lines"
results=$(mktemp)
trap 'rm -f "$results"' EXIT

value() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p"; }

echo "file: $file ($(stat -c %s "$file") bytes), $reps runs each, interleaved"
for rep in $(seq "$reps"); do
    cat "$file" > /dev/null
    for t in 1 2; do
        echo "ardentine_t$t $("$bench" --import "$file" $t | value total_s)" >> "$results"
        echo "fread_t$t $(Rscript --vanilla "$here/fread.R" "$file" $t | value load_s)" >> "$results"
    done
    echo "pandas $(/usr/bin/python3 -s "$here/pandas_read.py" "$file" | value load_s)" >> "$results"
done

python3 - "$results" "$(stat -c %s "$file")" <<'PY'
import statistics, sys
times = {}
for line in open(sys.argv[1]):
    name, value = line.split()
    times.setdefault(name, []).append(float(value))
size = int(sys.argv[2])
med = {k: statistics.median(v) for k, v in times.items()}
print(f"{'tool':<14}{'median s':>10}{'MB/s':>9}   runs")
for name in ["ardentine_t1", "ardentine_t2", "fread_t1", "fread_t2", "pandas"]:
    print(f"{name:<14}{med[name]:>10.3f}{size / 1e6 / med[name]:>9.0f}   "
          + " ".join(f"{v:.3f}" for v in times[name]))
print(f"ardentine_t2 / fread_t2  = {med['ardentine_t2'] / med['fread_t2']:.2f} (goal < 1)")
print(f"ardentine_t1 / fread_t1  = {med['ardentine_t1'] / med['fread_t1']:.2f}")
print(f"pandas / ardentine_t2    = {med['pandas'] / med['ardentine_t2']:.2f} (goal >= 5)")
PY
