#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# pelorin-demo on a private Xvfb display reads once through the reader-access library
# from the emulated serial reader its readers file names: the button's read
# reaches the resident card page, and the process has that library loaded.
# Usage: demo_serial_read.sh DEMO_BIN_DIR READER_LIBRARY EMULATOR CARD_FILE
set -u
bin=$1 readerlib=$2 emulator=$3 card=$4
main_title='^身份证件信息读取程序 1\.5\.5版$'
source "$(dirname "$0")/../../scripts/xvfb.sh"
work=$(mktemp -d)
# A runtime and temporary directory of its own (mktemp -d: 0700): the
# demo's single-instance guard then never meets another demo of the account.
export TMPDIR=$work XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
pids=()
trap 'end_x_session "$work"' EXIT
fail() {
    echo "FAIL: $*"
    for f in "$work"/*.out "$work"/*.err "$work"/xvfb.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
    exit 1
}
start_xvfb "$work" || fail "Xvfb did not start"

"$emulator" --card "$card" --link "$work/reader" --baud 115200 >"$work/emulator.out" 2>&1 &
pids+=($!)
timeout 10 bash -c "until grep -q ready '$work/emulator.out'; do sleep 0.1; done" || fail "no emulator"
echo "serial $work/reader" >"$work/readers.conf"

PELORIN_READERS=$work/readers.conf "$bin/pelorin-demo" 2>"$work/demo.err" &
demo=$!
pids+=($demo)
main=$(timeout 20 xdotool search --sync --name "$main_title" | head -n1)
[ -n "$main" ] || fail "no main window"
sleep 0.5
xdotool mousemove --window "$main" 60 23 click 1
timeout 20 bash -c "until grep -q 'is 二代居民身份证' '$work/demo.err'; do sleep 0.1; done" \
    || fail "the read did not reach the card page; stderr: $(cat "$work/demo.err")"
grep -q "$readerlib" "/proc/$demo/maps" || fail "pelorin-demo did not load $readerlib"
echo "pelorin-demo read the card through $readerlib from the emulated serial reader"
