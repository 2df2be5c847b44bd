#!/usr/bin/env bash
# The main job: brings up the local platform (HTTP stand-in and RTMP ingest) on
# the fixed loopback ports the client and the updater are built with, says
# what it serves and runs until Ctrl-C or SIGTERM, then stops both servers and
# waits for them, leaving no process behind.
#
#   tools/run.sh            serve, and with a display start the client
#                           against it; ends when the client ends or on Ctrl-C
#   --no-client             serve only, until stopped
#   tools/run.sh --check    start both, prove each answers (pages, login, a
#                           2-second test stream recorded and probed), print a
#                           summary, stop, exit 0 only when all passed
#   --no-setup              skip the package check (tools/setup.sh)
# Ports: ZV_API_PORT (18081), ZV_ROUTE_PORT (18082), ZV_ACCOUNT_PORT (18083),
# ZV_RTMP_PORT (19350): the defaults of the CMake cache.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
mode=serve
setup=1
client=1
for arg in "$@"; do
    case "$arg" in
    --check) mode=check ;;
    --no-client) client=0 ;;
    --no-setup) setup=0 ;;
    -h|--help) sed -n '2,17p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown option $arg" >&2; exit 2 ;;
    esac
done

API_PORT=${ZV_API_PORT:-18081}
ROUTE_PORT=${ZV_ROUTE_PORT:-18082}
ACCOUNT_PORT=${ZV_ACCOUNT_PORT:-18083}
RTMP_PORT=${ZV_RTMP_PORT:-19350}
API=http://127.0.0.1:$API_PORT
ROUTE=http://127.0.0.1:$ROUTE_PORT
ACCOUNT=http://127.0.0.1:$ACCOUNT_PORT

if [ "$setup" = 1 ] && [ -z "${ZV_SKIP_SETUP:-}" ]; then
    "$root/tools/setup.sh" >/dev/null
fi

port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
for p in "$API_PORT" "$ROUTE_PORT" "$ACCOUNT_PORT" "$RTMP_PORT"; do
    if port_open "$p"; then
        echo "run.sh: port $p is already in use (another run of the platform?)" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zv-platform-XXXXXX")
standin_pid=""
ingest_pid=""
client_pid=""
audience_pid=""

stop_all() {
    local pid
    for pid in $audience_pid $client_pid $standin_pid $ingest_pid; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in $audience_pid $client_pid $standin_pid $ingest_pid; do
        # Our own children: wait reaps them. A server that ignores TERM for
        # 5 s is killed.
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            [ "$(ps -o stat= -p "$pid" 2>/dev/null | cut -c1)" = Z ] && break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    [ "$mode" = serve ] && echo "run.sh: platform stopped"
    standin_pid="" ingest_pid="" client_pid="" audience_pid=""
    if [ -n "${ZV_KEEP_TEST_FILES:-}" ]; then
        echo "run.sh: files kept in $work"
    else
        rm -rf "$work"
    fi
}
trap stop_all EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

python3 "$root/tools/standin/standin.py" --api-port "$API_PORT" --route-port "$ROUTE_PORT" \
    --account-port "$ACCOUNT_PORT" --rtmp-port "$RTMP_PORT" --ready-file "$work/ready.json" \
    >"$work/standin.log" 2>&1 &
standin_pid=$!
# "run" execs nginx: the PID we hold is the server itself.
bash "$root/tools/ingest/ingest.sh" run --port "$RTMP_PORT" --dir "$work/ingest" \
    >"$work/ingest.out" 2>&1 &
ingest_pid=$!

deadline=$((SECONDS + 20))
until [ -f "$work/ready.json" ] && port_open "$RTMP_PORT"; do
    if ! kill -0 "$standin_pid" 2>/dev/null; then
        echo "run.sh: the HTTP stand-in ended during start-up:" >&2
        cat "$work/standin.log" >&2
        exit 1
    fi
    if ! kill -0 "$ingest_pid" 2>/dev/null; then
        echo "run.sh: the RTMP ingest ended during start-up:" >&2
        cat "$work/ingest.out" "$work/ingest/logs/error.log" >&2 2>/dev/null || true
        exit 1
    fi
    if [ $SECONDS -ge $deadline ]; then
        echo "run.sh: the platform did not come up within 20 s" >&2
        exit 1
    fi
    sleep 0.1
done

