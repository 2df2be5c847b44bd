#!/bin/sh
# Builds the reply fuzz targets with clang and runs each for a time budget.
#   run.sh [seconds-per-target] [build-folder]
# A crash leaves its input as <build-folder>/crash-<target>-*; keep it as a
# regression case by copying it into tests/fuzz/regressions/<target>/.
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
exec sh "$HERE/../../tools/fuzz/run_targets.sh" "$HERE" "${2:-$HERE/../../build-fuzz-replies}" \
    "${1:-20}" 16384 login:login room:room version:version notify:notify
