#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Configures and builds one flavour of the tree into a build directory.
#   scripts/build.sh run      -> build/       (only pelorin-read and the reader-access library)
#   scripts/build.sh normal   -> build/       (RelWithDebInfo, everything)
#   scripts/build.sh asan     -> build-asan/  (AddressSanitizer + UndefinedBehaviorSanitizer)
#   scripts/build.sh fuzz     -> build-fuzz/  (clang, libFuzzer harnesses only)
#   scripts/build.sh fuzz-fast -> build-fuzz-fast/ (the same without sanitizers, for long runs)
#   scripts/build.sh arm64    -> build-arm64/ (cross build for arm64; ctest runs it under qemu-user)
set -euo pipefail
cd "$(dirname "$0")/.."
flavour="${1:-normal}"
jobs="${PELORIN_JOBS:-$(nproc)}"
targets=()
case "$flavour" in
  run)    dir=build; args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELORIN_TESTS=OFF -DPELORIN_BENCH=OFF)
          targets=(--target pelorin-read kvsdecompose) ;;
  normal) dir=build; args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELORIN_TESTS=ON -DPELORIN_BENCH=ON) ;;
  asan)   dir=build-asan; args=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 -DPELORIN_SANITIZE=ON) ;;
  fuzz)   dir=build-fuzz; args=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 -DPELORIN_FUZZ=ON
                                -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  fuzz-fast) dir=build-fuzz-fast; args=(-DCMAKE_BUILD_TYPE=Release -DPELORIN_FUZZ=ON -DPELORIN_FUZZ_SANITIZE=OFF
                                -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  arm64)  dir=build-arm64; args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELORIN_TESTS=ON -DPELORIN_BENCH=OFF
                                -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-arm64.cmake) ;;
  *) echo "usage: $0 [run|normal|asan|fuzz|fuzz-fast|arm64]" >&2; exit 2 ;;
esac
# ccache, when present, serves unchanged files from earlier builds, also of
# other clones: paths are hashed relative to the source tree.
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja "${args[@]}" >/dev/null
cmake --build "$dir" -j "$jobs" "${targets[@]}"
