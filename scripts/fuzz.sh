#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs every libFuzzer harness of a fuzz build (default build-fuzz) for the
# given seconds each, starting from its committed seed corpus (copied, so runs
# add nothing to git).   scripts/fuzz.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build="${2:-build-fuzz}"
# Qt keeps its platform objects until exit; those are not the harness's leaks.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}"
# The decoder allocates and frees its planes on every run; glibc keeping the
# freed memory spares the page faults that otherwise take a third of a run.
export MALLOC_TRIM_THRESHOLD_=536870912 MALLOC_MMAP_THRESHOLD_=536870912
shopt -s nullglob
status=0
for fuzzer in "$build"/bin/fuzz_*; do
  name="$(basename "$fuzzer")"
  corpus_src="$(find fuzz -type d -name "corpus_${name#fuzz_}" | head -1)"
  work="$(mktemp -d)"
  [ -n "$corpus_src" ] && cp -r "$corpus_src/." "$work/"
  echo "-- $name for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work.crash-" "$work" 2>"$work.log"; then
    tail -50 "$work.log"
    status=1
  else
    grep -E "stat::number_of_executed_units|Done" "$work.log" | tail -2
  fi
  rm -rf "$work" "$work.log" "$work".crash-*
done
exit $status
