# SPDX-License-Identifier: Apache-2.0
# Sourced by the scripts that need a private X display.
#   start_xvfb WORK_DIR   starts Xvfb on a free display of its choosing (a screen
#                         1440 pixels wide at 96 dpi: Qt then sees exactly 96 dots
#                         per inch), waits until it is ready and exports DISPLAY
#                         and XVFB_PID; the server's log is WORK_DIR/xvfb.log.
#   stop_xvfb             ends it.
#   end_x_session WORK_DIR  ends the processes whose ids are in the array `pids`,
#                         then the X server, and removes WORK_DIR.
# -noreset: without it the server resets whenever its last client leaves
# (a demo killed between two screenshots), and a client connecting just then
# can be refused.
start_xvfb() {
    local work=$1
    Xvfb -displayfd 3 -screen 0 1440x900x24 -dpi 96 -nolisten tcp -noreset \
        3>"$work/display" 2>"$work/xvfb.log" &
    XVFB_PID=$!
    local _
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    if [ ! -s "$work/display" ]; then
        echo "Xvfb did not start; its log:" >&2
        cat "$work/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$work/display")" XVFB_PID
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] || return 0
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

end_x_session() {
    local pid
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
    stop_xvfb
    wait 2>/dev/null
    rm -rf "$1"
}
