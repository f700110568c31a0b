#!/usr/bin/env bash
# Builds the library and runs the demo on its bundled example.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DKTBASE_WERROR="$werror" >/dev/null
cmake --build "$root/build" --target ktbase_demo -j "$jobs"
"$root/build/examples/ktbase_demo"
