#!/usr/bin/env bash
# Installs the built library into a scratch prefix, then builds and runs the
# consumer programs against it through find_package and through pkg-config.
set -euo pipefail
build=$1 consumer=$2 work=$3
rm -rf "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

cmake -S "$consumer" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
for program in consumer_c consumer_cpp consumer_cpp_static; do
  "$work/cmake-build/$program"
done

export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name ravo_libm.pc)")
# As the README says for a prefix outside the loader's path: the library's
# folder recorded as the program's rpath.
rpath=-Wl,-rpath,$(pkg-config --variable=libdir ravo_libm)
cc -std=c11 "$consumer/consumer.c" $(pkg-config --cflags --libs ravo_libm) "$rpath" -lm -o "$work/pc_c"
c++ -std=c++17 "$consumer/consumer.cpp" $(pkg-config --cflags --libs ravo_libm) "$rpath" -o "$work/pc_cpp"
env -u LD_LIBRARY_PATH "$work/pc_c"
env -u LD_LIBRARY_PATH "$work/pc_cpp"
# The installed tool finds the installed library on its own.
"$prefix/bin/csqrt" -3 4 | grep -q "decimal  1 +2i"
echo "installed tree usable from CMake and pkg-config"
