#!/bin/sh
# Anonymous memory (RssAnon) of `ardentine FILE` once the graph is drawn, against the bytes of
# the values it holds, for a first import and for a second open from the column cache (in a
# temporary folder): a generated file of LINES lines (default ten million) with an even time
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
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
values=$((lines * 4 * 8 / 1024))

# open_and_measure WHAT: RssAnon once the graph is drawn and the work after it has settled.
open_and_measure() {
    bench_start "$file"
    bench_wait_picture 1
    sleep 1 # the background work after the first paint settles
    anon=$(awk '/^RssAnon:/ { print $2 }' /proc/$app/status)
    kill $app
    wait $app 2>/dev/null || true
    printf '%s: RssAnon %d MiB for %d MiB of values: %.2f times\n' "$1" $((anon / 1024)) \
        $((values / 1024)) "$(echo "$anon / $values" | bc -l)"
}
open_and_measure "first import"
"$build/ardentine-cli" import "$file" >/dev/null # the cache written, if the window had not
open_and_measure "from the column cache"
