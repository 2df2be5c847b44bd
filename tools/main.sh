#!/usr/bin/env bash
# The main job: set-up, build, then the local platform and the client.
# With no DISPLAY the run is a scripted session under Xvfb (see tools/run.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "${ZV_JOBS:-2}"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash tools/run.sh --no-setup --check "$@"
fi
exec bash tools/run.sh --no-setup "$@"
