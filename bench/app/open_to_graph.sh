#!/bin/sh
# Time from `ardentine FILE` to the first painted graph, beside `ardentine-cli import FILE`,
# on one generated file of LINES lines (default ten million). The window runs under its
# own Xvfb; the first paint with series is seen through the program's --verbose trace
# "GraphPanel::Render(): N series at WxH".
# Usage: bench/app/open_to_graph.sh [BUILD_DIR] [LINES]
set -e
build=${1:-build}
lines=${2:-10000000}
work=$(mktemp -d /tmp/ardentine-open-bench.XXXXXX)
xvfb=""
trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
file="$work/big.csv"
now() { date +%s.%N; }

awk -v n="$lines" 'BEGIN { print "t,a,b,c"
    for (i = 0; i < n; i++) printf "%d,%d,%d,%d\n", i, i % 97, i % 13, (i * 7) % 101 }' >"$file"
echo "file: $lines lines, $(du -h "$file" | cut -f1)"

start=$(now)
"$build/ardentine-cli" import "$file" >/dev/null
cli=$(echo "$(now) - $start" | bc)

display=:$((90 + $$ % 9))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

export XDG_CONFIG_HOME="$work/config"
start=$(now)
DISPLAY=$display GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
    "$build/ardentine" --verbose "$file" >/dev/null 2>"$work/log" &
app=$!
until grep -q "GraphPanel::Render(): [1-9]" "$work/log"; do
    kill -0 $app 2>/dev/null || { echo "the program ended without drawing a graph" >&2; exit 1; }
    sleep 0.02
done
gui=$(echo "$(now) - $start" | bc)
kill $app

printf 'ardentine-cli import: %.2f s\nardentine to first graph: %.2f s (%.2f times)\n' \
    "$cli" "$gui" "$(echo "$gui / $cli" | bc -l)"
