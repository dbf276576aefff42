#!/bin/sh
# Re-opening a file the column cache holds: `ardentine-cli import` with a cold and a warm
# cache (beside the tool's start alone, `--version`), and the time from `ardentine FILE` to
# the first graph drawn from the cache beside the time to the first picture of `ardentine`
# without a file. One generated file of LINES lines (default ten million, as
# open_to_graph.sh); the cache and the settings live in a temporary folder, never the
# user's. The window runs under its own Xvfb; first pictures are seen through the
# --verbose trace "GraphPanel::Render(): N series". Last, a saved project of the file
# opened the same way.
# Usage: bench/app/reopen_cached.sh [BUILD_DIR] [LINES] [REPS]
set -e
build=${1:-build}
lines=${2:-10000000}
reps=${3:-3}
. "$(dirname "$0")/lib.sh"
bench_work reopen
file="$work/big.csv"
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config"
bench_csv "$file" "$lines" 4
echo "file: $lines lines, $(du -h "$file" | cut -f1)"

start=$(now)
"$build/ardentine-cli" import "$file" --no-cache >/dev/null
echo "ardentine-cli import, no cache: $(elapsed "$start") s"
start=$(now)
"$build/ardentine-cli" import "$file" >/dev/null
echo "ardentine-cli import, writing the cache (waits for the write): $(elapsed "$start") s"
echo "cache: $(du -h "$XDG_CACHE_HOME/ardentine" | cut -f1)"
for _ in $(seq "$reps"); do
    start=$(now)
    "$build/ardentine-cli" import "$file" >/dev/null
    echo "ardentine-cli import, warm cache: $(elapsed "$start") s"
    start=$(now)
    "$build/ardentine-cli" --version >/dev/null
    echo "ardentine-cli --version (the tool's start alone): $(elapsed "$start") s"
done

bench_xvfb 80

# Seconds until the trace shows a picture of at least MIN series.
first_picture() {
    min=$1
    shift
    start=$(now)
    bench_start "$@"
    bench_wait_picture "$min"
    t=$(elapsed "$start")
    kill $app
    wait $app 2>/dev/null || true
    echo "$t"
}

"$build/bench/bench_csv" --save-project "$file" "$work/big.ardentine"
for _ in $(seq "$reps"); do
    empty=$(first_picture 0)
    cached=$(first_picture 1 "$file")
    dialogs=$(grep -c "DoStartThread" "$work/log" || true)
    printf 'ardentine, no file: %.3f s; ardentine FILE from the cache: %.3f s (%+.3f s); progress dialogs: %s\n' \
        "$empty" "$cached" "$(echo "$cached - $empty" | bc)" "$dialogs"
    project=$(first_picture 1 "$work/big.ardentine")
    dialogs=$(grep -c "DoStartThread" "$work/log" || true)
    printf 'ardentine PROJECT of that file: %.3f s (%+.3f s); progress dialogs: %s\n' \
        "$project" "$(echo "$project - $empty" | bc)" "$dialogs"
done
