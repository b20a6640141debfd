#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Single-instance guard of pelorin-demo, checked with real processes on a
# private Xvfb display:
#  - a second start while the first runs shows its hint box, opens no main
#    window, and exits with status 255 once the box is answered;
#  - another account gets an instance of its own beside it, guarded as well;
#  - after the first instance is killed (leaving its server file behind), a
#    new start removes the stale file, opens its window and holds the name,
#    while the stale files another account left stay where they are.
# Root and nobody share the temporary directory and an XDG_RUNTIME_DIR that
# is nobody's: root must not take it for its own.
# Usage: single_instance_test.sh HOW-TO-START-pelorin-demo [ITS-FILE]
# (the two differ in a cross build, whose programs start through a launcher
# of the emulator)
set -u
demo=$1 demo_file=${2:-$1}
main_title="^身份证件信息读取程序 ${PELORIN_VERSION//./\\.}版\$"
box_title='^二代证阅读器演示程序$'

work=$(mktemp -d)
chmod 755 "$work"
# A temporary directory of the test's own keeps it apart from any other demo
# running on the machine.
mkdir -m 1777 "$work/tmp"
mkdir -m 700 "$work/run-nobody" && chown 65534:65534 "$work/run-nobody"
export TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/run-nobody
export QT_QPA_PLATFORM=xcb
server_file=$TMPDIR/pelorin-demo-$(id -u)/pelorindemolocalserver
nobody_file=$XDG_RUNTIME_DIR/pelorindemolocalserver
# env and setpriv exec their command: the process id of `"${as_nobody[@]}" CMD &` is CMD's.
# Nobody may not reach the build tree (a clone under /root): its demo is a
# copy, beside copies of the libraries it finds beside itself, started the
# same way as the original.
built=$(dirname "$demo_file")
mkdir -m 755 "$work/bin"
cp "$demo_file" "$built"/lib*.so* "$built"/*.conf "$work/bin/"
nobody_demo=$work/bin/$(basename "$demo_file")
if [ "$demo" != "$demo_file" ]; then
    sed "s|$built/|$work/bin/|g" "$demo" >"$work/bin/launcher"
    chmod 755 "$work/bin/launcher"
    nobody_demo=$work/bin/launcher
fi
# Nor the leak check's suppressions beside the tree (a sanitizer build).
nobody_env=()
if [[ "${LSAN_OPTIONS:-}" =~ suppressions=([^:]*) ]]; then
    cp "${BASH_REMATCH[1]}" "$work/bin/lsan.supp"
    nobody_env=(env "LSAN_OPTIONS=${LSAN_OPTIONS/"${BASH_REMATCH[1]}"/$work/bin/lsan.supp}")
fi
as_nobody=("${nobody_env[@]}" setpriv --reuid=65534 --regid=65534 --clear-groups)

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

# A second start (the command that starts it) by the account that runs
# `windows` main windows: a hint box, no window more, status 255 once answered.
expect_refused() {
    local windows=$1 who=$2; shift 2
    "$@" 2>"$work/$who.err" &
    local second=$!; pids+=($second)
    local box status
    box=$(wait_for_window "$box_title")
    if [ -z "$box" ]; then
        alive "$second" || { wait "$second"; fail "$who: second instance ended with $? and no hint box"; }
        fail "$who: second instance showed no hint box"
    fi
    [ "$(windows_named "$main_title")" -eq "$windows" ] || fail "$who: second instance opened a main window"
    grep -qF "version:$PELORIN_VERSION" "$work/$who.err" && fail "$who: second instance went on past the guard"
    # The box goes away on the key press, so the key release may meet no
    # window: release the key for the display, or its repeats answer the next box.
    xdotool key --window "$box" Return 2>/dev/null
    xdotool keyup Return 2>/dev/null
    for _ in $(seq 100); do alive "$second" || break; sleep 0.1; done
    alive "$second" && fail "$who: second instance still runs after its box was answered"
    wait "$second"; status=$?
    forget "$second"
    [ "$status" -eq 255 ] || fail "$who: second instance exited with $status, expected 255"
}

expect_refused 1 second "$demo"
alive "$first" || fail "first instance ended"
[ "$(windows_named "$main_title")" -eq 1 ] || fail "first instance lost its window"
echo "ok: second start exits with 255 and opens no window"

"${as_nobody[@]}" "$nobody_demo" 2>"$work/nobody.err" &
nobody=$!; pids+=($nobody)
timeout 20 bash -c "until [ \"\$(xdotool search --name '$main_title' 2>/dev/null | wc -l)\" -eq 2 ]; do sleep 0.1; done" \
    || fail "another account's start opened no window of its own"
[ -S "$nobody_file" ] || fail "another account's instance holds no server in its runtime directory"
expect_refused 2 nobody-second "${as_nobody[@]}" "$nobody_demo"
alive "$nobody" && alive "$first" || fail "an instance ended"
echo "ok: another account gets one instance of its own"

# Another account's crash leaves its file, and a file at the old shared place.
kill -9 "$nobody"; wait "$nobody" 2>/dev/null
forget "$nobody"
"${as_nobody[@]}" /usr/bin/python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' \
    "$TMPDIR/pelorindemolocalserver" || fail "could not plant a file as another account"

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
[ -S "$nobody_file" ] && [ -S "$TMPDIR/pelorindemolocalserver" ] || fail "another account's files were removed"
echo "ok: start after a stale server file opens the window and holds the name"
