#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Configures and builds one flavour of the tree: a preset of CMakePresets.json.
#   scripts/build.sh run      -> build/       (only pelorin-read and the reader-access library)
#   scripts/build.sh normal   -> build/       (RelWithDebInfo, everything)
#   scripts/build.sh asan     -> build-asan/  (AddressSanitizer + UndefinedBehaviorSanitizer)
#   scripts/build.sh fuzz     -> build-fuzz/  (clang, libFuzzer harnesses only)
#   scripts/build.sh fuzz-fast -> build-fuzz-fast/ (the same without sanitizers, for long runs)
#   scripts/build.sh arm64    -> build-arm64/ (cross build for arm64; ctest runs it under qemu-user)
set -euo pipefail
cd "$(dirname "$0")/.."
flavour="${1:-normal}"
case "$flavour" in
  run | normal | asan | fuzz | fuzz-fast | arm64) ;;
  *) echo "usage: $0 [run|normal|asan|fuzz|fuzz-fast|arm64]" >&2; exit 2 ;;
esac
args=()
# ccache, when present, serves unchanged files from earlier builds, also of
# other clones: paths are hashed relative to the source tree.
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset "$flavour" "${args[@]}" >/dev/null
cmake --build --preset "$flavour" -j "${PELORIN_JOBS:-$(nproc)}"
