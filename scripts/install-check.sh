#!/usr/bin/env bash
# Installs the library as the README tells users to (configured without an install prefix, then
# `cmake --install build --prefix DIR`) and builds and runs the consumers against it: with
# find_package, with add_subdirectory and with pkg-config. Then moves the installed tree to another
# folder and builds the find_package and pkg-config consumers again, fresh, against the moved tree;
# an installed omltool must answer --help from there. Last, installs with a Debian-style libdir and
# a deeper includedir: the package files must find the prefix from any depth.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/deps.sh" pkgconfig
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The README's commands leave the generator to CMake; deps.sh guarantees Ninja, not Make.
export CMAKE_GENERATOR=Ninja

fail() {
  echo "install check: $*" >&2
  exit 1
}

# Fails unless every path given resolves to a place inside the folder TREE.
inside() {
  local tree path
  tree=$(realpath "$1")
  shift
  for path in "$@"; do
    case "$(realpath -m "$path")/" in
      "$tree"/*) ;;
      *) fail "$path is outside the installed tree $tree" ;;
    esac
  done
}

# Runs PROGRAM with its arguments after checking that it loads libktbase from the installed tree
# TREE, so that neither an older install elsewhere nor the build tree can stand in for it.
run_from() {
  local tree=$1 program=$2 lib
  shift 2
  lib=$(ldd "$program" | awk '$1 ~ /^libktbase\.so/ { print $3 }')
  [[ -n $lib && $lib != not ]] || fail "$program does not find libktbase"
  inside "$tree" "$lib"
  "$program" "$@"
}

# Configures and builds the consumer project against the CMake package under TREE and runs it.
cmake_consumer() {
  local tree=$1 build=$2
  cmake -S "$root/cmake/consumer" -B "$build" -DCMAKE_PREFIX_PATH="$tree" >/dev/null
  inside "$tree" "$(sed -n 's/^ktbase_DIR:PATH=//p' "$build/CMakeCache.txt")"
  cmake --build "$build" >/dev/null
  run_from "$tree" "$build/consumer"
}

# Builds the consumer's main.cpp with the flags of the ktbase.pc under TREE and runs it. The check
# first looks at what the file names: a stale header folder on the compiler's own search path
# (such as /usr/local/include) must not hide a wrong includedir.
pkgconfig_consumer() {
  local tree=$1 out=$2 pc pcdir includedir libdir header
  pc=$(find "$tree" -name ktbase.pc -path '*/pkgconfig/*')
  [ -n "$pc" ] || fail "no ktbase.pc under $tree"
  pcdir=$(dirname "$pc")
  includedir=$(PKG_CONFIG_PATH=$pcdir pkg-config --variable=includedir ktbase)
  libdir=$(PKG_CONFIG_PATH=$pcdir pkg-config --variable=libdir ktbase)
  inside "$tree" "$includedir" "$libdir"
  # Every header the umbrella header lists is installed, and so is the umbrella header itself.
  for header in ktbase/ktbase.h \
    $(sed -n 's/^#include "\(ktbase\/.*\)"$/\1/p' "$root/ktbase/ktbase.h"); do
    [ -f "$includedir/$header" ] || fail "$header is not installed in $includedir"
  done
  # shellcheck disable=SC2046 # the flags are words
  g++ -std=c++17 "$root/cmake/consumer/main.cpp" $(PKG_CONFIG_PATH=$pcdir pkg-config --cflags \
    --libs ktbase) -Wl,-rpath,"$libdir" -o "$out"
  run_from "$tree" "$out"
}

cmake -S "$root" -B "$work/build" -DKTBASE_BUILD_TESTS=OFF -DKTBASE_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$work/build" >/dev/null
cmake --install "$work/build" --prefix "$work/prefix" >/dev/null

cmake_consumer "$work/prefix" "$work/found"
cmake -S "$root/cmake/consumer" -B "$work/embedded" -DKTBASE_SOURCE_DIR="$root" >/dev/null
cmake --build "$work/embedded" >/dev/null
"$work/embedded/consumer"
pkgconfig_consumer "$work/prefix" "$work/pc-consumer"

# The whole tree moves; nothing is left at the old place for a consumer to fall back on.
mv "$work/prefix" "$work/moved"
cmake_consumer "$work/moved" "$work/found-moved"
pkgconfig_consumer "$work/moved" "$work/pc-consumer-moved"
# Installed tools are checked once there are any.
tool=""
if [ -e "$work/moved/bin/omltool" ]; then
  run_from "$work/moved" "$work/moved/bin/omltool" --help >/dev/null
  tool=", omltool --help"
fi

# The same build, reconfigured for other install folders only (nothing is compiled again).
cmake -S "$root" -B "$work/build" -DCMAKE_INSTALL_LIBDIR="lib/$(g++ -dumpmachine)" \
  -DCMAKE_INSTALL_INCLUDEDIR=include/ktbase-0 >/dev/null
cmake --build "$work/build" >/dev/null
cmake --install "$work/build" --prefix "$work/multiarch" >/dev/null
cmake_consumer "$work/multiarch" "$work/found-multiarch"
pkgconfig_consumer "$work/multiarch" "$work/pc-consumer-multiarch"

echo "install check: find_package, add_subdirectory and pkg-config consumers ran against an" \
  "install with --prefix, the moved tree$tool and a multiarch layout"
