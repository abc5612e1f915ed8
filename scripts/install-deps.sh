#!/usr/bin/env bash
# Installs every Debian 12 package needed to build, run and test Jotrak.
# Idempotent: packages already present are left alone. Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev libxkbcommon-dev
  qt6-webengine-dev libqt6webenginecore6-bin
  qml6-module-qtwebengine qml6-module-qtquick qml6-module-qtqml-workerscript
  libxcb1-dev libfontconfig-dev
  libsqlite3-dev sqlite3
  qt6-charts-dev libgsf-1-dev libfreexl-dev python3 python3-xlrd python3-icalendar poppler-utils
  dbus python3-dbus python3-gi
  libbenchmark-dev
  syncthing
  desktop-file-utils appstream librsvg2-bin file dpkg-dev lintian
  xvfb xauth x11-apps xdotool imagemagick fonts-arphic-uming fonts-arphic-ukai
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && { echo "install-deps: all packages present"; exit 0; }

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
