#!/bin/bash
# The Wayland rig's own test: each case brings up a rig and checks from inside
# it what a capture test relies on (the output's colour, XWayland, the portal
# and its streams' pixels, the pulse server, PipeWire restarts), and from
# outside what the rig promises (exit codes, nothing left behind).
#   rig_test.sh PW_FRAME_PROBE       (as root; 77 = skipped)
set -u
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
RIG=$HERE/rig.sh
PROBE=${1:?usage: rig_test.sh PW_FRAME_PROBE}
if ((EUID != 0)); then
  echo "rig_test: skipped: needs root to create the rig's user"
  exit 77
fi
[[ -x $PROBE ]] || { echo "rig_test: $PROBE is not built"; exit 1; }
# Each run gets a user of its own so runs beside this one do not share it.
USER_NAME="zvrt$$"
WORK=$(mktemp -d /tmp/zvrig-test.XXXXXX)
chmod 755 "$WORK"
cp "$PROBE" "$WORK/pw_frame_probe"
chmod 755 "$WORK/pw_frame_probe"
trap 'rm -rf "$WORK"' EXIT
FAILS=0

fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }
# A process that has exited but not yet been reaped by init counts as gone.
alive() { [[ -e /proc/$1 && $(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) != Z ]]; }
pass() { echo "ok: $*"; }

# Helpers for the checks run inside the rig; they exit non-zero on the first
# wrong answer, naming it.
cat >"$WORK/inside.sh" <<'EOF'
set -u
die() { echo "inside: $*" >&2; exit 1; }
# Colour of every pixel of grim's picture, or "mixed".
screen_colour() {
  grim -t ppm - | python3 -c '
import sys
d = sys.stdin.buffer.read()
parts = d.split(b"\n", 3)
assert parts[0] == b"P6" and parts[2] == b"255", parts[:3]
w, h = map(int, parts[1].split())
px = parts[3]
assert len(px) == w * h * 3, (len(px), w, h)
first = px[:3]
print("%dx%d %s" % (w, h, "#%02x%02x%02x" % tuple(first) if px == first * (w * h) else "mixed"))'
}
json_get() { python3 -c 'import json,sys; d=json.load(sys.stdin); print(eval(sys.argv[1], {}, {"d": d}))' "$1"; }
portal_prop() {
  gdbus call --session --dest org.freedesktop.portal.Desktop --object-path /org/freedesktop/portal/desktop \
    --method org.freedesktop.DBus.Properties.Get org.freedesktop.portal.ScreenCast "$1" | tr -dc '0-9'
}
owned() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1"
}
EOF

run_rig() { # run_rig RIG-OPTIONS... -- SCRIPT ; stdout+stderr to $WORK/out
  "$RIG" --user "$USER_NAME" "$@" >"$WORK/out" 2>&1
}

# --- usage errors: refused before anything starts -------------------------
for bad in "--bg red" "--bg #12345" "--portal kde" "--timeout 0" "--env NOEQUALS" "--frobnicate 1"; do
  # shellcheck disable=SC2086
  "$RIG" $bad -- true >"$WORK/out" 2>&1
  rc=$?
  if ((rc == 2)) && grep -q '^rig: ' "$WORK/out"; then pass "usage error '$bad' -> 2"
  else fail "usage error '$bad' gave $rc: $(head -c 300 "$WORK/out")"; fi
done
"$RIG" --bg '#00ff00' >"$WORK/out" 2>&1
rc=$?
((rc == 2)) && pass "no command -> 2" || fail "no command gave $rc"

# --- a missing program is a skip, naming it ------------------------------
mkdir "$WORK/bin"
for p in dirname runuser useradd userdel flock dbus-run-session dbus-daemon gdbus swaybg Xwayland xdpyinfo \
  pipewire wireplumber pipewire-pulse pw-cli pactl cc; do
  ln -s "$(command -v "$p")" "$WORK/bin/$p"
done
PATH=$WORK/bin /bin/bash "$RIG" -- true >"$WORK/out" 2>&1
rc=$?
if ((rc == 77)) && grep -qx 'rig: missing program sway' "$WORK/out"; then pass "missing sway -> 77"
else fail "missing sway gave $rc: $(cat "$WORK/out")"; fi

