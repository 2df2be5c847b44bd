#!/bin/sh
# Builds the reply fuzz targets with clang and runs each for a time budget.
#   run.sh [seconds-per-target] [build-folder]
# A crash leaves its input as <build-folder>/crash-<target>-*; keep it as a
# regression case by copying it into tests/fuzz/regressions/<target>/.
set -eu
BUDGET=${1:-20}
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${2:-$HERE/../../build-fuzz-replies}
mkdir -p "$BUILD"
cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$BUILD/configure.log" 2>&1 || { cat "$BUILD/configure.log"; exit 1; }
cmake --build "$BUILD" -j2 >"$BUILD/build.log" 2>&1 || { tail -50 "$BUILD/build.log"; exit 1; }
# GLib's type system keeps allocations for the whole process; they are not leaks.
export ASAN_OPTIONS=detect_leaks=0
status=0
for name in login room version notify; do
    seeds=$HERE/regressions/$name
    corpus=$BUILD/corpus-$name
    mkdir -p "$corpus"
    echo "fuzz_$name: ${BUDGET}s"
    if ! "$BUILD/fuzz_$name" -max_total_time="$BUDGET" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
        -print_final_stats=1 -artifact_prefix="$BUILD/crash-$name-" "$corpus" "$seeds" \
        >"$BUILD/fuzz_$name.log" 2>&1; then
        tail -40 "$BUILD/fuzz_$name.log"
        echo "fuzz_$name FAILED; input kept as $BUILD/crash-$name-*"
        status=1
    else
        grep -E "stat::number_of_executed_units" "$BUILD/fuzz_$name.log" || true
    fi
done
exit $status
