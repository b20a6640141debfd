#!/usr/bin/env bash
# Runs every libFuzzer harness of build-fuzz for the given seconds each,
# starting from its committed seed corpus (copied, so runs add nothing to git).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
# Qt keeps its platform objects until exit; those are not the harness's leaks.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}"
shopt -s nullglob
status=0
for fuzzer in build-fuzz/bin/fuzz_*; do
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
