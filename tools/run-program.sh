#!/bin/sh
# Starts the desktop program on the example file (built by `make run`). Without a display
# it draws the same file with the command-line tool and says how to start the window.
set -e
build=${1:-build}; [ $# -gt 0 ] && shift
example="$build/examples/signals.csv"
if [ $# -eq 0 ] && [ -f "$example" ]; then
    set -- "$example"
fi
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
    if [ -x "$build/ardentine-cli" ] && [ -f "$example" ]; then
        "$build/ardentine-cli" plot "$example" -o "$build/examples/signals.png"
        echo "No display: drew $example into $build/examples/signals.png"
    fi
    echo "To see the window without a display, run it under Xvfb:" >&2
    echo "  xvfb-run -a $build/ardentine $*" >&2
    exit 0
fi
if [ ! -x "$build/ardentine" ]; then
    echo "The desktop program is not built in $build (configure with -DARDENTINE_GUI=ON)." >&2
    exit 1
fi
exec "$build/ardentine" "$@"