# --- wlr portal, a non-default colour ------------------------------------
cat >"$WORK/wlr.sh" <<EOF
. "$WORK/inside.sh"
for k in WAYLAND_DISPLAY DISPLAY DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR HOME TMPDIR PULSE_SERVER XDG_SESSION_TYPE; do
  v=\$(sed -n "s/^\$k=//p" "\$XDG_RUNTIME_DIR/rig.env")
  [[ -n \$v && \$v == "\${!k}" ]] || die "rig.env \$k='\$v' but the environment has '\${!k:-}'"
done
[[ \$XDG_SESSION_TYPE == wayland ]] || die "XDG_SESSION_TYPE=\$XDG_SESSION_TYPE"
[[ \$(id -u) != 0 ]] || die "COMMAND runs as root"
[[ \$(stat -c '%a %U' "\$XDG_RUNTIME_DIR") == "700 \$(id -un)" ]] || die "runtime dir is \$(stat -c '%a %U' "\$XDG_RUNTIME_DIR")"
touch "\$TMPDIR/w" "\$HOME/w" || die "TMPDIR or HOME not writable"
for n in pipewire wireplumber pipewire-pulse sway xwayland xdg-desktop-portal-wlr xdg-desktop-portal; do
  pid=\$(awk -v n=\$n '\$1 == n {print \$2}' "\$XDG_RUNTIME_DIR/rig.pids")
  [[ -n \$pid ]] && kill -0 "\$pid" || die "rig.pids: \$n '\$pid' is not running"
done
[[ \$(screen_colour) == "1280x720 #20c040" ]] || die "grim saw \$(screen_colour)"
# The X server on DISPLAY is the compositor's Xwayland, sized like the output.
xpid=\$(awk '\$1 == "xwayland" {print \$2}' "\$XDG_RUNTIME_DIR/rig.pids")
[[ \$(cat /proc/\$xpid/comm) == Xwayland ]] && tr '\\0' '\\n' </proc/\$xpid/cmdline | grep -qx "\$DISPLAY" ||
  die "xwayland \$xpid does not serve \$DISPLAY"
xdpyinfo -display "\$DISPLAY" | grep -q 'dimensions: *1280x720 pixels' || die "\$DISPLAY is not 1280x720"
((\$(portal_prop version) >= 4)) || die "ScreenCast version \$(portal_prop version)"
((\$(portal_prop AvailableSourceTypes) & 1)) || die "no monitor sources"
pactl info | grep -q 'PipeWire' || die "pactl info does not show PipeWire"

# A cast of the output: the first frame is the background; a change on the
# screen brings another frame.
"\$RIG_HERE/portal_probe.py" --persist 2 --frames "$WORK/pw_frame_probe" --count 2 \
  --between 'swaymsg -q output "*" bg "#4060e0" solid_color' >"\$TMPDIR/p.json" || die "probe: \$(cat "\$TMPDIR/p.json")"
r=\$(json_get '(d["start_code"], d["streams"][0][1]["size"], d["frames_status"], len(d["frames"]))' <"\$TMPDIR/p.json")
[[ \$r == "(0, [1280, 720], 0, 2)" ]] || die "cast: \$r from \$(cat "\$TMPDIR/p.json")"
json_get 'd["frames"][0]' <"\$TMPDIR/p.json" | grep -q 'size=1280x720 .*centre=#20c040\$' || die "first frame: \$(cat "\$TMPDIR/p.json")"
token=\$(json_get 'd.get("restore_token", "")' <"\$TMPDIR/p.json")
[[ \$token =~ ^[0-9a-f-]{36}\$ ]] || die "persist_mode 2 gave no restore token"
"\$RIG_HERE/portal_probe.py" --persist 2 --restore "\$token" | json_get '(d["start_code"], d.get("restore_token"))' \
  | grep -qx "(0, '\$token')" || die "restoring \$token did not give it back"
"\$RIG_HERE/portal_probe.py" | json_get '"restore_token" in d' | grep -qx False || die "a token without persist_mode"

