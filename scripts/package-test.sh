#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the Debian packages, unpacks them into a scratch root (the machine's
# package database is not touched), runs lintian, compiles each installed
# header on its own, builds the examples (C++, and C against the C packages
# alone) with CMake and with pkg-config against that root, and reads the
# simulated card with them, chosen by the readers file of pelorin-simulator.
# As root, it then installs the packages, uses them and purges them
# (scripts/install-test.sh).
#   scripts/package-test.sh         this machine's packages
#   scripts/package-test.sh arm64   arm64's, cross-built: the example is built
#                                   with CMake and reads the card under qemu-user
set -euo pipefail
cd "$(dirname "$0")/.."
arch="${1:-$(dpkg --print-architecture)}"
work="$PWD/build-pkg"
[ "$arch" = "$(dpkg --print-architecture)" ] || work="$PWD/build-pkg-$arch"
rm -rf "$work"
mkdir -p "$work/src"

# dpkg-buildpackage writes the packages beside the source tree: build a copy.
tar --exclude='./build*' --exclude=./.git --exclude=./out -cf - . | tar -C "$work/src" -xf -
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
# The system's tools only, as on a build machine: not a python3 of the
# user's own earlier on PATH, which lacks Debian's modules.
(cd "$work/src" && PATH=/usr/sbin:/usr/bin:/sbin:/bin dpkg-buildpackage -a"$arch" -b -us -uc -j"${PELORIN_JOBS:-$(nproc)}" >"$work/build.log" 2>&1) ||
  { tail -n 40 "$work/build.log"; exit 1; }
ls "$work"/*.deb
# What lintian cannot know is said in debian/*.lintian-overrides, with why.
lintian --fail-on error,warning "$work"/*.changes
echo "packages: lintian reports no errors and no warnings"

# Every package of debian/control, for this architecture (or all).
for package in $(sed -n 's/^Package: //p' debian/control); do
  compgen -G "$work/${package}_*_$arch.deb" >/dev/null || compgen -G "$work/${package}_*_all.deb" >/dev/null ||
    { echo "not built for $arch: $package"; exit 1; }
done

root="$work/root"
for deb in "$work"/*.deb; do dpkg -x "$deb" "$root"; done
# What a C program needs, without the C++ development files.
c_root="$work/c-root"
for package in libpelorin1 libpelorin-c-dev pelorin-reader pelorin-simulator; do
  dpkg -x "$(compgen -G "$work/${package}_*_$arch.deb" || compgen -G "$work/${package}_*_all.deb")" "$c_root"
done
lib="$root/usr/lib/$(dpkg-architecture -a"$arch" -qDEB_HOST_MULTIARCH 2>/dev/null)"
case "$arch" in
  amd64) machine="x86-64" ;;
  arm64) machine="ARM aarch64" ;;
esac
file -L "$lib/libpelorin.so.1" | grep -q "$machine" ||
  { echo "not $machine code: $(file -L "$lib/libpelorin.so.1")"; exit 1; }
echo "packages: all $(ls "$work"/*.deb | wc -l) built, libpelorin.so.1 is $machine code"

# The kit is unpacked here, not installed: the loader and the linker find its
# libraries through LD_LIBRARY_PATH. The one step a user takes to read fake
# cards is the readers file that names the simulated reader.
export LD_LIBRARY_PATH="$lib"
simulated_readers="$root/usr/share/pelorin/simulator/readers.conf"
export PELORIN_READERS="$simulated_readers"
export QT_QPA_PLATFORM=offscreen
# The example as the package installs it, not the source tree's copy.
example="$root/usr/share/doc/libpelorin-dev/examples/read-card"
expected=$'陈思远\nresident identity card'

if [ "$arch" = arm64 ]; then
  cmake -S "$example" -B "$work/example-cmake" -DCMAKE_PREFIX_PATH="$root/usr" \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-arm64.cmake" >/dev/null
  cmake --build "$work/example-cmake" >/dev/null
  out="$(qemu-aarch64-static "$work/example-cmake/read-card" 2>/dev/null | grep -v '^\[')"
  [ "$out" = "$expected" ] || { echo "unexpected output of the arm64 example: $out"; exit 1; }
  cmake -S "$c_root/usr/share/doc/libpelorin-c-dev/examples/read-card-c" -B "$work/example-c-cmake" \
    -DCMAKE_PREFIX_PATH="$c_root/usr" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-arm64.cmake" >/dev/null
  cmake --build "$work/example-c-cmake" >/dev/null
  out="$(qemu-aarch64-static "$work/example-c-cmake/read-card-c" 2>/dev/null)"
  [ "$out" = "ID_TYPE_CN 110108198803151231" ] || { echo "unexpected output of the arm64 C example: $out"; exit 1; }
  echo "examples: C++ and C cross-built with CMake, both read the simulated card under qemu-user"
  exit 0
fi
# The .pc files say prefix=/usr, as installed; here copies whose prefix is
# the unpacked root stand in for them.
relocated_pc() {  # ROOT: prints the folder of the copies
  local pc_dir="$1.pkgconfig" pc
  mkdir -p "$pc_dir"
  for pc in "${lib/#$root/$1}"/pkgconfig/*.pc; do
    head -n 1 "$pc" | grep -qx 'prefix=/usr' || { echo "not prefix=/usr: $pc" >&2; exit 1; }
    sed "1s|.*|prefix=$1/usr|" "$pc" >"$pc_dir/${pc##*/}"
  done
  echo "$pc_dir"
}
PKG_CONFIG_PATH="$(relocated_pc "$root")"
export PKG_CONFIG_PATH

