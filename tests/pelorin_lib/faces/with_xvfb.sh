#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs a command on its own Xvfb screen of exactly 96 dots per inch. The X
# server's log is shown when the command fails.
set -uo pipefail
source "$(dirname "$0")/../../../scripts/xvfb.sh"

work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT
start_xvfb "$work" || exit 1
export QT_QPA_PLATFORM=xcb
"$@"
status=$?
if [ "$status" -ne 0 ]; then
    echo "--- X server log ($DISPLAY)"
    cat "$work/xvfb.log"
fi
exit "$status"
