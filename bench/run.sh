#!/usr/bin/env bash
# Every benchmark of the tree in one run, printed as one report: the
# toolkit's drawing, layout and paint figures, the engine alone, and the
# whole client against the engine alone and ffmpeg on the same job.
#   bench/run.sh [rounds=3] [seconds=10] [build-folder=build]
# Needs an X server for the toolkit and engine figures: without DISPLAY the
# run goes under xvfb-run (the client bench starts X servers of its own).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3}
seconds=${2:-10}
build=${3:-$root/build}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$rounds" "$seconds" "$build"
fi
section() { printf '\n== %s ==\n' "$1"; }
echo "Zelvio benchmarks on $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -r)"
section "toolkit: drawing"
"$build/toolkit/bench/zudoz_draw_bench"
section "toolkit: layout"
"$build/toolkit/bench/zudoz_layout_bench"
section "toolkit: window paints and package load"
"$build/toolkit/bench/zudoz_paint_bench"
section "engine alone"
"$build/bench/engine/engine_bench" "$seconds"
section "client against the engine alone and ffmpeg"
"$build/bench/client/client_bench" "$rounds" "$seconds"
