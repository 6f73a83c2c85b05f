#!/usr/bin/env bash
# Installs the Debian packages Korvel needs to build and test, skipping the
# ones already present. Runs apt-get through sudo when not root.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-svg-dev libgl-dev fonts-dejavu-core
  libzip-dev libpugixml-dev libfreexl-dev libxlsxwriter-dev
  xvfb xauth
  locales-all xdotool x11-apps imagemagick poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
