#!/usr/bin/env bash
# Checks ingest.sh start/stop as a user runs them: the printed PID is the
# server, the port answers, a second start in the same folder is refused,
# stop ends the server and closes the port, bad arguments are refused.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d "${TMPDIR:-/tmp}/zv-ingest-test-XXXXXX")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
cleanup() { "$here/ingest.sh" stop --dir "$dir" >/dev/null 2>&1; rm -rf "$dir"; }
trap cleanup EXIT

pid=$("$here/ingest.sh" start --port "$port" --dir "$dir") || fail "start failed"
[[ "$pid" =~ ^[0-9]+$ ]] || fail "start printed '$pid', not a PID"
port_open "$port" || fail "port $port not accepting after start"
grep -q nginx "/proc/$pid/cmdline" 2>/dev/null || fail "PID $pid is not nginx"
grep -q "master_process off" "$dir/nginx.conf" || fail "configuration runs a master process"
if "$here/ingest.sh" start --port "$port" --dir "$dir" >/dev/null 2>&1; then
    fail "a second start in the same folder succeeded"
fi
"$here/ingest.sh" stop --dir "$dir" || fail "stop failed"
port_open "$port" && fail "port $port still open after stop"
state=$(sed -E 's/^[0-9]+ \(.*\) ([A-Za-z]).*/\1/' "/proc/$pid/stat" 2>/dev/null || echo gone)
[ "$state" = gone ] || [ "$state" = Z ] || fail "nginx $pid still running ($state)"
"$here/ingest.sh" stop --dir "$dir" || fail "a second stop is not harmless"
"$here/ingest.sh" start --port 0 --dir "$dir" >/dev/null 2>&1 && fail "port 0 accepted"
"$here/ingest.sh" start --port abc --dir "$dir" >/dev/null 2>&1 && fail "port abc accepted"
"$here/ingest.sh" start --port "$port" >/dev/null 2>&1 && fail "missing --dir accepted"
# A port someone else holds is reported, not waited on.
# SO_REUSEADDR: the checks above leave the port in TIME_WAIT, which would
# make a plain bind fail and the holder vanish.
python3 -c 'import socket,time; s=socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1); s.bind(("127.0.0.1",'"$port"')); s.listen(); time.sleep(3)' &
holder=$!
for _ in $(seq 30); do port_open "$port" && break; sleep 0.1; done
port_open "$port" || fail "the port holder did not start"
"$here/ingest.sh" start --port "$port" --dir "$dir" >/dev/null 2>&1 && fail "a taken port was accepted"
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null
[ "$failures" -eq 0 ] && echo "ingest script: all checks passed"
exit $((failures > 0))
