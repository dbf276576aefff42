#!/bin/sh
# Anonymous memory (RssAnon) of `ardentine FILE` once the graph is drawn, against the bytes of
# the values it holds: a generated file of LINES lines (default ten million) with an even time
# column and four number columns, so four series of LINES values each.
# Usage: bench/app/open_memory.sh [BUILD_DIR] [LINES]
set -e
build=${1:-build}
lines=${2:-10000000}
work=$(mktemp -d /tmp/ardentine-memory-bench.XXXXXX)
xvfb=""
trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
file="$work/big.csv"

awk -v n="$lines" 'BEGIN { print "t,a,b,c,d"
    for (i = 0; i < n; i++) printf "%d,%d,%d,%d,%d\n", i, i % 97, i % 13, (i * 7) % 101, i % 7 }' >"$file"

display=:$((80 + $$ % 9))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

export XDG_CONFIG_HOME="$work/config"
DISPLAY=$display GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
    "$build/ardentine" --verbose "$file" >/dev/null 2>"$work/log" &
app=$!
until grep -q "GraphPanel::Render(): [1-9]" "$work/log"; do
    kill -0 $app 2>/dev/null || { echo "the program ended without drawing a graph" >&2; exit 1; }
    sleep 0.05
done
sleep 1 # the background work after the first paint settles
anon=$(awk '/^RssAnon:/ { print $2 }' /proc/$app/status)
kill $app
values=$((lines * 4 * 8 / 1024))
printf 'RssAnon %d MiB for %d MiB of values: %.2f times\n' $((anon / 1024)) $((values / 1024)) \
    "$(echo "$anon / $values" | bc -l)"
