#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#  1. the full build (warnings as errors) and all CTest tests under one Xvfb;
#  2. the unit tests again under AddressSanitizer + UndefinedBehaviorSanitizer,
#     and one whole client session with the client built that way;
#  3. the background-task tests under ThreadSanitizer;
# Short fuzzing runs are CTest tests of their modules (built with clang).
# Usage: tools/test.sh [ctest -R regex]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
filter=${1:-}
jobs=${ZV_JOBS:-2}

bash tools/setup.sh || { echo "test: set-up failed"; exit 1; }

configure() {  # dir, extra cmake args...
    local dir=$1; shift
    cmake -S "$root" -B "$root/$dir" -G Ninja -DZV_WERROR=ON "$@" >"$root/$dir.configure.log" 2>&1 ||
        { cat "$root/$dir.configure.log"; return 1; }
}

set -e
configure build
cmake --build build -j "$jobs"
configure build-asan -DZV_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug
cmake --build build-asan -j "$jobs" --target unit_tests Zelvio zvbrowser zvwebext zelvio_package zvupdate
configure build-tsan -DZV_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug
cmake --build build-tsan -j "$jobs" --target async_task_test
set +e

# Private per-run state: nothing leaks into or out of the user's folders.
state=$(mktemp -d /tmp/zelvio-test.XXXXXX)
mkdir -p "$state"/{config,data,cache,runtime,tmp}
chmod 700 "$state/runtime"
export XDG_CONFIG_HOME=$state/config XDG_DATA_HOME=$state/data XDG_CACHE_HOME=$state/cache
export XDG_RUNTIME_DIR=$state/runtime
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
# Temporary files of the programs under test (downloaded pictures, extracted
# entries) go with the run's state.
export TMPDIR=$state/tmp

# The server picks a free display number itself and writes it to the given
# descriptor once it accepts clients (-displayfd): no race with other jobs
# starting X servers at the same moment.
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$state"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$state/display" 2>"$state/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 300); do
    [ "$(wc -l <"$state/display" 2>/dev/null)" -ge 1 ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
number=$(head -n 1 "$state/display" 2>/dev/null)
if [ -z "$number" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "test: could not start Xvfb"; cat "$state/xvfb.log"; exit 1
fi
export DISPLAY=":$number"
echo "test: Xvfb on $DISPLAY"

passed=0
failed=0
summary=()
run_ctest() {  # name, ctest args...
    local name=$1; shift
    local log="$state/$name.log"
    ctest "$@" --output-on-failure ${filter:+-R "$filter"} 2>&1 | tee "$log"
    local line
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -n "$line" ]; then
        local total bad
        total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
        bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
        passed=$((passed + total - bad))
        failed=$((failed + bad))
        summary+=("$name: $line")
    elif ! grep -q 'No tests were found' "$log"; then
        failed=$((failed + 1))
        summary+=("$name: ctest did not finish")
    fi
}

run_ctest main --test-dir build -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_ctest asan --test-dir build-asan -L unit -j "$jobs"
TSAN_OPTIONS=halt_on_error=1 run_ctest tsan --test-dir build-tsan -R async_task_test

# The client itself built with AddressSanitizer + UBSan, once through a whole
# session (sign in, live, a video file, off-line, close) by the main job's
# driver. Leaks at exit are the libraries' process-lifetime caches.
if [ -z "$filter" ] || [[ "mainjob_asan" =~ $filter ]]; then
    if ZV_CLIENT_DIST=$root/build-asan/dist ASAN_OPTIONS=detect_leaks=0:abort_on_error=0 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        build/tools/mainjob/zv_mainjob --seconds 3 --out build/test-screens/mainjob-asan \
        >"$state/mainjob-asan.log" 2>&1; then
        passed=$((passed + 1))
        summary+=("asan client session: passed")
    else
        cat "$state/mainjob-asan.log"
        failed=$((failed + 1))
        summary+=("asan client session: FAILED")
    fi
fi

echo
printf '%s\n' "${summary[@]}"
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
