#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the Debian packages one job needs, and no more:
#   scripts/setup.sh run    build and run pelorin-read (the main job)
#   scripts/setup.sh test   the whole test suite (the default)
#   scripts/setup.sh arm64  the test suite's arm64 stage, beside the above
#   scripts/setup.sh fresh  the stage that runs on a fresh Debian 13 system
# Debian 12 and Debian 13 are both served: names that differ between the
# releases are resolved from what this one has.
# The build dependencies are read from debian/control, so that list is kept
# once; below are only the packages running and testing need beyond it.
# Idempotent: packages already present are not touched, and the package
# lists are refreshed once, only when something is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
job="${1:-test}"

# The card faces are drawn with this CJK family (see pelorin_lib/kit/card_fonts.h).
RUN_PACKAGES=(build-essential fontconfig fonts-noto-cjk)

TEST_PACKAGES=(
  ccache
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang                                       # fuzzers (its runtime: clang_runtime below)
  xvfb x11-utils xauth xdotool                # the demo on a real X display
  umockdev libumockdev-dev                    # emulated USB readers
  python3 python3-pytest python3-websockets   # Python module and service clients
  python3-venv python3-pip python3-setuptools python3-wheel   # the module pip-installed offline into a venv
  locales                                     # a decimal-comma locale for the C host tests (localedef)
  poppler-utils                               # the card copy's PDF: pdfinfo, pdftoppm, pdftotext
  chromium openssl                            # the example web page in a browser, as an https site
  libturbojpeg0-dev libwebp-dev libopenjp2-7-dev   # peers of the photo decoder's benchmark
  default-jdk-headless libjna-java            # the Java example over JNA
  lintian
)

# The cross build for arm64 and its tests under qemu-user, beside arm64's
# build dependencies (apt resolves those from debian/control, below).
ARM64_PACKAGES=(
  crossbuild-essential-arm64 qemu-user-static
  libgtest-dev:arm64 libgmock-dev:arm64
)

# The first alternative of each Build-Depends entry for this machine's
# architecture, without versions or profiles.
build_depends() {
  awk '/^Build-Depends:/ { on = 1; sub(/^Build-Depends:/, ""); print; next }
       on && /^[ \t]/ { print; next }
       { on = 0 }' debian/control |
    tr ',' '\n' | sed 's/|.*//; s/([^)]*)//g; s/<[^>]*>//g' |
    awk -v arch="$(dpkg --print-architecture)" '
      match($0, /\[[^]]*\]/) {
        list = " " substr($0, RSTART + 1, RLENGTH - 2) " "
        if (index(list, " !" arch " ") || (list !~ / !/ && !index(list, " " arch " "))) next
      }
      NF { print $1 }' |
    sed 's/^debhelper-compat$/debhelper/; s/:any$//'
}

# The runtime of the clang that is installed (libFuzzer, the sanitizers) is
# named after its major version: libclang-rt-14-dev on Debian 12, -19- on 13.
clang_runtime() {
  echo "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
}

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
updated=0  # the package lists were refreshed by this run

case "$job" in
  run)  packages=($(build_depends | grep -vx debhelper) "${RUN_PACKAGES[@]}") ;;
  test) packages=($(build_depends) "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
  arm64)
    if ! dpkg --print-foreign-architectures | grep -qx arm64; then
      $SUDO dpkg --add-architecture arm64
    fi
    # apt knows which build dependencies are arm64's (libraries) and which
    # this machine's (tools), from their Multi-Arch fields.
    if ! dpkg-checkbuilddeps -a arm64 2>/dev/null; then
      $SUDO apt-get update; updated=1
      DEBIAN_FRONTEND=noninteractive $SUDO apt-get build-dep -y --no-install-recommends -a arm64 ./
    fi
    packages=("${ARM64_PACKAGES[@]}") ;;
  fresh) packages=(mmdebstrap) ;;
  *) echo "usage: $0 [run|test|arm64|fresh]" >&2; exit 2 ;;
esac

install_missing() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "setup: installing ${missing[*]}"
  if [ "$updated" = 0 ]; then $SUDO apt-get update; updated=1; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"
# Named after the clang just installed.
if [ "$job" = test ]; then install_missing "$(clang_runtime)"; fi
echo "setup: all packages present"
