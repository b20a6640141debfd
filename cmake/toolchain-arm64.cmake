# SPDX-License-Identifier: Apache-2.0
# Cross build for arm64 with Debian's cross compilers and the :arm64
# development packages (multiarch: no sysroot of its own). Programs built here
# run under qemu-user, so ctest runs the test programs as arm64 code.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(PKG_CONFIG_EXECUTABLE aarch64-linux-gnu-pkg-config CACHE FILEPATH "pkg-config for arm64")
# The :arm64 packages put arm64's own loader and C library in their multiarch
# places, where qemu finds them. (Its -L /usr/aarch64-linux-gnu would take the
# cross toolchain's loader, of another glibc build than the C library.)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
