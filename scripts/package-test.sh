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

# The new deliverables are in the packages, the configuration files as conffiles.
for file in usr/bin/pelorin-service usr/lib/systemd/user/pelorin-service.service usr/share/pelorin/web/index.html \
  "${lib#$root/}/libpelorin_c.so.1" "${lib#$root/}/libkvsdecompose.so" usr/include/pelorin/pelorin_c.h \
  var/log/pelorin; do
  [ -e "$root/$file" ] || { echo "not in the packages: /$file"; exit 1; }
done
for conffile in service:/etc/pelorin/service.conf reader:/etc/pelorin/readers.conf; do
  dpkg-deb --ctrl-tarfile "$work"/pelorin-${conffile%%:*}_*.deb | tar -xOf - ./conffiles | grep -qx "${conffile#*:}" ||
    { echo "not a conffile: ${conffile#*:}"; exit 1; }
done

# The simulator's directory is the one step a user takes to read fake cards:
# in front of the default path, where pelorin-reader's library for real
# readers is. The linker needs it too, to resolve libpelorin's reader calls.
export LD_LIBRARY_PATH="$lib/pelorin/simulator:$lib"
export QT_QPA_PLATFORM=offscreen
# The example as the package installs it, not the source tree's copy.
example="$root/usr/share/doc/libpelorin-dev/examples/read-card"
cmake -S "$example" -B "$work/example-cmake" -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$work/example-cmake" >/dev/null
cp -r "$example" "$work/example-make"
make -C "$work/example-make" >/dev/null
expected=$'陈思远\nresident identity card'
for program in "$work/example-cmake/read-card" "$work/example-make/read-card"; do
  out="$("$program" 2>/dev/null | grep -v '^\[')"
  [ "$out" = "$expected" ] || { echo "unexpected output of $program: $out"; exit 1; }
done
echo "example: built with CMake and with pkg-config, both read the simulated card"
out="$(PYTHONDONTWRITEBYTECODE=1 PYTHONPATH="$root/usr/lib/python3/dist-packages" PELORIN_LIBRARY="$lib/libpelorin_c.so.1" python3 -m pelorin 2>/dev/null)"
grep -q '陈思远' <<<"$out" || { echo "python3 -m pelorin did not print the card: $out"; exit 1; }
echo "python: the module from the packages reads the simulated card"

# Without the simulator step the real readers' library answers, and with the
# readers file as installed (no reader named) nothing reads a card.
if LD_LIBRARY_PATH="$lib" PELORIN_READERS="$root/etc/pelorin/readers.conf" "$work/example-make/read-card" >/dev/null 2>&1; then
  echo "read a card without the simulator step"; exit 1
fi

# pelorin-read names the reader library the loader took, installed as in a
# build tree; with the readers file as installed --probe says "not configured".
for dir in "$lib" "$lib/pelorin/simulator"; do
  LD_LIBRARY_PATH="$dir:$lib" "$root/usr/bin/pelorin-read" --help |
    grep -qx "Reader library in use: $(realpath "$dir/libkvsdecompose.so")" ||
    { echo "pelorin-read --help does not name $dir/libkvsdecompose.so"; exit 1; }
done
status=0
LD_LIBRARY_PATH="$lib" PELORIN_READERS="$root/etc/pelorin/readers.conf" "$root/usr/bin/pelorin-read" --probe \
  >/dev/null 2>&1 || status=$?
[ "$status" = 6 ] || { echo "pelorin-read --probe without readers exited $status, not 6"; exit 1; }
echo "pelorin-read: names the reader library in use; --probe without readers exits 6"

lintian --fail-on error "$work"/*.changes
echo "packages: lintian reports no errors"
