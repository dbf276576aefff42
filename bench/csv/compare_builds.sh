#!/bin/sh
# Import time of one file by two builds' bench_csv, interleaved (A B A B ...); prints the
# medians of total_s (and of the scan and conversion) and B / A.
#   flock /tmp/ardentine-build.lock bench/csv/compare_builds.sh BENCH_A BENCH_B FILE \
#       [THREADS] [REPS]
# BENCH_A and BENCH_B are bench_csv binaries, e.g. build/bench/bench_csv of two worktrees.
set -e
a=$1
b=$2
file=$3
threads=${4:-2}
reps=${5:-7}
[ -x "$a" ] && [ -x "$b" ] && [ -f "$file" ] ||
    { echo "usage: $0 BENCH_A BENCH_B FILE [THREADS] [REPS]" >&2; exit 2; }
results=$(mktemp)
trap 'rm -f "$results"' EXIT

echo "A: $a"
echo "B: $b"
echo "file: $file ($(stat -c %s "$file") bytes), $threads threads, $reps runs each"
# The machine may page out cold file pages between runs: each run reads a warm file.
for rep in $(seq "$reps"); do
    cat "$file" > /dev/null
    echo "A $("$a" --import "$file" "$threads")" >> "$results"
    cat "$file" > /dev/null
    echo "B $("$b" --import "$file" "$threads")" >> "$results"
done

python3 - "$results" <<'PY'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    name, *pairs = line.split()
    values = dict(p.split("=") for p in pairs)
    for key in ("scan_s", "convert_s", "mipmap_s", "total_s"):
        runs.setdefault((name, key), []).append(float(values[key]))
print(f"{'':<4}{'scan_s':>9}{'convert_s':>11}{'mipmap_s':>10}{'total_s':>9}   total_s runs")
for name in ("A", "B"):
    med = [statistics.median(runs[(name, k)]) for k in ("scan_s", "convert_s", "mipmap_s", "total_s")]
    print(f"{name:<4}{med[0]:>9.3f}{med[1]:>11.3f}{med[2]:>10.3f}{med[3]:>9.3f}   "
          + " ".join(f"{v:.3f}" for v in runs[(name, "total_s")]))
ratio = statistics.median(runs[("B", "total_s")]) / statistics.median(runs[("A", "total_s")])
print(f"B / A total = {ratio:.3f}")
PY
