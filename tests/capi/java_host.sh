#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# Compiles the Java example with the Java host test and runs them in real
# JVMs: the host's thousand reads, then the example itself with a display
# that cannot be reached. Both choose the simulated reader by a readers file:
# the host through PELORIN_READERS, the example by naming it (useReaders).
# Skipped (77) only where no JDK or JNA is installed.
# Usage: java_host.sh EXAMPLES_DIR TEST_SOURCE
set -eu
jna=/usr/share/java/jna.jar
if ! command -v javac >/dev/null || [ ! -f "$jna" ]; then
  echo "no JDK or no JNA ($jna): apt install default-jdk-headless libjna-java"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
javac -d "$work/classes" -cp "$jna" "$1"/*.java "$2"
export KVSSIM_CARD= KVSSIM_SCENARIO= KVSSIM_SCENARIO_FILE="$work/scenario"
: >"$KVSSIM_SCENARIO_FILE"
echo simulated >"$work/readers.conf"
PELORIN_READERS="$work/readers.conf" java -cp "$work/classes:$jna" JavaHost

echo "simulated $(dirname "$2")/../fixtures/cards/hmt.json" >"$work/permit.conf"
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u PELORIN_READERS DISPLAY=:99 \
  java -cp "$work/classes:$jna" ReadCard "$work/permit.conf" >"$work/out" 2>"$work/err"
head -n 1 "$work/out" | grep -qx 'ID_TYPE_HMT 810000198507230014' || { echo "ReadCard printed:"; cat "$work/out"; exit 1; }
[ ! -s "$work/err" ] || { echo "ReadCard wrote to standard error:"; cat "$work/err"; exit 1; }
echo "java example: read the card its readers file names, with DISPLAY=:99"
