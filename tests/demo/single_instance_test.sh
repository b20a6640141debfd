#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Single-instance guard of pelorin-demo, checked with real processes on a
# private Xvfb display:
#  - a second start while the first runs shows its hint box, opens no main
#    window, and exits with status 255 once the box is answered;
#  - after the first instance is killed (leaving its server file behind), a
#    new start removes the stale file, opens its window and holds the name.
# Usage: single_instance_test.sh PATH/TO/pelorin-demo
set -u
demo=$1
main_title='^身份证件信息读取程序 1\.5\.5版$'
box_title='^二代证阅读器演示程序$'

work=$(mktemp -d)
# QLocalServer puts its file in the temporary directory: a private one keeps
# this test apart from any other demo running on the machine.
export TMPDIR=$work
export QT_QPA_PLATFORM=xcb
server_file=$work/pelorindemolocalserver

source "$(dirname "$0")/../../scripts/xvfb.sh"

# Processes still to be ended at exit; each one leaves the list once reaped,
# so that a number the system has since given to another process is never hit.
pids=()
forget() {
    local kept=() pid
    for pid in "${pids[@]}"; do [ "$pid" != "$1" ] && kept+=("$pid"); done
    pids=("${kept[@]}")
}
trap 'end_x_session "$work"' EXIT

fail() {
    echo "FAIL: $*"
    for f in "$work"/*.err "$work"/xvfb.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
    exit 1
}

start_xvfb "$work" || fail "Xvfb did not start"

windows_named() { xdotool search --name "$1" 2>/dev/null | wc -l; }
wait_for_window() { timeout 20 xdotool search --sync --name "$1" 2>/dev/null | head -n1; }
alive() { kill -0 "$1" 2>/dev/null; }

"$demo" 2>"$work/first.err" &
first=$!; pids+=($first)
[ -n "$(wait_for_window "$main_title")" ] || fail "first instance opened no main window"

"$demo" 2>"$work/second.err" &
second=$!; pids+=($second)
box=$(wait_for_window "$box_title")
[ -n "$box" ] || fail "second instance showed no hint box"
[ "$(windows_named "$main_title")" -eq 1 ] || fail "second instance opened a main window"
grep -q 'version:1.5.5' "$work/second.err" && fail "second instance went on past the guard"

# The box goes away on the key press, so the key release may meet no window.
xdotool key --window "$box" Return 2>/dev/null
for _ in $(seq 100); do alive "$second" || break; sleep 0.1; done
alive "$second" && fail "second instance still runs after its box was answered"
wait "$second"; status=$?
forget "$second"
[ "$status" -eq 255 ] || fail "second instance exited with $status, expected 255"
alive "$first" || fail "first instance ended"
[ "$(windows_named "$main_title")" -eq 1 ] || fail "first instance lost its window"
echo "ok: second start exits with 255 and opens no window"

# A crash leaves the server file behind, with no one listening on it.
kill -9 "$first"; wait "$first" 2>/dev/null
forget "$first"
[ -S "$server_file" ] || fail "no stale server file after killing the first instance"
timeout 10 bash -c "until [ \"\$(xdotool search --name '$main_title' 2>/dev/null | wc -l)\" -eq 0 ]; do sleep 0.1; done" \
    || fail "the killed instance's window stayed"

"$demo" 2>"$work/third.err" &
third=$!; pids+=($third)
[ -n "$(wait_for_window "$main_title")" ] || fail "start after a stale server file opened no window"
alive "$third" || fail "third instance ended"
# The name is held again: a live server answers on the file.
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).connect(sys.argv[1])' "$server_file" \
    || fail "third instance does not hold the instance name"
echo "ok: start after a stale server file opens the window and holds the name"
