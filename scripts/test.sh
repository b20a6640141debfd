#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs what is missing, then builds and runs the whole test suite: the
# normal build, the Debian packages (scripts/package-test.sh), the arm64
# cross build with its tests under emulation and its packages, the
# AddressSanitizer + UndefinedBehaviorSanitizer build, and
# a short run of every fuzzer. Each stage ends with the seconds it took.
#   scripts/test.sh            those five stages
#   scripts/test.sh STAGE...   only these: normal packages arm64 sanitizers fuzzers,
#                              and debian13 (not among the five; CI runs it): README's
#                              main job and the normal stage on a fresh Debian 13
#                              system holding a clone of the committed HEAD, made by
#                              ../shared/tools/fresh-debian-run as root (or the tool
#                              that FRESH_DEBIAN_RUN names; said and not run where
#                              there is none)
set -euo pipefail
cd "$(dirname "$0")/.."
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(normal packages arm64 sanitizers fuzzers)
for stage in "${stages[@]}"; do
  case "$stage" in
    normal | packages | arm64 | sanitizers | fuzzers | debian13) ;;
    *) echo "usage: $0 [normal|packages|arm64|sanitizers|fuzzers|debian13]..." >&2; exit 2 ;;
  esac
done

# Tests that need a real display start their own Xvfb; the rest paint offscreen.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

run_stage() {
  [ "$1" = debian13 ] || bash scripts/setup.sh test
  case "$1" in
    normal)
      echo "== normal build"
      bash scripts/build.sh normal
      (cd build && ctest --output-on-failure -j 2) ;;
    packages)
      echo "== packages"
      bash scripts/package-test.sh ;;
    arm64)
      echo "== arm64: cross build, its tests under qemu-user, its packages"
      bash scripts/setup.sh arm64
      bash scripts/build.sh arm64
      (cd build-arm64 && ctest --output-on-failure -j 2)
      bash scripts/package-test.sh arm64 ;;
    sanitizers)
      echo "== sanitizer build"
      bash scripts/build.sh asan
      (export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:allow_user_segv_handler=1"
       export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
       export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
       cd build-asan && ctest --output-on-failure -j 2) ;;
    fuzzers)
      echo "== fuzzers"
      bash scripts/build.sh fuzz
      bash scripts/fuzz.sh "${PELORIN_FUZZ_SECONDS:-30}" ;;
    debian13)
      echo "== Debian 13: README's main job and the normal stage on a fresh system"
      local tool="" candidate
      for candidate in ${FRESH_DEBIAN_RUN:-} ../shared/tools/fresh-debian-run /work/shared/tools/fresh-debian-run; do
        if [ -x "$candidate" ]; then tool=$candidate; break; fi
      done
      if [ -z "$tool" ]; then
        echo "== debian13: no fresh-debian-run here (name it with FRESH_DEBIAN_RUN)"
        not_run=1
        return
      fi
      bash scripts/setup.sh fresh
      FRESH_SUITE=trixie bash "$tool" bash -c './scripts/run.sh && ./scripts/test.sh normal' ;;
  esac
}

for stage in "${stages[@]}"; do
  start=$(date +%s) not_run=0
  run_stage "$stage"
  if [ "$not_run" = 1 ]; then echo "== $stage: not run"; continue; fi
  echo "== $stage: passed in $(( $(date +%s) - start )) s"
done
