#!/bin/bash
# Run inside the rig (as its user): stops or starts PipeWire with its session
# manager and pulse server, as when PipeWire restarts under a running capture.
#   rig-pipewire.sh stop [--kill]   # --kill: pipewire dies as in a crash
#   rig-pipewire.sh start
#   rig-pipewire.sh restart-backend
# Reads rig.env and keeps rig.pids current; exits once the services are gone
# (stop) or answering again (start). The screen-cast backend does not find a
# restarted PipeWire again (its next Start never answers); restart-backend
# restarts it, as a user would, under the same bus name.
set -u
: "${XDG_RUNTIME_DIR:?rig-pipewire.sh runs inside rig.sh}"
RIG_ENV_FILE="$XDG_RUNTIME_DIR/rig.env"
[[ -r $RIG_ENV_FILE ]] || { echo "rig-pipewire: no $RIG_ENV_FILE (not inside the rig?)" >&2; exit 2; }
set -a
# shellcheck disable=SC1090
. "$RIG_ENV_FILE"
set +a
# shellcheck source=rig-lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/rig-lib.sh"

case ${1:-} in
  stop)
    case ${2:-} in
      "") rig_stop_pipewire TERM ;;
      --kill) rig_stop_pipewire KILL ;;
      *) echo "rig-pipewire: stop takes only --kill" >&2; exit 2 ;;
    esac
    ;;
  start)
    if [[ -n $(rig_pid_of pipewire) ]] && rig_ours "$(rig_pid_of pipewire)"; then
      echo "rig-pipewire: pipewire is already running" >&2
      exit 1
    fi
    rig_start_pipewire || exit 1
    ;;
  restart-backend)
    [[ $RIG_PORTAL != none ]] || { echo "rig-pipewire: the rig runs no portal" >&2; exit 2; }
    rig_stop "$(rig_pid_of xdg-desktop-portal-wlr)"
    rig_wait "xdg-desktop-portal-wlr to let go of its bus name" "" \
      eval '! rig_name_owned org.freedesktop.impl.portal.desktop.wlr' || exit 1
    rig_start_xdpw || exit 1
    ;;
  *)
    echo "usage: rig-pipewire.sh stop [--kill] | start | restart-backend" >&2
    exit 2
    ;;
esac
