#!/bin/sh
# The Calculate command (dialog values set, progress dialog running) against
# ardentine-cli eval, 100 million points of sin(x)*exp(-x/1000).
# Usage: bench/app/calculate_vs_cli.sh [BUILD] [ROUNDS] [POINTS]
set -e
build=${1:-build}
GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 xvfb-run -a "$build/bench/calculate_vs_cli" "${2:-5}" "${3:-100000000}"
