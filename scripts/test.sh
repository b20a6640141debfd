#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs what is missing, then builds and runs the whole test suite: the
# normal build, the Debian packages (scripts/package-test.sh), the arm64
# cross build with its tests under emulation and its packages, the
# AddressSanitizer + UndefinedBehaviorSanitizer build, and
# a short run of every fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test

# Tests that need a real display start their own Xvfb; the rest paint offscreen.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

echo "== normal build"
bash scripts/build.sh normal
(cd build && ctest --output-on-failure -j 2)

echo "== packages"
bash scripts/package-test.sh

echo "== arm64: cross build, its tests under qemu-user, its packages"
bash scripts/setup.sh arm64
bash scripts/build.sh arm64
(cd build-arm64 && ctest --output-on-failure -j 2)
bash scripts/package-test.sh arm64

echo "== sanitizer build"
bash scripts/build.sh asan
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:allow_user_segv_handler=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-asan && ctest --output-on-failure -j 2)

echo "== fuzzers"
bash scripts/build.sh fuzz
bash scripts/fuzz.sh "${PELORIN_FUZZ_SECONDS:-30}"
