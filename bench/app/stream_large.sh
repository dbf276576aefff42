#!/bin/sh
# A file whose values are 1.5 times the memory the program may use: `ardentine FILE` runs in
# a memory cgroup of LIMIT MiB (a child of this shell's own cgroup, v1 or v2; needs root),
# so the import streams into the column cache. Prints the peak RssAnon sampled during the
# import, the cgroup's peak, the time to the first graph and to the picture after a pan (a
# left drag), and leaves screenshots before and after the pan in OUT_DIR. The window runs
# under its own Xvfb; the cache and settings live in a temporary folder.
# Usage: bench/app/stream_large.sh [BUILD_DIR] [LIMIT_MIB] [OUT_DIR]
set -e
build=$(realpath "${1:-build}")
limit=${2:-2048}
out=${3:-/tmp}
work=$(mktemp -d /tmp/ardentine-stream-bench.XXXXXX)
xvfb="" app="" cg=""
cleanup() {
    set +e # a killed program's status must not stop the cleaning
    if [ -n "$app" ] && kill "$app" 2>/dev/null; then
        for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$app" 2>/dev/null
        wait "$app" 2>/dev/null
    fi
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    # The cgroup empties a moment after its last process ends.
    for _ in $(seq 50); do [ -z "$cg" ] || rmdir "$cg" 2>/dev/null && break; sleep 0.1; done
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config"
now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc; }

# Four series of 8-byte values a line: 1.5 times the limit in values.
lines=$((limit * 1024 * 1024 * 3 / 2 / 32))
file="$work/large.csv"
start=$(now)
awk -v n="$lines" 'BEGIN { print "t,a,b,c,d"
    for (i = 0; i < n; i++) printf "%d,%d,%d,%d,%d\n", i, i % 997, i % 13, (i * 7) % 101, i % 4093 }' >"$file"
echo "file: $lines lines, $(du -h "$file" | cut -f1), $((lines * 32 / 1048576)) MiB of values (made in $(elapsed "$start") s)"

own=$(sed -n 's/^[0-9]*:memory:\(.*\)$/\1/p' /proc/self/cgroup)
if [ -n "$own" ]; then
    cg="/sys/fs/cgroup/memory${own%/}/ardentine-bench-$$"
    mkdir "$cg"
    echo $((limit * 1048576)) >"$cg/memory.limit_in_bytes"
    peakfile="$cg/memory.max_usage_in_bytes"
    echo "cgroup v1 $cg: memory.limit_in_bytes $limit MiB"
else
    own=$(sed -n 's/^0::\(.*\)$/\1/p' /proc/self/cgroup)
    cg="/sys/fs/cgroup${own%/}/ardentine-bench-$$"
    mkdir "$cg"
    echo $((limit * 1048576)) >"$cg/memory.max"
    peakfile="$cg/memory.peak"
    echo "cgroup v2 $cg: memory.max $limit MiB"
fi

display=:$((70 + $$ % 29))
Xvfb "$display" -screen 0 1400x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

renders() { grep -c 'GraphPanel::Render(): 4 series' "$work/log" 2>/dev/null || true; }
start=$(now)
DISPLAY=$display GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
    sh -c 'echo $$ >"$1/cgroup.procs" && shift && exec "$@"' sh "$cg" \
    "$build/ardentine" --verbose "$file" >/dev/null 2>"$work/log" &
app=$!
peak=0
while [ "$(renders)" -lt 1 ]; do
    kill -0 "$app" 2>/dev/null || { echo "the program ended without drawing" >&2; exit 1; }
    anon=$(awk '/^RssAnon:/ { print $2 }' "/proc/$app/status" 2>/dev/null || echo 0)
    [ "${anon:-0}" -gt "$peak" ] && peak=$anon
    sleep 0.05
done
echo "first graph of 4 series: $(elapsed "$start") s"
echo "peak RssAnon during the import: $((peak / 1024)) MiB (sampled every 50 ms)"
grep -E '^(VmHWM|RssAnon|RssFile|RssShmem)' "/proc/$app/status" | tr -s ' \t' ' '
echo "cgroup peak (values, page cache and all): $(($(cat "$peakfile") / 1048576)) MiB"
import -display "$display" -window root "$out/stream_large_before.png"

# A pan: a left drag across the middle of the graph.
win=$(DISPLAY=$display xdotool search --sync --onlyvisible --pid "$app" | head -1)
eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$win")"
before=$(renders)
start=$(now)
DISPLAY=$display xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) mousedown 1 \
    mousemove_relative --sync -- -60 0 mouseup 1
until [ "$(renders)" -gt "$before" ]; do
    kill -0 "$app" 2>/dev/null || { echo "the program ended during the pan" >&2; exit 1; }
    sleep 0.01
done
echo "pan to its picture: $(elapsed "$start") s"
sleep 1 # the drag's last frames
import -display "$display" -window root "$out/stream_large_after.png"
kill -0 "$app" && echo "still running; RssAnon now $(awk '/^RssAnon:/ { print $2 }' "/proc/$app/status") kB"

# The cache writer finishes the streamed file in the background (its checksum reads it all).
start=$(now)
until ls "$XDG_CACHE_HOME"/ardentine/*.columns >/dev/null 2>&1; do
    kill -0 "$app" 2>/dev/null || { echo "the program ended before the cache was finished" >&2; exit 1; }
    sleep 0.1
done
echo "streamed file finished as the cache $(elapsed "$start") s after the pan: $(du -sh "$XDG_CACHE_HOME"/ardentine/*.columns | cut -f1)"
kill "$app"
wait "$app" 2>/dev/null || true

# Opened again: the cache is mapped, in the same cgroup.
: >"$work/log" # emptied here: the program's own redirection may come after the first look
start=$(now)
DISPLAY=$display GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
    sh -c 'echo $$ >"$1/cgroup.procs" && shift && exec "$@"' sh "$cg" \
    "$build/ardentine" --verbose "$file" >/dev/null 2>"$work/log" &
app=$!
until [ "$(renders)" -ge 1 ]; do
    kill -0 "$app" 2>/dev/null || { echo "the program ended without drawing" >&2; exit 1; }
    sleep 0.02
done
echo "opened again from the cache, first graph: $(elapsed "$start") s; RssAnon $(awk '/^RssAnon:/ { print $2 }' "/proc/$app/status") kB"
