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

libdir=$(dirname "$(find "$prefix" -name ravo_libm.pc)")
export PKG_CONFIG_PATH=$libdir
cc -std=c11 "$consumer/consumer.c" $(pkg-config --cflags --libs ravo_libm) -lm -o "$work/pc_c"
c++ -std=c++17 "$consumer/consumer.cpp" $(pkg-config --cflags --libs ravo_libm) -o "$work/pc_cpp"
LD_LIBRARY_PATH=$(dirname "$libdir") "$work/pc_c"
LD_LIBRARY_PATH=$(dirname "$libdir") "$work/pc_cpp"
# The installed tool finds the installed library on its own.
"$prefix/bin/csqrt" -3 4 | grep -q "decimal  1 +2i"
echo "installed tree usable from CMake and pkg-config"
