#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
set -euo pipefail
PKGS=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
  qt6-webchannel-dev libqt6opengl6-dev
  libgl-dev libxkbcommon-dev libxcb1-dev libx11-xcb-dev libfontconfig-dev
  zlib1g-dev libsimpleini-dev libjsoncpp-dev libcurl4-openssl-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev libpsl-dev libzip-dev
  xvfb xauth x11-utils xdotool xcompmgr imagemagick fonts-noto-cjk fonts-dejavu-core
  fcitx5-frontend-qt6 dbus-daemon ibus ibus-table ibus-table-wubi
  openbox trayer
  qt6-wayland sway grim libwayland-dev dbus
  clang libclang-rt-14-dev python3 zip unzip
  xrestop
  appstream desktop-file-utils dpkg-dev file help2man
  lintian debootstrap patchelf
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# bench/runtime.sh fetches a game engine with npm; a Node.js of another origin may bring its own.
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
