# Sourced by the tests that run real GUI processes: a private work directory
# (also TMPDIR, so the demo's single-instance server file stays private), the
# processes in `pids` killed and the directory removed on exit, and a private
# Xvfb display at 96 dots per inch in DISPLAY.
work=$(mktemp -d)
export TMPDIR=$work QT_QPA_PLATFORM=xcb

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to fd 3. A screen
# 1440 pixels wide at 96 dpi: Qt then sees exactly 96 dots per inch.
start_private_display() {
    Xvfb -displayfd 3 -screen 0 1440x900x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=:$(head -n1 "$work/display")
}