# Every installed header compiles alone, warning-free, with what pkg-config
# gives (and -fPIC, which Qt asks of all code that includes its headers).
for header in "$root"/usr/include/pelorin/*.h; do
  echo "#include <pelorin/${header##*/}>" |
    g++ -std=c++17 -fPIC -Wall -Wextra -Werror -fsyntax-only -x c++ - $(pkg-config --cflags pelorin)
done
echo "headers: $(ls "$root"/usr/include/pelorin | wc -l) compile on their own"

# The new deliverables are in the packages, the configuration files as conffiles.
for file in usr/bin/pelorin-service usr/lib/systemd/user/pelorin-service.service usr/share/pelorin/web/index.html \
  "${lib#$root/}/libpelorin_c.so.1" "${lib#$root/}/libkvsdecompose.so" usr/include/pelorin/pelorin_c.h \
  usr/share/pelorin/simulator/readers.conf var/log/pelorin usr/share/pelorin/simulator/README.md \
  usr/share/pelorin/udev/README.md usr/share/man/man3/pelorin_c.3.gz usr/share/man/man5/readers.conf.5.gz; do
  [ -e "$root/$file" ] || { echo "not in the packages: /$file"; exit 1; }
done
for conffile in service:/etc/pelorin/service.conf reader:/etc/pelorin/readers.conf; do
  dpkg-deb --ctrl-tarfile "$work"/pelorin-${conffile%%:*}_*.deb | tar -xOf - ./conffiles | grep -qx "${conffile#*:}" ||
    { echo "not a conffile: ${conffile#*:}"; exit 1; }
done

cmake -S "$example" -B "$work/example-cmake" -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$work/example-cmake" >/dev/null
cp -r "$example" "$work/example-make"
make -C "$work/example-make" >/dev/null
for program in "$work/example-cmake/read-card" "$work/example-make/read-card"; do
  out="$("$program" 2>/dev/null | grep -v '^\[')"
  [ "$out" = "$expected" ] || { echo "unexpected output of $program: $out"; exit 1; }
done
echo "example: built with CMake and with pkg-config, both read the simulated card"

# The C example against the C packages alone: a plain cc line with pkg-config,
# its Makefile, and CMake (which finds no C++ targets there).
c_lib="${lib/#$root/$c_root}"
c_example="$c_root/usr/share/doc/libpelorin-c-dev/examples/read-card-c"
cp -r "$c_example" "$work/example-c-make"
(PKG_CONFIG_PATH="$(relocated_pc "$c_root")"
  export PKG_CONFIG_PATH
  cd "$work/example-c-make"
  cc -o read-card-cc read_card.c $(pkg-config --cflags --libs pelorin_c)
  make >/dev/null)
cmake -S "$c_example" -B "$work/example-c-cmake" -DCMAKE_PREFIX_PATH="$c_root/usr" >/dev/null
cmake --build "$work/example-c-cmake" >/dev/null
if cmake -S "$example" -B "$work/example-cxx-in-c-root" -DCMAKE_PREFIX_PATH="$c_root/usr" >/dev/null 2>&1; then
  echo "the C++ example configured against the C packages alone"; exit 1
