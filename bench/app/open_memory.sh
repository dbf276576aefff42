#!/bin/sh
# Anonymous memory (RssAnon) of `ardentine FILE` once the graph is drawn, against the bytes of
# the values it holds: a generated file of LINES lines (default ten million) with an even time
# column and four number columns, so four series of LINES values each.
# Usage: bench/app/open_memory.sh [BUILD_DIR] [LINES]
set -e
build=${1:-build}
lines=${2:-10000000}
. "$(dirname "$0")/lib.sh"
bench_work memory
file="$work/big.csv"
bench_csv "$file" "$lines" 5

bench_xvfb 80
export XDG_CONFIG_HOME="$work/config"
bench_start "$file"
bench_wait_picture 1
sleep 1 # the background work after the first paint settles
anon=$(awk '/^RssAnon:/ { print $2 }' /proc/$app/status)
kill $app
values=$((lines * 4 * 8 / 1024))
printf 'RssAnon %d MiB for %d MiB of values: %.2f times\n' $((anon / 1024)) $((values / 1024)) \
    "$(echo "$anon / $values" | bc -l)"
