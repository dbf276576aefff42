#!/bin/sh
# Starts the desktop program (built by `make run`). Without a display it says how to get one.
set -e
build=${1:-build}; [ $# -gt 0 ] && shift
if [ ! -x "$build/ardentine" ]; then
    echo "The desktop program is not built in $build (configure with -DARDENTINE_GUI=ON)." >&2
    exit 1
fi
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
    echo "No display: run this inside a desktop session, or headless with" >&2
    echo "  xvfb-run -a $build/ardentine" >&2
    exit 1
fi
exec "$build/ardentine" "$@"
