#!/usr/bin/env bash
# Builds the library and every test, and runs all tests.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DKTBASE_WERROR="$werror" >/dev/null
cmake --build "$root/build" -j "$jobs"
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"
