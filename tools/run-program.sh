#!/bin/sh
# Starts the desktop program when it is built, otherwise says what exists.
set -e
build=${1:-build}; [ $# -gt 0 ] && shift
if [ -x "$build/ardentine" ]; then
    exec "$build/ardentine" "$@"
fi
echo "The desktop program is not built yet; the engine and its tests are in $build."
