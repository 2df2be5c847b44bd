#!/usr/bin/env bash
# The desktop source live, X11 capture under Xvfb against the portal capture
# on the Wayland rig, interleaved round by round (run as root: the rig runs
# as a user of its own).
#   bench/capture/run.sh [rounds=3] [seconds=10] [build-folder=build]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-3}
seconds=${2:-10}
build=${3:-$root/build}
bench=$build/bench/capture/capture_bench
for round in $(seq "$rounds"); do
    printf 'round %d  ' "$round"
    xvfb-run -a -s "-screen 0 1280x720x24" "$bench" "$seconds" 2>/dev/null | tail -1
    printf 'round %d  ' "$round"
    bash "$root/tests/wayland/rig.sh" --bg '#20c040' -- "$bench" "$seconds" 2>/dev/null | tail -1
done
