#!/usr/bin/env bash
# Runs a command on its own Xvfb screen of exactly 96 dots per inch (a screen
# 1440 pixels wide; narrower ones round the millimetre size and drift off 96).
# Xvfb picks a free display number itself and reports it once it is ready.
set -uo pipefail

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1440x900x24 -dpi 96 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -f "$display_file"' EXIT

for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
if [ ! -s "$display_file" ]; then
  echo "with_xvfb: Xvfb did not start" >&2
  exit 1
fi

export DISPLAY=":$(head -n 1 "$display_file")"
export QT_QPA_PLATFORM=xcb
"$@"
