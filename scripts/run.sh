#!/usr/bin/env bash
# The main job: installs what is missing, builds, and reads the card on the
# simulated reader, printing it as JSON and writing the photo and both card
# faces under out/. Extra arguments go to pelorin-read.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >&2
bash scripts/build.sh normal >&2
mkdir -p out
build/bin/pelorin-read --photo out/photo.bmp --front out/front.jpg --back out/back.jpg "$@"
