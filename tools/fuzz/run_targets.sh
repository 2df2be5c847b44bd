#!/bin/sh
# Builds a fuzz project with clang and runs each of its targets for a time
# budget; shared by the fuzz folders' run.sh.
#   run_targets.sh PROJECT-DIR BUILD-DIR SECONDS MAX-LEN NAME:SEEDS...
# Target NAME is the executable fuzz_NAME, seeded from PROJECT-DIR/regressions/SEEDS.
# A crash leaves its input as BUILD-DIR/crash-NAME-*; keep it as a regression
# case by copying it into that seeds folder.
set -eu
HERE=$1
BUILD=$2
BUDGET=$3
MAXLEN=$4
shift 4
mkdir -p "$BUILD"
cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$BUILD/configure.log" 2>&1 || { cat "$BUILD/configure.log"; exit 1; }
cmake --build "$BUILD" -j2 >"$BUILD/build.log" 2>&1 || { tail -50 "$BUILD/build.log"; exit 1; }
# GLib's type system keeps allocations for the whole process; they are not leaks.
export ASAN_OPTIONS=detect_leaks=0
status=0
for target in "$@"; do
    name=${target%%:*}
    seeds=$HERE/regressions/${target##*:}
    corpus=$BUILD/corpus-$name
    mkdir -p "$corpus"
    echo "fuzz_$name: ${BUDGET}s"
    if ! "$BUILD/fuzz_$name" -max_total_time="$BUDGET" -timeout=10 -rss_limit_mb=2048 -max_len="$MAXLEN" \
        -print_final_stats=1 -artifact_prefix="$BUILD/crash-$name-" "$corpus" "$seeds" \
        >"$BUILD/fuzz_$name.log" 2>&1; then
        tail -40 "$BUILD/fuzz_$name.log"
        echo "fuzz_$name FAILED; input kept as $BUILD/crash-$name-*"
        status=1
    else
        grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$BUILD/fuzz_$name.log" || true
    fi
done
exit $status
