#!/usr/bin/env bash
# Installs the library into a temporary prefix, then builds and runs a consumer project twice:
# once with find_package(ktbase) against the installed package, once with add_subdirectory.
# Also checks the pkg-config file.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/deps.sh" pkgconfig
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKTBASE_BUILD_TESTS=OFF \
  -DKTBASE_BUILD_EXAMPLES=OFF -DCMAKE_INSTALL_PREFIX="$work/prefix" >/dev/null
cmake --build "$work/build" -j "$jobs" >/dev/null
cmake --install "$work/build" >/dev/null
ls "$work/prefix"/lib*/libktbase.so.0 >/dev/null

cmake -S "$root/cmake/consumer" -B "$work/found" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/found" >/dev/null
"$work/found/consumer"

cmake -S "$root/cmake/consumer" -B "$work/embedded" -G Ninja -DKTBASE_SOURCE_DIR="$root" >/dev/null
cmake --build "$work/embedded" >/dev/null
"$work/embedded/consumer"

pcdir=$(dirname "$(ls "$work/prefix"/lib*/pkgconfig/ktbase.pc)")
flags=$(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs ktbase)
libdir=$(PKG_CONFIG_PATH="$pcdir" pkg-config --variable=libdir ktbase)
g++ -std=c++17 "$root/cmake/consumer/main.cpp" $flags -o "$work/pc-consumer"
LD_LIBRARY_PATH="$libdir" "$work/pc-consumer"
echo "install check: find_package, add_subdirectory and pkg-config consumers all ran"
