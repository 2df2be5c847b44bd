#!/usr/bin/env bash
# The main job: set-up, build, then the local platform and the client.
# With no DISPLAY the run is a scripted session of the client (tools/mainjob).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "${ZV_JOBS:-2}"
if [ -z "${DISPLAY:-}" ]; then
    # The client itself on an X server of its own, driven through its windows;
    # the report and the screenshots go to build/mainjob.
    exec build/tools/mainjob/zv_mainjob --out build/mainjob "$@"
fi
exec bash tools/run.sh --no-setup "$@"
