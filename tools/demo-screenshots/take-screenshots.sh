#!/usr/bin/env bash
# Starts pelorin-demo on a private Xvfb display once per sample card, presses
# its read button, and saves one PNG per card page, plus one of the hint box
# of a read without a card.
# Usage: take-screenshots.sh BUILD_BIN_DIR CARD_FIXTURE_DIR OUT_DIR
set -u
bin=$1 cards=$2 out=$3
main_title='^身份证件信息读取程序 1\.5\.5版$'
mkdir -p "$out"
fail() { echo "FAIL: $*"; exit 1; }
source "$(dirname "$0")/../../tests/support/private_display.sh"
start_private_display

# shoot NAME CARD SCENARIO WINDOW_TITLE [DEBUG_LINE_THAT_ENDS_THE_READ]
shoot() {
    local name=$1 card=$2 scenario=$3 title=$4 done_line=$5
    KVSSIM_CARD=$cards/$card.json KVSSIM_SCENARIO=$scenario "$bin/pelorin-demo" 2>"$work/$name.err" &
    local demo=$!
    pids+=($demo)
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
}

shoot page0_cn cn "" "$main_title" "is 二代居民身份证"
shoot page1_hmt hmt "" "$main_title" "is 港澳台居民居住证"
shoot page2_fnew fnew "" "$main_title" "is 新版外国人永久居留身份证"
shoot page3_f2017 f2017 "" "$main_title" "is 2017版外国人永久居留身份证"
shoot hint_no_card cn no-card '^友情提示$' ""
echo "screenshots in $out"