describe() {
    curl -s -X POST -d '{}' "$API/_control/state" | python3 -c '
import json, sys
s = json.load(sys.stdin)
route = "http://127.0.0.1:%d" % s["ports"]["route"]
print("Local platform is up (stand-in PID %s, ingest PID %s)" % (sys.argv[1], sys.argv[2]))
print("  API host      http://127.0.0.1:%d   POST /Api/npushstream/nlogin" % s["ports"]["api"])
print("  route host    %s   GET /room/geturl|startrecord|stoprecord, /checkversion" % route)
print("                room-control login: user %s, password %s" % (s["room_user"], s["password"]))
print("  account site  http://127.0.0.1:%d/forgetpwd" % s["ports"]["account"])
print("  RTMP ingest   rtmp://127.0.0.1:%d/live/<key>, /record/<key>" % s["rtmp_port"])
print("  pages         %s/chat?roomid=10001  %s/gift?roomid=10001" % (route, route))
print("  pictures      %s/pic/avatar.jpg  %s/pic/logo.png" % (route, route))
v = s["version"]
print("  update        latest %s, installer %s (%d bytes)" % (v.get("version"), v.get("download"),
                                                             s["installer"]["size"]))
print("  test accounts:")
for name, a in s["accounts"].items():
    d = a["dataresult"]
    print("    user %-12r password %-16r room %s  allowrecord %s" % (name, a["password"],
                                                                   d["roomid"], d["allowrecord"]))
print("  control       POST http://127.0.0.1:%d/_control/<command> (see tools/standin/standin.py)"
      % s["ports"]["api"])
' "$standin_pid" "$ingest_pid"
    echo "  recordings    $work/ingest/recordings/{live,record}"
}

client_bin=${ZV_CLIENT_BIN:-$root/build/dist/bin/Zelvio}
if [ "$mode" = serve ]; then
    describe
    # An audience that comes and goes: the chat page reports a new online
    # count every few seconds, so the main window's viewer count moves.
    (
        count=12
        while sleep 4; do
            count=$((count + RANDOM % 9 - 3))
            [ $count -lt 0 ] && count=0
            curl -s -o /dev/null -X POST -d "{\"count\": $count}" "$API/_control/online" || true
        done
    ) &
    audience_pid=$!
    echo "  audience      the room's online count changes every 4 s"
    if [ "$client" = 1 ] && [ -n "${DISPLAY:-}" ] && [ -x "$client_bin" ]; then
        # The client remembers the last user name in ".session" of its
        # working folder: give it one that outlives this run.
        session_dir=${XDG_STATE_HOME:-$HOME/.local/state}/zelvio-dev
        mkdir -p "$session_dir"
        (cd "$session_dir" && ZELVIO_API_HOST=$API ZELVIO_ROUTE_HOST=$ROUTE \
            ZELVIO_ACCOUNT_HOST=$ACCOUNT exec "$client_bin") &
        client_pid=$!
        echo
        echo "Zelvio started (PID $client_pid) on $DISPLAY."
        echo "  Sign in with user: zvtest   password: zv-pass.123"
        echo "Close the client or press Ctrl-C to stop."
    else
        [ "$client" = 1 ] && [ ! -x "$client_bin" ] && echo "run.sh: $client_bin is not built"
        echo "Press Ctrl-C to stop."
    fi
    # Returns when a server or the client ends, or at once on Ctrl-C/SIGTERM
    # (the traps then run stop_all).
    set +e
    wait -n $client_pid "$standin_pid" "$ingest_pid"
    rc=$?
    set -e
    if [ -n "$client_pid" ] && ! kill -0 "$client_pid" 2>/dev/null; then
        echo "run.sh: the client ended (status $rc); stopping the platform"
        wait "$client_pid" 2>/dev/null || true
        client_pid=""
        exit 0
    fi
    echo "run.sh: a server ended unexpectedly (status $rc); stopping the rest" >&2
    exit 1
fi

# --check
failures=0
result() {
    if [ "$1" = ok ]; then
        printf '  [ ok ] %s\n' "$2"
    else
        printf '  [FAIL] %s\n' "$2"
        failures=$((failures + 1))
    fi
}
describe
echo "Checks:"
body=$(curl -s -d 'username=zvtest&userpwd=zv-pass.123&clientversion=2.0' \
    "$API/Api/npushstream/nlogin" || true)
case "$body" in *'"success": "true"'*) result ok "login on the API host" ;;
*) result fail "login on the API host: $body" ;; esac
body=$(curl -s -u "q7vx:k3Vq8ZrT1wN" "$ROUTE/room/geturl?id=10001&ver=2.0.1" || true)
case "$body" in *"rtmp://127.0.0.1:$RTMP_PORT/live/"*) result ok "push address from the route host" ;;
*) result fail "push address from the route host: $body" ;; esac
code=$(curl -s -o /dev/null -w '%{http_code}' "$ROUTE/room/geturl?id=10001&ver=2.0.1" || true)
[ "$code" = 401 ] && result ok "room control refuses a request without authentication" ||
    result fail "room control without authentication answered $code"
