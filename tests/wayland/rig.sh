#!/bin/bash
# A Wayland desktop of its own for one command: a headless sway (with
# XWayland), PipeWire with its session manager and pulse server, and the
# screen-cast portal, all on a private session bus, run as an unprivileged
# user because the compositor refuses to run as root.
#
#   rig.sh [options] -- COMMAND [ARGS...]       (as root)
#     --user NAME        the user the session runs as (default zvrig; created
#                        if missing and removed again by the rig that made it)
#     --bg '#RRGGBB'     the output's background colour (default #ff0000)
#     --portal MODE      wlr: the portal shares HEADLESS-1 without asking;
#                        deny: the portal is up but every request is declined;
#                        none: no portal, and none can be bus-activated
#     --timeout SEC      how long each service may take to come up (default 60)
#     --xdpw-log LEVEL   the portal backend's log level (default INFO)
#     --xdpw-stock       run the portal backend as shipped: on this software-
#                        rendered compositor its every Start then fails
#     --log-dir DIR      copy the services' logs to DIR at the end
#     --env NAME=VALUE   add to COMMAND's environment (repeatable)
#
# COMMAND runs as the user, with $XDG_RUNTIME_DIR/rig.env (KEY=VALUE lines)
# exported and $XDG_RUNTIME_DIR/rig.pids ("name pid" lines) written. The rig
# exits with COMMAND's exit code; 77 when a needed program is missing, 125 when
# the session did not come up, 2 on bad usage.

RIG_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

