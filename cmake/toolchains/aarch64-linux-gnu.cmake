# Cross-building for 64-bit Arm Linux with Debian's cross compilers
# (g++-aarch64-linux-gnu) and the target's libraries from the arm64
# architecture (GoogleTest, MPFR, MPC; see tools/install-deps.sh --aarch64).
# The test programs run under qemu-user: CMake puts the emulator in front of
# every target it runs, ctest's tests and gtest_discover_tests' listing
# included.
#   cmake -S . -B build-aarch64 -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(RAVO_CROSS_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${RAVO_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${RAVO_CROSS_TRIPLE}-g++)

# The cross C library and libstdc++ live under /usr/aarch64-linux-gnu, the
# multiarch packages' libraries and CMake package files under
# /usr/lib/aarch64-linux-gnu: libraries and packages come only from there.
# Their headers are in the shared /usr/include, the architecture's own ones
# (gmp.h) in /usr/include/aarch64-linux-gnu, which the library architecture
# puts first; so headers are also looked for outside the roots.
set(CMAKE_FIND_ROOT_PATH /usr/${RAVO_CROSS_TRIPLE} /usr/lib/${RAVO_CROSS_TRIPLE})
set(CMAKE_LIBRARY_ARCHITECTURE ${RAVO_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)  # cmake, gappa, python3, nm: the build machine's
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)

# The emulator runs each program with the target's dynamic loader, which
# must come from the same build of the C library as the libc.so.6 it loads.
# Debian's arm64 C library (which the arm64 MPFR, MPC and GoogleTest
# packages bring) puts both in their usual places, /lib and
# /lib/aarch64-linux-gnu, where qemu finds them unprefixed. A prefix of
# /usr/aarch64-linux-gnu (-L) would take the cross toolchain's loader but
# still the arm64 libc.so.6, first on the loader's path: a mixed pair, under
# which a program hangs when it starts a thread. Without the arm64 C
# library, the toolchain's own pair under that prefix serves.
if(EXISTS /lib/ld-linux-aarch64.so.1)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR};-L;/usr/${RAVO_CROSS_TRIPLE})
endif()
