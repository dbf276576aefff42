#!/bin/sh
# Time from `ardentine FILE` to the first painted graph, beside `ardentine-cli import FILE`,
# on one generated file of LINES lines (default ten million). The window runs under its
# own Xvfb; the first paint with series is seen through the program's --verbose trace
# "GraphPanel::Render(): N series at WxH".
# Usage: bench/app/open_to_graph.sh [BUILD_DIR] [LINES]
set -e
build=${1:-build}
lines=${2:-10000000}
. "$(dirname "$0")/lib.sh"
bench_work open
file="$work/big.csv"
bench_csv "$file" "$lines" 4
echo "file: $lines lines, $(du -h "$file" | cut -f1)"

start=$(now)
"$build/ardentine-cli" import "$file" >/dev/null
cli=$(elapsed "$start")

bench_xvfb 90
export XDG_CONFIG_HOME="$work/config"
start=$(now)
bench_start "$file"
bench_wait_picture 1
gui=$(elapsed "$start")
kill $app

printf 'ardentine-cli import: %.2f s\nardentine to first graph: %.2f s (%.2f times)\n' \
    "$cli" "$gui" "$(echo "$gui / $cli" | bc -l)"
