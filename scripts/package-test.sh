#!/usr/bin/env bash
# Builds the Debian packages, unpacks them into a scratch root (the machine's
# package database is not touched), compiles each installed header on its
# own, builds the example with CMake and with pkg-config against that root,
# reads the simulated card with both, and runs lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
work="$PWD/build-pkg"
rm -rf "$work"
mkdir -p "$work/src"

# dpkg-buildpackage writes the packages beside the source tree: build a copy.
tar --exclude='./build*' --exclude=./.git --exclude=./out -cf - . | tar -C "$work/src" -xf -
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
(cd "$work/src" && dpkg-buildpackage -b -us -uc -j"${PELORIN_JOBS:-$(nproc)}" >"$work/build.log" 2>&1) ||
  { tail -n 40 "$work/build.log"; exit 1; }
ls "$work"/*.deb

root="$work/root"
for deb in "$work"/*.deb; do dpkg -x "$deb" "$root"; done
lib="$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
export PKG_CONFIG_PATH="$lib/pkgconfig"

# Every installed header compiles alone, warning-free, with what pkg-config
# gives (and -fPIC, which Qt asks of all code that includes its headers).
for header in "$root"/usr/include/pelorin/*.h; do
  echo "#include <pelorin/${header##*/}>" |
    g++ -std=c++17 -fPIC -Wall -Wextra -Werror -fsyntax-only -x c++ - $(pkg-config --cflags pelorin)
done
echo "headers: $(ls "$root"/usr/include/pelorin | wc -l) compile on their own"

# The simulator's directory is the one step a user takes to read fake cards;
# the linker needs it too, to resolve libpelorin's reader calls.
export LD_LIBRARY_PATH="$lib:$lib/pelorin/simulator"
export QT_QPA_PLATFORM=offscreen
cmake -S examples/read-card -B "$work/example-cmake" -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$work/example-cmake" >/dev/null
cp -r examples/read-card "$work/example-make"
make -C "$work/example-make" >/dev/null
expected=$'陈思远\nresident identity card'
for program in "$work/example-cmake/read-card" "$work/example-make/read-card"; do
  out="$("$program" 2>/dev/null | grep -v '^\[')"
  [ "$out" = "$expected" ] || { echo "unexpected output of $program: $out"; exit 1; }
done
echo "example: built with CMake and with pkg-config, both read the simulated card"

# Without the simulator step nothing reads fake cards: the program does not start.
if LD_LIBRARY_PATH="$lib" "$work/example-make/read-card" >/dev/null 2>&1; then
  echo "read a card without the reader-access library"; exit 1
fi

lintian --fail-on error "$work"/*.changes
echo "packages: lintian reports no errors"
