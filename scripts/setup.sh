#!/usr/bin/env bash
# Installs every Debian package the station needs to build, run and test.
# Safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-multimedia-dev libqt6multimedia6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  qt6-serialport-dev
  unixodbc unixodbc-dev tdsodbc odbc-postgresql libsqliteodbc sqlite3
  postgresql postgresql-client
  fonts-nanum locales
  xvfb xauth imagemagick x11-utils socat
  libxcb1-dev
  openbox xdotool xclip iproute2 libgstreamer1.0-dev
  g++-mingw-w64-x86-64-posix python3 passwd
  wine wine64 nsis qt6-shadertools-dev xz-utils osslsigncode openssl
  ibus ibus-hangul dbus-x11 fcitx5 fcitx5-hangul fcitx5-frontend-qt6
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${PACKAGES[@]}"