body=$(curl -s -u "q7vx:k3Vq8ZrT1wN" "$ROUTE/checkversion?type=windows&ver=2.0.1" || true)
case "$body" in *'"download"'*) result ok "version check" ;; *) result fail "version check: $body" ;; esac
for page in "$ROUTE/chat?roomid=10001" "$ROUTE/gift?roomid=10001" "$ACCOUNT/forgetpwd" \
    "$ROUTE/pic/avatar.jpg" "$ROUTE/pic/logo.png"; do
    code=$(curl -s -o /dev/null -w '%{http_code}' "$page" || true)
    [ "$code" = 200 ] && result ok "page $page" || result fail "page $page answered $code"
done
if ffmpeg -hide_banner -loglevel error -nostdin -re -f lavfi -i testsrc=size=320x240:rate=15 \
    -f lavfi -i sine=frequency=440 -t 2 -c:v libx264 -preset ultrafast -pix_fmt yuv420p \
    -c:a aac -f flv "rtmp://127.0.0.1:$RTMP_PORT/live/check" >"$work/ffmpeg.log" 2>&1; then
    result ok "2-second test stream pushed to rtmp://127.0.0.1:$RTMP_PORT/live/check"
else
    result fail "pushing the test stream: $(tail -n 3 "$work/ffmpeg.log")"
fi
rec=$(ls "$work"/ingest/recordings/live/check-*.flv 2>/dev/null | head -n 1 || true)
streams=""
[ -n "$rec" ] && streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$rec" |
    sort | tr '\n' ' ')
[ "$streams" = "aac h264 " ] && result ok "recording $(basename "$rec") holds h264 + aac" ||
    result fail "recording of the test stream: '${rec:-none}' streams '$streams'"
rejected=$(curl -s -X POST -d '{"errors":true}' "$API/_control/requests" |
    python3 -c 'import json,sys; print(len(json.load(sys.stdin)["requests"]))')
[ "$rejected" = 1 ] && result ok "the stand-in logged exactly the one deliberate protocol fault" ||
    result fail "the stand-in logged $rejected protocol faults (expected 1)"
# The scripted session: the client's exchanges and media engine against this
# platform (sign in, logo, push address, live for a few seconds, stop), then
# what reached the ingest.
session_bin=${ZV_SESSION_BIN:-$root/build/tools/session/zv_session}
if [ -x "$session_bin" ] && [ -n "${DISPLAY:-}" ]; then
    echo "Scripted session:"
    ffmpeg -hide_banner -loglevel error -nostdin -y \
        -f lavfi -i testsrc2=size=1280x720:rate=25:duration=4 \
        -f lavfi -i sine=frequency=440:sample_rate=44100:duration=4 \
        -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest "$work/clip.mp4"
    set +e
    ZELVIO_API_HOST=$API ZELVIO_ROUTE_HOST=$ROUTE ZELVIO_ACCOUNT_HOST=$ACCOUNT \
        XDG_DATA_HOME=$work/session-data \
        "$session_bin" --media "$work/clip.mp4" --seconds 5 2>"$work/session.log" | sed 's/^/    /'
    session_rc=${PIPESTATUS[0]}
    set -e
    [ "$session_rc" = 0 ] && result ok "scripted session signed in, went live and stopped" ||
        result fail "scripted session (status $session_rc): $(tail -n 3 "$work/session.log")"
    rec=$(ls -t "$work"/ingest/recordings/live/zv*.flv 2>/dev/null | head -n 1 || true)
    if [ -n "$rec" ]; then
        echo "  What reached the ingest ($(basename "$rec")):"
        ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,sample_rate,channels \
            -show_entries format=duration,size -of default=noprint_wrappers=1 "$rec" | sed 's/^/    /'
        video=$(ffprobe -v error -select_streams v -show_entries stream=codec_name,width,height \
            -of csv=p=0 "$rec")
        [ "$video" = "h264,1280,720" ] && result ok "the session's stream is H.264 1280x720 with AAC" ||
            result fail "the session's stream: '$video'"
    else
        result fail "no recording of the session's stream"
    fi
fi
if [ "$failures" -eq 0 ]; then
    echo "Summary: all checks passed"
    exit 0
fi
echo "Summary: $failures check(s) failed"
exit 1
