#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Starts pelorin-demo on a private Xvfb display once per sample card, presses
# its read button, and saves one PNG per card page, plus one of the hint box
# of a read without a card.
# Usage: take-screenshots.sh BUILD_BIN_DIR CARD_FIXTURE_DIR OUT_DIR
set -u
bin=$1 cards=$2 out=$3
main_title='^身份证件信息读取程序 [0-9.]+版$'
mkdir -p "$out"
work=$(mktemp -d)
# A runtime and temporary directory of its own (mktemp -d: 0700): the
# demo's single-instance guard then never meets another demo of the account.
export TMPDIR=$work XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb

source "$(dirname "$0")/../../scripts/xvfb.sh"

demo=
cleanup() {
    [ -n "$demo" ] && kill -9 "$demo" 2>/dev/null
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
# On failure the X server's log, each program's error output and the windows
# on the screen are shown, and the logs are kept beside the screenshots.
fail() {
    echo "FAIL: $*"
    mkdir -p "$out/failure"
    cp "$work"/*.log "$work"/*.err "$out/failure/" 2>/dev/null
    for f in "$work"/*.log "$work"/*.err; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
    echo "--- windows"
    xdotool search --name . getwindowname %@ 2>&1 | head -20
    exit 1
}

start_xvfb "$work" || fail "Xvfb did not start"

# A killed demo's window may outlive the process for a moment; the next
# search must not find it.
wait_until_no_main_window() {
    timeout 10 bash -c "while xdotool search --name '$main_title' >/dev/null 2>&1; do sleep 0.1; done" \
        || fail "$1: the previous demo's window stayed"
}

# shoot NAME CARD SCENARIO WINDOW_TITLE [DEBUG_LINE_THAT_ENDS_THE_READ]
shoot() {
    local name=$1 card=$2 scenario=$3 title=$4 done_line=$5
    wait_until_no_main_window "$name"
    KVSSIM_CARD=$cards/$card.json KVSSIM_SCENARIO=$scenario "$bin/pelorin-demo" 2>"$work/$name.err" &
    demo=$!
    local main
    main=$(timeout 20 xdotool search --sync --name "$main_title" | head -n1)
    [ -n "$main" ] || fail "$name: no main window"
    sleep 0.5
    xdotool mousemove --window "$main" 60 23 click 1
    if [ -n "$done_line" ]; then
        timeout 20 bash -c "until grep -q '$done_line' '$work/$name.err'; do sleep 0.1; done" \
            || fail "$name: no '$done_line' line; stderr: $(cat "$work/$name.err")"
    fi
    local target
    target=$(timeout 20 xdotool search --sync --name "$title" | head -n1)
    sleep 1  # let the page repaint
    "$bin/demo-grab-window" "$target" "$out/$name.png" || fail "$name: grab failed"
    kill -9 "$demo"
    wait "$demo" 2>/dev/null || true  # killed on purpose
    demo=
}

shoot page0_cn cn "" "$main_title" "is 二代居民身份证"
shoot page1_hmt hmt "" "$main_title" "is 港澳台居民居住证"
shoot page2_fnew fnew "" "$main_title" "is 新版外国人永久居留身份证"
shoot page3_f2017 f2017 "" "$main_title" "is 2017版外国人永久居留身份证"
shoot hint_no_card cn no-card '^友情提示$' ""
echo "screenshots in $out"