# PipeWire going away and coming back.
old=\$(awk '\$1 == "pipewire" {print \$2}' "\$XDG_RUNTIME_DIR/rig.pids")
"\$RIG_HERE/rig-pipewire.sh" stop || die "rig-pipewire.sh stop failed"
[[ ! -e \$XDG_RUNTIME_DIR/pipewire-0 ]] || die "pipewire-0 still there after stop"
! kill -0 "\$old" 2>/dev/null || die "pipewire \$old still running after stop"
! pactl info >/dev/null 2>&1 || die "pactl still answers after stop"
! grep -q '^pipewire ' "\$XDG_RUNTIME_DIR/rig.pids" || die "rig.pids still names pipewire"
"\$RIG_HERE/rig-pipewire.sh" start || die "rig-pipewire.sh start failed"
[[ -S \$XDG_RUNTIME_DIR/pipewire-0 ]] || die "pipewire-0 not back after start"
new=\$(awk '\$1 == "pipewire" {print \$2}' "\$XDG_RUNTIME_DIR/rig.pids")
[[ -n \$new && \$new != "\$old" ]] && kill -0 "\$new" || die "rig.pids pipewire '\$new' after start (was \$old)"
pactl info | grep -q PipeWire || die "pactl does not answer after start"
! "\$RIG_HERE/rig-pipewire.sh" start 2>/dev/null || die "a second start did not refuse"
"\$RIG_HERE/rig-pipewire.sh" stop --kill || die "stop --kill failed"
! pw-cli info 0 >/dev/null 2>&1 || die "pipewire answers after stop --kill"
"\$RIG_HERE/rig-pipewire.sh" start || die "start after a crash failed"
"\$RIG_HERE/rig-pipewire.sh" restart-backend || die "restart-backend failed"
# The first cast may meet services still settling after their restart: each
# try is a new session, as a user would choose again; every failed try is told.
cast_back=
for try in 1 2 3; do
  "\$RIG_HERE/portal_probe.py" --frames "$WORK/pw_frame_probe" >"\$TMPDIR/back.json" 2>"\$TMPDIR/back.err"
  if json_get '(d["start_code"], d["frames_status"])' <"\$TMPDIR/back.json" 2>/dev/null | grep -qx '(0, 0)'; then
    cast_back=\$try; break
  fi
  echo "inside: cast try \$try after the restart failed: \$(head -c 800 "\$TMPDIR/back.json") \$(tail -c 400 "\$TMPDIR/back.err")" >&2
done
[[ -n \$cast_back ]] || die "no cast after PipeWire and the backend restarted (3 tries)"
echo "inside: all checks passed"
EOF
run_rig --bg '#20c040' -- bash "$WORK/wlr.sh"
rc=$?
((rc == 0)) && pass "wlr rig: colour, XWayland, portal cast, pulse, PipeWire restart" ||
  fail "wlr rig gave $rc: $(tail -n 30 "$WORK/out")"

# --- deny: the portal is there and declines ------------------------------
cat >"$WORK/deny.sh" <<EOF
. "$WORK/inside.sh"
((\$(portal_prop version) >= 4)) || die "ScreenCast version \$(portal_prop version)"
"\$RIG_HERE/portal_probe.py" >"\$TMPDIR/p.json" || die "probe: \$(cat "\$TMPDIR/p.json")"
r=\$(json_get '(d["create_code"], d["select_code"], "start_code" in d)' <"\$TMPDIR/p.json")
[[ \$r == "(0, 1, False)" ]] || die "deny: \$r from \$(cat "\$TMPDIR/p.json")"
echo "inside: all checks passed"
EOF
run_rig --portal deny -- bash "$WORK/deny.sh"
rc=$?
((rc == 0)) && pass "deny rig: SelectSources answered 1 (cancelled)" || fail "deny rig gave $rc: $(tail -n 30 "$WORK/out")"

