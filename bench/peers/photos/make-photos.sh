#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Makes the natural photographs of bench_peers: four public-domain or CC0
# pictures from Debian's python3-skimage 0.19.3 (its data folder), each cut
# to the photo's aspect (102:126) and scaled to 102 x 126 as binary PPM.
# Needs apt-get (the package is only unpacked, not installed) and netpbm.
#   bench/peers/photos/make-photos.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get download python3-skimage=0.19.3-8 >/dev/null 2>&1 && dpkg -x python3-skimage_*.deb root)
data="$work/root/usr/lib/python3/dist-packages/skimage/data"
# file, left, top, width, height of the cut (width:height = 102:126)
while read -r file left top width height; do
  anytopnm "$data/$file" 2>/dev/null | pamcut "$left" "$top" "$width" "$height" |
    pamscale -width 102 -height 126 > "$here/${file%.*}.ppm"
done <<'CUTS'
astronaut.png 110 0 330 408
chelsea.png 110 0 243 300
coffee.png 130 0 324 400
rocket.jpg 240 0 345 427
CUTS
