#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# The main job: installs only what it needs, builds only pelorin-read and the
# reader-access library, and reads the card of the simulated reader that the
# build tree's readers file names, printing it as JSON and writing the photo,
# both card faces and a true-size copy of them under out/ (the folder, when
# made here, and the files readable by their owner only). Extra arguments go
# to pelorin-read.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run >&2
bash scripts/build.sh run >&2
mkdir -p -m 0700 out
build/bin/pelorin-read --photo out/photo.bmp --front out/front.jpg --back out/back.jpg --copy out/copy.pdf "$@"
