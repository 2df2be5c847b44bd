#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent: packages already present are skipped by apt-get.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build ccache pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  # toolkit and windows
  libgtk-3-dev libcairo2-dev libpango1.0-dev libgdk-pixbuf-2.0-dev libx11-dev
  libtinyxml2-dev fonts-noto-cjk
  # web client
  libcurl4-openssl-dev libjsoncpp-dev
  # embedded browser
  libwebkit2gtk-4.1-dev
  # media engine and its plug-ins
  libobs-dev obs-studio libegl-dev libgl1-mesa-dri
  # test and run environment
  xvfb xauth xdotool x11-utils iproute2 ffmpeg nginx libnginx-mod-rtmp python3 curl
  pulseaudio-utils imagemagick
)

# Modules may list further packages, one a line, in tools/packages.d/*.txt.
here=$(cd "$(dirname "$0")" && pwd)
for f in "$here"/packages.d/*.txt; do
  [ -f "$f" ] || continue
  while read -r p _; do
    case "$p" in ''|'#'*) ;; *) PACKAGES+=("$p") ;; esac
  done < "$f"
done

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
# nginx is used only as our own ingest process; the distribution's service stays off.
if command -v systemctl >/dev/null 2>&1; then $SUDO systemctl disable --now nginx >/dev/null 2>&1 || true; fi
