#!/usr/bin/env bash
# Installs every Debian package the build, the tools and the tests need.
# Idempotent: packages already present are not touched, and the package
# lists are refreshed once, only when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qtbase5-dev qtbase5-dev-tools libqt5opengl5-dev
  libusb-1.0-0-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb x11-utils xauth xdotool
  fonts-noto-cjk fontconfig
  umockdev libumockdev-dev
  python3 python3-pytest
  libqt5websockets5-dev python3-websockets chromium
  libturbojpeg0-dev libwebp-dev libopenjp2-7-dev
  dpkg-dev debhelper lintian
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