fi
for program in "$work/example-c-make/read-card-cc" "$work/example-c-make/read-card-c" "$work/example-c-cmake/read-card-c"; do
  out="$(LD_LIBRARY_PATH="$c_lib" PELORIN_READERS="$c_root/usr/share/pelorin/simulator/readers.conf" "$program" 2>/dev/null)"
  [ "$out" = "ID_TYPE_CN 110108198803151231" ] || { echo "unexpected output of $program: $out"; exit 1; }
done
echo "C example: built against libpelorin-c-dev alone with cc and pkg-config, make and CMake; all read the simulated card"

# A card file of each kind, as pelorin-simulator installs them.
for card in cn:ID_TYPE_CN hmt:ID_TYPE_HMT fnew:ID_TYPE_FOREIGN_NEW f2017:ID_TYPE_FOREIGN_2017; do
  KVSSIM_CARD="$root/usr/share/pelorin/simulator/cards/${card%%:*}.json" "$root/usr/bin/pelorin-read" 2>/dev/null |
    grep -q "\"kind\": \"${card#*:}\"" || { echo "the installed card file ${card%%:*}.json is not read as ${card#*:}"; exit 1; }
done
echo "simulator: the installed card files of all four kinds are read"
out="$(PYTHONDONTWRITEBYTECODE=1 PYTHONPATH="$root/usr/lib/python3/dist-packages" PELORIN_LIBRARY="$lib/libpelorin_c.so.1" python3 -m pelorin 2>/dev/null)"
grep -q '陈思远' <<<"$out" || { echo "python3 -m pelorin did not print the card: $out"; exit 1; }
version="$(sed -n 's/^project(pelorin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
out="$(PYTHONDONTWRITEBYTECODE=1 PYTHONPATH="$root/usr/lib/python3/dist-packages" python3 -c "
import importlib.metadata, pelorin
print(pelorin.__version__, importlib.metadata.version('pelorin'))")"
[ "$out" = "$version $version" ] || { echo "python3-pelorin's versions are not $version: $out"; exit 1; }
# A program names the readers file itself, whatever its environment says.
out="$(PELORIN_READERS="$root/etc/pelorin/readers.conf" PYTHONDONTWRITEBYTECODE=1 \
  PYTHONPATH="$root/usr/lib/python3/dist-packages" PELORIN_LIBRARY="$lib/libpelorin_c.so.1" python3 -c "
import pelorin
pelorin.use_readers('$simulated_readers')
print(pelorin.readers(), pelorin.read().name)" 2>/dev/null)"
[ "$out" = "[Reader(kind='simulated', where='', present=True)] 陈思远" ] ||
  { echo "pelorin.use_readers() did not read the simulated card: $out"; exit 1; }
echo "python: the module from the packages reads the simulated card, also by pelorin.use_readers()"

# With the readers file as installed (no reader named) nothing reads a card.
if PELORIN_READERS="$root/etc/pelorin/readers.conf" "$work/example-make/read-card" >/dev/null 2>&1; then
  echo "read a card with the readers file as installed"; exit 1
fi

# pelorin-read names the reader-access library in use; --probe asks the
# simulated reader, and with the readers file as installed says "not configured".
"$root/usr/bin/pelorin-read" --help | grep -qx "Reader library in use: $(realpath "$lib/libkvsdecompose.so")" ||
  { echo "pelorin-read --help does not name $lib/libkvsdecompose.so"; exit 1; }
"$root/usr/bin/pelorin-read" --probe | grep -qx 'simulated: present, card found (144)' ||
  { echo "pelorin-read --probe does not find the simulated card"; exit 1; }
status=0
PELORIN_READERS="$root/etc/pelorin/readers.conf" "$root/usr/bin/pelorin-read" --probe >/dev/null 2>&1 || status=$?
[ "$status" = 6 ] || { echo "pelorin-read --probe without readers exited $status, not 6"; exit 1; }
echo "pelorin-read: names the reader-access library in use; --probe finds the simulated card, without readers exits 6"

if [ "$(id -u)" = 0 ]; then
  scripts/install-test.sh "$work"
else
  echo "install: skipped, needs root (scripts/install-test.sh $work)"
fi
