#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the packages package-test.sh built into this machine, uses them as
# root once (the Python module then may write byte-code, the library its log),
# purges them and checks that none of their files, nor anything they made,
# is left. Needs root. A machine that has any of them installed already is
# left alone: its packages are the administrator's.
#   scripts/install-test.sh BUILD_PKG_DIR
set -euo pipefail
work="$(realpath "$1")"
cd "$(dirname "$0")/.."
packages=($(sed -n 's/^Package: //p' debian/control))
for package in "${packages[@]}"; do
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
    echo "install: skipped, $package is installed on this machine"; exit 0
  fi
done

purge() { DEBIAN_FRONTEND=noninteractive apt-get purge -y -q "${packages[@]}" >>"$work/install.log" 2>&1; }
trap purge EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$work"/*.deb >>"$work/install.log" 2>&1 ||
  { tail -n 20 "$work/install.log"; exit 1; }
files="$work/installed-files"
for package in "${packages[@]}"; do dpkg -L "$package"; done | sort -u >"$files"

# Installed: found by name, with no variable pointing into a build.
out="$(cd / && env -u PELORIN_LIBRARY -u PYTHONPATH PELORIN_READERS=/usr/share/pelorin/simulator/readers.conf \
  QT_QPA_PLATFORM=offscreen /usr/bin/python3 -m pelorin 2>&1)" || true
grep -q '陈思远' <<<"$out" || { echo "installed: python3 -m pelorin did not print the card: $out"; exit 1; }
compgen -G "/usr/lib/python3/dist-packages/pelorin/__pycache__/*.pyc" >/dev/null ||
  { echo "installed: the module is not byte-compiled"; exit 1; }
echo "install: the installed module reads the simulated card"

trap - EXIT
purge
left=()
while read -r path; do
  [ -e "$path" ] && [ ! -d "$path" ] && left+=("$path")
done <"$files"
for path in /usr/lib/python3/dist-packages/pelorin* /usr/share/pelorin /etc/pelorin /var/log/pelorin \
  /usr/include/pelorin /usr/lib/*/cmake/pelorin /usr/share/doc/libpelorin*; do
  [ -e "$path" ] && left+=("$path")
done
[ ${#left[@]} = 0 ] || { echo "left after purge: ${left[*]}"; exit 1; }
echo "install: purged, none of the packages' files is left"
