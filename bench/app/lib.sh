# Shared by the desktop benches: a temporary folder, a generated file, the program under its
# own Xvfb and the wait for its first picture. Sourced, not run.
# Callers set `build` first; the trap cleans up Xvfb and the folder on any exit.

now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc; }

# bench_work NAME: a fresh $work under /tmp, removed on exit with the Xvfb started below.
bench_work() {
    work=$(mktemp -d "/tmp/ardentine-$1-bench.XXXXXX")
    xvfb=""
    trap '[ -n "$xvfb" ] && kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
}

# bench_csv FILE LINES COLUMNS: an even time column t and COLUMNS-1 number columns.
bench_csv() {
    awk -v n="$2" -v c="$3" 'BEGIN {
        split("a,b,c,d", names, ",")
        head = "t"; for (j = 1; j < c; j++) head = head "," names[j]; print head
        mod[1] = 97; mod[2] = 13; mod[3] = 101; mod[4] = 7; mul[3] = 7
        for (i = 0; i < n; i++) {
            line = i
            for (j = 1; j < c; j++) line = line "," ((j == 3 ? i * 7 : i) % mod[j])
            print line
        } }' >"$1"
}

# bench_xvfb BASE: an Xvfb on a display between BASE and BASE+8, in $display.
bench_xvfb() {
    display=:$(($1 + $$ % 9))
    Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
}

# bench_start ARGS...: `ardentine --verbose ARGS` on $display, its trace in $work/log, in $app.
bench_start() {
    DISPLAY=$display GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
        "$build/ardentine" --verbose "$@" >/dev/null 2>"$work/log" &
    app=$!
}

# bench_wait_picture MIN: until the trace "GraphPanel::Render(): N series" shows N >= MIN.
bench_wait_picture() {
    # A line still being written reads as no picture yet.
    until n=$(sed -n 's/.*GraphPanel::Render(): \([0-9][0-9]*\) series.*/\1/p' "$work/log" |
        sort -n | tail -1) && [ "${n:--1}" -ge "$1" ]; do
        kill -0 $app 2>/dev/null || { echo "the program ended without drawing" >&2; exit 1; }
        sleep 0.01
    done
}
