#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the client, if any is missing.
# Runs apt-get as root directly, or through sudo for a normal user.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ccache git
  libwxgtk3.2-dev libbotan-2-dev libcanberra-dev libxss-dev libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth x11-utils gettext openssl procps
  libcanberra-pulse pulseaudio pulseaudio-utils
  libgtk-3-dev libgspell-1-dev hunspell-en-us
  dpkg-dev file lintian desktop-file-utils appstream wx3.2-i18n
  openbox dbus-daemon dbus-x11
  libsecret-1-dev gnome-keyring
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
