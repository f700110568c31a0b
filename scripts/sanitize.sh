#!/usr/bin/env bash
# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer (leaks detected, no
# recovery from any finding).
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DKTBASE_SANITIZE=ON -DKTBASE_WERROR="$werror" >/dev/null
cmake --build "$root/build-sanitize" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 "$root/build-sanitize/examples/ktbase_demo" >/dev/null
echo "sanitized demo: no findings"
