#!/bin/sh
# Import speed of a file with an ISO date-time first column against the same file with
# seconds as numbers, and against data.table::fread and pandas.read_csv (dates parsed) on
# the date-time file; interleaved in one run, prints medians and ratios.
#   flock /tmp/ardentine-build.lock bench/csv/compare_time_peers.sh [BUILD] [LINES] [REPS]
# Needs `make bench-deps`. The files are kept in $ARDENTINE_BENCH_DIR (default
# /tmp/ardentine-bench). All timings are in-process and from a warm page cache.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
lines=${2:-10000000}
reps=${3:-5}
bench="$build/bench/bench_csv"
dir=${ARDENTINE_BENCH_DIR:-/tmp/ardentine-bench}
mkdir -p "$dir"
numeric="$dir/wide_$lines.csv"
stamped="$dir/wide_time_$lines.csv"
[ -f "$numeric" ] || "$bench" --generate "$numeric" "$lines"
[ -f "$stamped" ] || "$bench" --generate-time "$stamped" "$lines"
results=$(mktemp)
trap 'rm -f "$results"' EXIT

value() { sed -n "s/.*$1=\([^ ]*\).*/\1/p"; }

# Each tool must read the first column as date-times, or the race is not the same.
if [ -x "$build/ardentine-cli" ]; then
    "$build/ardentine-cli" info "$stamped" | grep -q '"columns":\[{"name":"time","type":"time"' ||
        { echo "ardentine does not read the first column as time" >&2; exit 1; }
fi
first=$(Rscript --vanilla "$here/fread.R" "$stamped" 2 | value first)
[ "$first" = POSIXct ] || { echo "fread read the first column as $first" >&2; exit 1; }
first=$(/usr/bin/python3 -s "$here/pandas_read.py" "$stamped" time | value first)
[ "$first" = "datetime64[ns]" ] || { echo "pandas read the first column as $first" >&2; exit 1; }

echo "numeric: $numeric ($(stat -c %s "$numeric") bytes)"
echo "time:    $stamped ($(stat -c %s "$stamped") bytes)"
echo "$reps timed runs each (each after an untimed one), interleaved"
# Each run reads a warm file (the machine may page out cold file pages), and comes right
# after an untimed run of the same command: a process started after another one that
# freed much memory pays for fresh pages (up to half a second here), whichever tool it is.
# NAME FILE KEY COMMAND...: appends "NAME <value of KEY>" to the results.
timed() {
    name=$1 input=$2 key=$3
    shift 3
    cat "$input" > /dev/null
    "$@" > /dev/null
    cat "$input" > /dev/null
    echo "$name $("$@" | value "$key")" >> "$results"
}
for rep in $(seq "$reps"); do
    for t in 1 2; do
        timed numeric_t$t "$numeric" total_s "$bench" --import "$numeric" $t
        timed time_t$t "$stamped" total_s "$bench" --import "$stamped" $t
        timed fread_time_t$t "$stamped" load_s Rscript --vanilla "$here/fread.R" "$stamped" $t
    done
    timed pandas_time "$stamped" load_s /usr/bin/python3 -s "$here/pandas_read.py" "$stamped" time
done

python3 - "$results" <<'PY'
import statistics, sys
times = {}
for line in open(sys.argv[1]):
    name, value = line.split()
    times.setdefault(name, []).append(float(value))
med = {k: statistics.median(v) for k, v in times.items()}
print(f"{'tool':<15}{'median s':>10}   runs")
for name in ["numeric_t1", "numeric_t2", "time_t1", "time_t2", "fread_time_t1",
             "fread_time_t2", "pandas_time"]:
    print(f"{name:<15}{med[name]:>10.3f}   " + " ".join(f"{v:.3f}" for v in times[name]))
print(f"time_t1 / numeric_t1       = {med['time_t1'] / med['numeric_t1']:.2f} (goal <= 1.3)")
print(f"time_t2 / numeric_t2       = {med['time_t2'] / med['numeric_t2']:.2f} (goal <= 1.3)")
print(f"time_t2 / fread_time_t2    = {med['time_t2'] / med['fread_time_t2']:.2f} (goal <= 0.7)")
print(f"time_t1 / fread_time_t1    = {med['time_t1'] / med['fread_time_t1']:.2f}")
print(f"pandas_time / time_t2      = {med['pandas_time'] / med['time_t2']:.2f}")
PY
