# Shared by rig.sh (inside the session) and rig-pipewire.sh: waiting on
# observable things, the PID record, starting and stopping the audio/video
# services. Sourced by bash; expects XDG_RUNTIME_DIR, ZV_RIG_ID and RIG_LOGS.

RIG_PIDS="$XDG_RUNTIME_DIR/rig.pids"
RIG_ENV="$XDG_RUNTIME_DIR/rig.env"
: "${RIG_TIMEOUT:=60}"

rig_die() {
  echo "rig: $*" >&2
  exit 1
}

# rig_wait WHAT PID CMD... — polls CMD until it succeeds, giving up when
# RIG_TIMEOUT passes or when PID (the process that should make CMD succeed;
# empty for none) has exited. The poll interval is short because everything
# polled is cheap and local.
rig_wait() {
  local what=$1 pid=$2 deadline=$((SECONDS + RIG_TIMEOUT))
  shift 2
  until "$@" >/dev/null 2>&1; do
    if [[ -n $pid ]] && ! rig_ours "$pid"; then
      echo "rig: $what did not come up: the process exited" >&2
      return 1
    fi
    if ((SECONDS >= deadline)); then
      echo "rig: $what did not come up within ${RIG_TIMEOUT}s" >&2
      return 1
    fi
    sleep 0.05
  done
}

rig_socket() { [[ -S $1 ]]; }

rig_name_owned() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" | grep -q true
}

# True while PID is alive, not a zombie, and was started inside this rig: the
# rig's id in its environment guards against a recycled PID.
rig_ours() {
  local pid=$1 state
  [[ -r /proc/$pid/environ ]] || return 1
  state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null) || return 1
  [[ $state != Z && $state != X ]] || return 1
  { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "ZV_RIG_ID=$ZV_RIG_ID"
}

rig_pid_of() { awk -v n="$1" '$1 == n {print $2}' "$RIG_PIDS" 2>/dev/null | tail -n 1; }

# The record is replaced whole so a reader never sees half a line.
rig_record_pid() {
  local name=$1 pid=$2 tmp="$RIG_PIDS.$$"
  { awk -v n="$name" '$1 != n' "$RIG_PIDS" 2>/dev/null; echo "$name $pid"; } >"$tmp"
  mv -f "$tmp" "$RIG_PIDS"
}

rig_forget_pid() {
  local tmp="$RIG_PIDS.$$"
  awk -v n="$1" '$1 != n' "$RIG_PIDS" >"$tmp" 2>/dev/null || : >"$tmp"
  mv -f "$tmp" "$RIG_PIDS"
}

# rig_stop PID [SIGNAL] — signals PID and waits until it is gone, escalating
# to SIGKILL after a grace period. Reaps it when it is this shell's child.
rig_stop() {
  local pid=$1 sig=${2:-TERM} deadline
  [[ -n $pid ]] && rig_ours "$pid" || return 0
  kill -s "$sig" "$pid" 2>/dev/null || true
  deadline=$((SECONDS + 5))
  while rig_ours "$pid"; do
    if ((SECONDS >= deadline)); then
      kill -s KILL "$pid" 2>/dev/null || true
      deadline=$((SECONDS + 5))
    fi
    sleep 0.05
  done
  wait "$pid" 2>/dev/null || true
}

# The session manager is ready once its client shows on the PipeWire graph.
rig_wireplumber_up() { pw-cli ls Client 2>/dev/null | grep -q '"WirePlumber"'; }

rig_pulse_up() { pactl info 2>/dev/null | grep -q 'PipeWire'; }

# Starts pipewire, wireplumber and pipewire-pulse in that order, each once the
# one before answers, and records their PIDs. Output goes to the log folder so
# a caller reading our stdout is not held open by the services.
rig_start_pipewire() {
  local pid
  pipewire >>"$RIG_LOGS/pipewire.log" 2>&1 </dev/null &
  pid=$!
  rig_record_pid pipewire "$pid"
  rig_wait "pipewire (socket $XDG_RUNTIME_DIR/pipewire-0)" "$pid" rig_socket "$XDG_RUNTIME_DIR/pipewire-0" || return 1
  wireplumber >>"$RIG_LOGS/wireplumber.log" 2>&1 </dev/null &
  pid=$!
  rig_record_pid wireplumber "$pid"
  rig_wait "wireplumber (its client on the PipeWire graph)" "$pid" rig_wireplumber_up || return 1
  pipewire-pulse >>"$RIG_LOGS/pipewire-pulse.log" 2>&1 </dev/null &
  pid=$!
  rig_record_pid pipewire-pulse "$pid"
  rig_wait "pipewire-pulse (socket $XDG_RUNTIME_DIR/pulse/native)" "$pid" rig_socket "$XDG_RUNTIME_DIR/pulse/native" || return 1
  rig_wait "pipewire-pulse (pactl info)" "$pid" rig_pulse_up || return 1
}

# Stops the three in reverse order; with KILL, pipewire dies as in a crash
# (its socket file stays behind, refusing connections).
rig_stop_pipewire() {
  local sig=${1:-TERM} name
  for name in pipewire-pulse wireplumber; do
    rig_stop "$(rig_pid_of "$name")"
    rig_forget_pid "$name"
  done
  rig_stop "$(rig_pid_of pipewire)" "$sig"
  rig_forget_pid pipewire
}

# The screen-cast backend; RIG_PORTAL deny makes it decline every request:
# "simple" with a chooser that prints nothing is how a user declining the
# share looks to it.
rig_start_xdpw() {
  local pid
  if [[ $RIG_PORTAL == deny ]]; then
    printf '[screencast]\nchooser_type=simple\nchooser_cmd=true\n' >"$XDG_RUNTIME_DIR/xdpw.conf"
  else
    printf '[screencast]\nchooser_type=none\noutput_name=HEADLESS-1\n' >"$XDG_RUNTIME_DIR/xdpw.conf"
  fi
  XDG_CURRENT_DESKTOP=sway WAYLAND_DISPLAY=$WAYLAND_DISPLAY LD_PRELOAD=$RIG_XDPW_PRELOAD \
    /usr/libexec/xdg-desktop-portal-wlr -l "$RIG_XDPW_LOG" -c "$XDG_RUNTIME_DIR/xdpw.conf" \
    >>"$RIG_LOGS/xdg-desktop-portal-wlr.log" 2>&1 </dev/null &
  pid=$!
  rig_record_pid xdg-desktop-portal-wlr "$pid"
  rig_wait "xdg-desktop-portal-wlr (bus name org.freedesktop.impl.portal.desktop.wlr)" \
    "$pid" rig_name_owned org.freedesktop.impl.portal.desktop.wlr
}