# --- none: no portal and none to activate; default colour; exit code ------
cat >"$WORK/none.sh" <<EOF
. "$WORK/inside.sh"
[[ \$(owned org.freedesktop.portal.Desktop) == "(false,)" ]] || die "the portal name has an owner"
! gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.StartServiceByName org.freedesktop.portal.Desktop 0 2>"\$TMPDIR/e" || die "the portal was activated"
grep -q ServiceUnknown "\$TMPDIR/e" || die "activation failed otherwise: \$(cat "\$TMPDIR/e")"
[[ \$(owned org.freedesktop.portal.Desktop) == "(false,)" ]] || die "the portal name has an owner after activation"
! grep -qE '^xdg-' "\$XDG_RUNTIME_DIR/rig.pids" || die "rig.pids names a portal process"
[[ \$(screen_colour) == "1280x720 #ff0000" ]] || die "grim saw \$(screen_colour)"
echo "inside: all checks passed"
echo "\$ZV_RIG_ID \$XDG_RUNTIME_DIR"
sleep 1000 &
echo "leftover \$!"
exit 7
EOF
run_rig --portal none -- bash "$WORK/none.sh"
rc=$?
((rc == 7)) && grep -q 'inside: all checks passed' "$WORK/out" &&
  pass "none rig: no portal, not activatable; COMMAND's exit code 7 passed on" ||
  fail "none rig gave $rc: $(tail -n 30 "$WORK/out")"
read -r rig_id rig_run < <(grep '^zvrig-' "$WORK/out")
leftover=$(sed -n 's/^leftover //p' "$WORK/out")

# Nothing of that rig outlives it: its processes, its folders, its user.
still=""
for p in /proc/[0-9]*; do
  { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "ZV_RIG_ID=$rig_id" && still+=" ${p#/proc/}"
done
if [[ -n $rig_id && -z $still && ! -e ${rig_run:-/nonexistent} && -n $leftover ]] && ! alive "$leftover" &&
  grep -q "ending leftover process $leftover (sleep)" "$WORK/out" && ! id -u "$USER_NAME" >/dev/null 2>&1; then
  pass "teardown: no process, runtime dir or user left; the leftover sleep was ended and named"
else
  fail "teardown: id '$rig_id', still running:$still, runtime dir ${rig_run:-?} exists: $([[ -e ${rig_run:-/x} ]] && echo yes || echo no), sleep '$leftover', user: $(id "$USER_NAME" 2>&1); $(grep '^rig:' "$WORK/out")"
fi

# --- a signal to the rig: it winds down and leaves nothing ----------------
mkdir -m 777 "$WORK/sig"
"$RIG" --user "$USER_NAME" --portal none -- bash -c "echo \$ZV_RIG_ID >$WORK/sig/id.tmp && mv $WORK/sig/id.tmp $WORK/sig/id; exec sleep 1000" \
  >"$WORK/out" 2>&1 &
rig_pid=$!
for _ in $(seq 1200); do [[ -s $WORK/sig/id ]] || ! kill -0 "$rig_pid" 2>/dev/null && break; sleep 0.1; done
rig_id=$(cat "$WORK/sig/id" 2>/dev/null)
kill -TERM "$rig_pid"
wait "$rig_pid"
rc=$?
still=""
for p in /proc/[0-9]*; do
  { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "ZV_RIG_ID=$rig_id" && still+=" ${p#/proc/}"
done
if [[ -n $rig_id ]] && ((rc == 143)) && [[ -z $still ]]; then pass "SIGTERM: exit 143, nothing left"
else fail "SIGTERM: id '$rig_id' rc $rc still:$still $(tail -n 5 "$WORK/out")"; fi

# --- a service that cannot start is named, exit 125 -----------------------
# PipeWire listening under another name: its socket never shows.
run_rig --portal none --timeout 3 --env PIPEWIRE_CORE=zv-elsewhere -- true
rc=$?
if ((rc == 125)) && grep -q 'rig: pipewire (socket .*pipewire-0) did not come up within 3s' "$WORK/out"; then
  pass "pipewire not coming up -> 125, named"
else fail "pipewire failing gave $rc: $(tail -n 10 "$WORK/out")"; fi

((FAILS == 0)) && echo "rig_test: all passed" || echo "rig_test: $FAILS failed"
((FAILS == 0))
