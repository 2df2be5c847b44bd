#!/bin/sh
# Builds the toolkit's fuzz targets with clang and runs each for a time budget.
#   run.sh [seconds-per-target] [build-folder]
# A crash leaves its input as <build-folder>/crash-<target>-*; keep it as a
# regression case by copying it into toolkit/fuzz/regressions/<package|window>/.
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
exec sh "$HERE/../../tools/fuzz/run_targets.sh" "$HERE" "${2:-$HERE/../../build-fuzz-toolkit}" \
    "${1:-20}" 65536 package:package window_xml:window
