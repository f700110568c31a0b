#!/usr/bin/env bash
# Installs, with apt-get and only when they are missing, the Debian packages the build needs.
# Usage: scripts/deps.sh [bench] [format] [pkgconfig] [clang]
# (bench brings Google Benchmark, the header-only Boost that some benchmarks compare with, and
# the two JSON readers the OML benchmark reads the same graph with; none of them is a dependency
# of the library)
set -euo pipefail

need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v ninja >/dev/null 2>&1 || need+=(ninja-build)
command -v g++ >/dev/null 2>&1 || need+=(g++)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
# The tests make a locale with a decimal comma: localedef needs the character maps of locales.
{ command -v localedef >/dev/null 2>&1 && [ -f /usr/share/i18n/charmaps/ANSI_X3.4-1968.gz ]; } ||
  need+=(locales)
# omltool's JSON form (header-only; the library itself needs nothing)
[ -f /usr/include/rapidjson/reader.h ] || need+=(rapidjson-dev)
for extra in "$@"; do
  case "$extra" in
    bench)
      [ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
      [ -f /usr/include/boost/version.hpp ] || need+=(libboost-dev)
      [ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
      [ -f /usr/include/rapidjson/document.h ] || need+=(rapidjson-dev)
      ;;
    format) command -v clang-format >/dev/null 2>&1 || need+=(clang-format) ;;
    pkgconfig) command -v pkg-config >/dev/null 2>&1 || need+=(pkg-config) ;;
    clang) command -v clang++ >/dev/null 2>&1 || need+=(clang) ;;
    *) echo "deps.sh: unknown extra '$extra'" >&2; exit 2 ;;
  esac
done

if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" >/dev/null
fi