usage() {
  sed -n '7,24p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

# ---------------------------------------------------------------------------
# Inside the session: runs as the user under dbus-run-session.
# ---------------------------------------------------------------------------
rig_inner() {
  # shellcheck source=rig-lib.sh
  . "$RIG_HERE/rig-lib.sh"
  local cmd_pid="" rc
  exec 3<&0
  echo $$ >"$XDG_RUNTIME_DIR/rig.inner.pid"
  mkdir -p "$RIG_LOGS"
  : >"$RIG_PIDS"
  trap 'rc=$?; rig_inner_teardown "$rc"; exit "$rc"' EXIT
  trap 'exit 143' TERM
  trap 'exit 130' INT
  trap 'exit 129' HUP

  rig_start_pipewire || exit 125

  cat >"$XDG_RUNTIME_DIR/sway-ready.sh" <<'EOF'
#!/bin/sh
# Run by the compositor once it is serving: its children know the displays.
f="$XDG_RUNTIME_DIR/sway.ready"
printf 'WAYLAND_DISPLAY=%s\nDISPLAY=%s\nSWAYSOCK=%s\n' "$WAYLAND_DISPLAY" "$DISPLAY" "$SWAYSOCK" >"$f.tmp" && mv -f "$f.tmp" "$f"
EOF
  chmod 700 "$XDG_RUNTIME_DIR/sway-ready.sh"
  cat >"$XDG_RUNTIME_DIR/sway.conf" <<EOF
output HEADLESS-1 resolution 1280x720 position 0 0
output * bg $RIG_BG solid_color
xwayland force
# X11 windows keep the size and place they ask for, as under a stacking
# window manager (tiling would resize the client's fixed-size windows).
for_window [shell="xwayland"] floating enable
exec $XDG_RUNTIME_DIR/sway-ready.sh
EOF
  WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=1 \
    XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland \
    sway -c "$XDG_RUNTIME_DIR/sway.conf" >>"$RIG_LOGS/sway.log" 2>&1 </dev/null &
  local sway_pid=$!
  rig_record_pid sway "$sway_pid"
  rig_wait "sway (its start-up exec writing $XDG_RUNTIME_DIR/sway.ready)" "$sway_pid" test -s "$XDG_RUNTIME_DIR/sway.ready" || exit 125
  local WAYLAND_DISPLAY DISPLAY SWAYSOCK
  eval "$(grep -E '^(WAYLAND_DISPLAY|DISPLAY|SWAYSOCK)=[A-Za-z0-9_./:-]*$' "$XDG_RUNTIME_DIR/sway.ready")"
  [[ -n $WAYLAND_DISPLAY ]] || { echo "rig: sway gave no WAYLAND_DISPLAY" >&2; exit 125; }
  [[ -n $DISPLAY ]] || { echo "rig: sway started no XWayland (DISPLAY empty)" >&2; exit 125; }
  rig_wait "sway (socket $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY)" "$sway_pid" rig_socket "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || exit 125
  rig_wait "XWayland (xdpyinfo -display $DISPLAY)" "$sway_pid" xdpyinfo -display "$DISPLAY" || exit 125
  rig_record_pid xwayland "$(rig_find_xwayland)"

  if [[ $RIG_PORTAL != none ]]; then
    rig_start_portal || exit 125
  fi

  local tmp="$RIG_ENV.tmp"
  {
    echo "WAYLAND_DISPLAY=$WAYLAND_DISPLAY"
    echo "DISPLAY=$DISPLAY"
    echo "SWAYSOCK=$SWAYSOCK"
    echo "DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS"
    echo "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR"
    echo "HOME=$HOME"
    echo "TMPDIR=$TMPDIR"
    echo "PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native"
    echo "XDG_SESSION_TYPE=wayland"
    echo "XDG_CURRENT_DESKTOP=sway"
    echo "ZV_RIG_ID=$ZV_RIG_ID"
    echo "RIG_HERE=$RIG_HERE"
    echo "RIG_LOGS=$RIG_LOGS"
    echo "RIG_PORTAL=$RIG_PORTAL"
    echo "RIG_BG=$RIG_BG"
    echo "RIG_OUTPUT=HEADLESS-1"
    echo "RIG_OUTPUT_SIZE=1280x720"
    echo "RIG_XDPW_LOG=$RIG_XDPW_LOG"
    echo "RIG_XDPW_PRELOAD=$RIG_XDPW_PRELOAD"
  } >"$tmp"
  mv -f "$tmp" "$RIG_ENV"
  set -a
  # shellcheck disable=SC1090
  . "$RIG_ENV"
  set +a

  # Started in the background so a signal reaches the trap at once; stdin is
  # handed on explicitly because a background job would otherwise get /dev/null.
  "$@" <&3 3<&- &
  cmd_pid=$!
  rc=0
  wait "$cmd_pid" || rc=$?
  cmd_pid=""
  exit "$rc"
}

# Xwayland is double-forked by the compositor, so it is found by name among
# this rig's processes rather than as a child.
rig_find_xwayland() {
  local p
  for p in /proc/[0-9]*; do
    [[ $(cat "$p/comm" 2>/dev/null) == Xwayland ]] || continue
    if rig_ours "${p#/proc/}"; then
      echo "${p#/proc/}"
      return 0
    fi
  done
  echo 0
}

rig_start_portal() {
  local pid
  # Restore tokens live in the permission store; started here rather than
  # bus-activated, because the private bus activates nothing.
  /usr/libexec/xdg-permission-store --replace >>"$RIG_LOGS/xdg-permission-store.log" 2>&1 </dev/null &
  pid=$!
  rig_record_pid xdg-permission-store "$pid"
  rig_wait "xdg-permission-store (bus name org.freedesktop.impl.portal.PermissionStore)" \
    "$pid" rig_name_owned org.freedesktop.impl.portal.PermissionStore || return 1

  rig_start_xdpw || return 1

  # The frontend picks backends by XDG_CURRENT_DESKTOP against UseIn in
  # /usr/share/xdg-desktop-portal/portals/wlr.portal.
  XDG_CURRENT_DESKTOP=sway WAYLAND_DISPLAY=$WAYLAND_DISPLAY DISPLAY=$DISPLAY \
    /usr/libexec/xdg-desktop-portal --verbose >>"$RIG_LOGS/xdg-desktop-portal.log" 2>&1 </dev/null &
  pid=$!
  rig_record_pid xdg-desktop-portal "$pid"
  rig_wait "xdg-desktop-portal (bus name org.freedesktop.portal.Desktop)" \
    "$pid" rig_name_owned org.freedesktop.portal.Desktop || return 1
  rig_wait "xdg-desktop-portal (its ScreenCast interface)" "$pid" \
    gdbus call --session --dest org.freedesktop.portal.Desktop --object-path /org/freedesktop/portal/desktop \
    --method org.freedesktop.DBus.Properties.Get org.freedesktop.portal.ScreenCast version
}

rig_inner_teardown() {
  local rc=$1 name f
  trap - TERM INT HUP
  [[ -z $cmd_pid ]] || rig_stop "$cmd_pid"
  for name in xdg-desktop-portal xdg-desktop-portal-wlr xdg-permission-store sway xwayland; do
    rig_stop "$(rig_pid_of "$name")"
  done
  rig_stop_pipewire
  if ((rc == 125)); then
    for f in "$RIG_LOGS"/*.log; do
      [[ -s $f ]] || continue
      echo "---- last lines of $(basename "$f")" >&2
      tail -n 20 "$f" >&2
    done
  fi
}

# ---------------------------------------------------------------------------
# Outside: root prepares the user, folders and bus, and cleans up after.
# ---------------------------------------------------------------------------
need() {
  local p
  for p in "$@"; do
    if [[ $p == /* ]]; then
      [[ -x $p ]] || { echo "rig: missing program $p" >&2; exit 77; }
    else
      command -v "$p" >/dev/null 2>&1 || { echo "rig: missing program $p" >&2; exit 77; }
    fi
  done
}

# Users are shared by concurrent rigs: each holds a shared lock on the user's
# lock file while it runs; the user is made under a second, exclusive lock and
# removed only by a rig that finds no other holder and a mark saying a rig
# made it (a user that was there before is never removed).
rig_user_acquire() {
  mkdir -p /run/zvrig
  chmod 755 /run/zvrig
  exec 8>"/run/zvrig/$RIG_USER.use"
  flock -s 8
  exec 7>"/run/zvrig/$RIG_USER.make"
  flock -x 7
  if ! id -u "$RIG_USER" >/dev/null 2>&1; then
    if ! useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
      --user-group "$RIG_USER" >/dev/null; then
      echo "rig: could not create user $RIG_USER" >&2
      exit 125
    fi
    : >"/run/zvrig/$RIG_USER.made"
  fi
  flock -u 7
  if [[ $(id -u "$RIG_USER") == 0 ]]; then
    echo "rig: user $RIG_USER is root" >&2
    exit 2
  fi
}

rig_user_release() {
  flock -x 7
  flock -u 8
  exec 8>"/run/zvrig/$RIG_USER.use"
  if flock -xn 8 && [[ -e /run/zvrig/$RIG_USER.made ]]; then
    userdel "$RIG_USER" >/dev/null 2>&1 && rm -f "/run/zvrig/$RIG_USER.made"
  fi
  exec 8>&- 7>&-
}

# Every process the session started carries the rig's id in its environment;
# whatever is still running after the session ended is ended by PID here.
rig_sweep() {
  local uid pass p pid found
  uid=$(id -u "$RIG_USER")
  for pass in TERM TERM TERM TERM KILL; do
    found=0
    for p in /proc/[0-9]*; do
      pid=${p#/proc/}
      [[ $(stat -c %u "$p" 2>/dev/null) == "$uid" ]] || continue
      { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "ZV_RIG_ID=$ZV_RIG_ID" || continue
      [[ $(awk '{print $3}' "$p/stat" 2>/dev/null) != Z ]] || continue
      found=1
      [[ $pass != TERM || $RIG_SWEEP_TOLD == *" $pid "* ]] ||
        echo "rig: ending leftover process $pid ($(cat "$p/comm" 2>/dev/null))" >&2
      RIG_SWEEP_TOLD+=" $pid "
      kill -s "$pass" "$pid" 2>/dev/null || true
    done
    ((found)) || return 0
    sleep 0.5
  done
}

rig_outer_cleanup() {
  local disp n
  trap - EXIT INT TERM HUP
  if [[ -n ${RIG_CHILD:-} ]] && kill -0 "$RIG_CHILD" 2>/dev/null; then
    # Tell the session to wind down: its services stop in order and the
    # session's processes exit after it. Only before the session has begun is
    # runuser told, which ends its child hard after two seconds.
    if [[ -s $RIG_TMP/run/rig.inner.pid ]]; then
      kill -TERM "$(cat "$RIG_TMP/run/rig.inner.pid")" 2>/dev/null
    else
      kill -TERM "$RIG_CHILD" 2>/dev/null
    fi
    wait "$RIG_CHILD" 2>/dev/null
  fi
  rig_sweep
  if [[ -n ${RIG_LOG_DIR:-} && -d $RIG_TMP/run/logs ]]; then
    mkdir -p "$RIG_LOG_DIR" && cp -f "$RIG_TMP"/run/logs/*.log "$RIG_LOG_DIR"/ 2>/dev/null
  fi
  # An XWayland that did not exit cleanly leaves its lock and socket behind.
  disp=$(sed -n 's/^DISPLAY=:\([0-9]*\)$/\1/p' "$RIG_TMP/run/sway.ready" 2>/dev/null)
  if [[ -n $disp ]]; then
    for n in "/tmp/.X$disp-lock" "/tmp/.X11-unix/X$disp"; do
      [[ -e $n && $(stat -c %U "$n") == "$RIG_USER" ]] && rm -f "$n"
    done
  fi
  rm -rf "$RIG_TMP"
  rig_user_release
}

rig_outer() {
  RIG_USER=zvrig RIG_BG='#ff0000' RIG_PORTAL=wlr RIG_TIMEOUT=60 RIG_XDPW_LOG=INFO RIG_LOG_DIR="" RIG_XDPW_STOCK=0
  local extra_env=() rc
  while (($#)); do
    case $1 in
      --user) RIG_USER=${2:-}; shift 2 || usage ;;
      --bg) RIG_BG=${2:-}; shift 2 || usage ;;
      --portal) RIG_PORTAL=${2:-}; shift 2 || usage ;;
      --timeout) RIG_TIMEOUT=${2:-}; shift 2 || usage ;;
      --xdpw-log) RIG_XDPW_LOG=${2:-}; shift 2 || usage ;;
      --xdpw-stock) RIG_XDPW_STOCK=1; shift ;;
      --log-dir) RIG_LOG_DIR=${2:-}; shift 2 || usage ;;
      --env) extra_env+=("${2:-}"); shift 2 || usage ;;
      --) shift; break ;;
      *) echo "rig: unknown option $1" >&2; usage ;;
    esac
  done
  (($#)) || { echo "rig: no command given" >&2; usage; }
  [[ $RIG_USER =~ ^[a-z_][a-z0-9_-]{0,30}$ ]] || { echo "rig: bad user name '$RIG_USER'" >&2; exit 2; }
  [[ $RIG_BG =~ ^#[0-9a-fA-F]{6}$ ]] || { echo "rig: --bg wants #RRGGBB, not '$RIG_BG'" >&2; exit 2; }
  [[ $RIG_PORTAL =~ ^(wlr|deny|none)$ ]] || { echo "rig: --portal is wlr, deny or none, not '$RIG_PORTAL'" >&2; exit 2; }
  [[ $RIG_TIMEOUT =~ ^[1-9][0-9]*$ ]] || { echo "rig: --timeout wants whole seconds, not '$RIG_TIMEOUT'" >&2; exit 2; }
  [[ $RIG_XDPW_LOG =~ ^(QUIET|ERROR|WARN|INFO|DEBUG|TRACE)$ ]] || { echo "rig: bad --xdpw-log '$RIG_XDPW_LOG'" >&2; exit 2; }
  local e
  for e in "${extra_env[@]}"; do
    [[ $e =~ ^[A-Za-z_][A-Za-z0-9_]*= ]] || { echo "rig: --env wants NAME=VALUE, not '$e'" >&2; exit 2; }
  done
  if ((EUID != 0)); then
    echo "rig: run as root (it creates the user the session runs as)" >&2
    exit 2
  fi
  need runuser useradd userdel flock dbus-run-session dbus-daemon gdbus sway swaybg Xwayland xdpyinfo \
    pipewire wireplumber pipewire-pulse pw-cli pactl
  if [[ $RIG_PORTAL != none ]]; then
    need /usr/libexec/xdg-desktop-portal /usr/libexec/xdg-desktop-portal-wlr /usr/libexec/xdg-permission-store
    ((RIG_XDPW_STOCK)) || need cc
  fi

  rig_user_acquire
  ZV_RIG_ID="zvrig-$$-$(date +%s%N)"
  RIG_TMP=$(mktemp -d /tmp/zvrig.XXXXXXXX)
  RIG_SWEEP_TOLD=" "
  trap rig_outer_cleanup EXIT
  trap 'exit 143' TERM
  trap 'exit 130' INT
  trap 'exit 129' HUP
  chmod 711 "$RIG_TMP"
  mkdir "$RIG_TMP/run" "$RIG_TMP/home" "$RIG_TMP/tmp" "$RIG_TMP/services"
  chown "$RIG_USER:" "$RIG_TMP/run" "$RIG_TMP/home" "$RIG_TMP/tmp"
  chmod 700 "$RIG_TMP/run" "$RIG_TMP/home" "$RIG_TMP/tmp"
  # A bus of its own whose only service folder is empty: nothing from
  # /usr/share/dbus-1/services can be activated behind the rig's back.
  cat >"$RIG_TMP/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:path=$RIG_TMP/run/bus</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$RIG_TMP/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
  chmod 644 "$RIG_TMP/bus.conf"
  RIG_XDPW_PRELOAD=""
  if [[ $RIG_PORTAL != none ]] && ((!RIG_XDPW_STOCK)); then
    RIG_XDPW_PRELOAD=$RIG_TMP/xdpw_shm_only.so
    if ! cc -shared -fPIC -O2 -o "$RIG_XDPW_PRELOAD" "$RIG_HERE/xdpw_shm_only.c" -ldl; then
      echo "rig: could not build xdpw_shm_only.so" >&2
      exit 125
    fi
    chmod 644 "$RIG_XDPW_PRELOAD"
  fi
  if ! runuser -u "$RIG_USER" -- test -r "$RIG_HERE/rig-lib.sh"; then
    echo "rig: $RIG_HERE is not readable by $RIG_USER" >&2
    exit 125
  fi

  exec 3<&0
  runuser -u "$RIG_USER" -- env -i \
    PATH=/usr/local/bin:/usr/bin:/bin \
    HOME="$RIG_TMP/home" USER="$RIG_USER" LOGNAME="$RIG_USER" SHELL=/bin/sh LANG=C.UTF-8 \
    XDG_RUNTIME_DIR="$RIG_TMP/run" TMPDIR="$RIG_TMP/tmp" \
    ZV_RIG_ID="$ZV_RIG_ID" RIG_HERE="$RIG_HERE" RIG_LOGS="$RIG_TMP/run/logs" \
    RIG_BG="$RIG_BG" RIG_PORTAL="$RIG_PORTAL" RIG_TIMEOUT="$RIG_TIMEOUT" RIG_XDPW_LOG="$RIG_XDPW_LOG" \
    RIG_XDPW_PRELOAD="$RIG_XDPW_PRELOAD" \
    "${extra_env[@]}" \
    dbus-run-session --config-file="$RIG_TMP/bus.conf" -- bash "$RIG_HERE/rig.sh" --inner -- "$@" \
    <&3 3<&- 7>&- 8>&- &
  RIG_CHILD=$!
  rc=0
  wait "$RIG_CHILD" || rc=$?
  RIG_CHILD=""
  exit "$rc"
}

if [[ ${1:-} == --inner ]]; then
  shift 2
  rig_inner "$@"
else
  rig_outer "$@"
fi
