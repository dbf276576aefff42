#!/bin/sh
# Re-opening a file the column cache holds: `ardentine-cli import` with a cold and a warm
# cache, and the time from `ardentine FILE` to the first graph drawn from the cache beside
# the time to the first picture of `ardentine` without a file. One generated file of LINES
# lines (default ten million, as open_to_graph.sh); the cache and the settings live in a
# temporary folder, never the user's. The window runs under its own Xvfb; first pictures
# are seen through the --verbose trace "GraphPanel::Render(): N series". Last, a saved
# project of the file opened the same way.
# Usage: bench/app/reopen_cached.sh [BUILD_DIR] [LINES] [REPS]
set -e
build=${1:-build}
lines=${2:-10000000}
reps=${3:-3}
work=$(mktemp -d /tmp/ardentine-reopen-bench.XXXXXX)
xvfb=""
trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
file="$work/big.csv"
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config"
now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc; }

awk -v n="$lines" 'BEGIN { print "t,a,b,c"
    for (i = 0; i < n; i++) printf "%d,%d,%d,%d\n", i, i % 97, i % 13, (i * 7) % 101 }' >"$file"
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
done

display=:$((80 + $$ % 9))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

# Seconds until the trace shows a picture of at least MIN series.
first_picture() {
    min=$1
    shift
    start=$(now)
    DISPLAY=$display GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
        "$build/ardentine" --verbose "$@" >/dev/null 2>"$work/log" &
    app=$!
    # A line still being written reads as no picture yet.
    until n=$(sed -n 's/.*GraphPanel::Render(): \([0-9][0-9]*\) series.*/\1/p' "$work/log" |
        sort -n | tail -1) && [ "${n:--1}" -ge "$min" ]; do
        kill -0 $app 2>/dev/null || { echo "the program ended without drawing" >&2; exit 1; }
        sleep 0.01
    done
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
