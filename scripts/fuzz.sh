#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (fuzzer coverage, AddressSanitizer, UndefinedBehavior-
# Sanitizer) and runs each for SECONDS (default 30), starting from its seed corpus in
# fuzz/corpus/TARGET and the OML test files. New inputs go to a scratch copy, not to the seeds;
# a finding stops the run and is left as crash-*/leak-*/timeout-* in build-fuzz/findings.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/deps.sh" clang
seconds=${1:-30}
shift || true
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKTBASE_FUZZ=ON -DKTBASE_BUILD_TESTS=OFF -DKTBASE_BUILD_EXAMPLES=OFF -DKTBASE_INSTALL=OFF \
  >/dev/null
cmake --build "$build" -j "$jobs"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
mkdir -p "$build/findings"
for target in "${targets[@]}"; do
  work="$build/corpus/$target"
  rm -rf "$work"
  mkdir -p "$work"
  [ -d "$root/fuzz/corpus/$target" ] && cp -r "$root/fuzz/corpus/$target/." "$work/"
  echo "== $target: $seconds s"
  (cd "$build/findings" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/fuzz/ktbase_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=4096 -print_final_stats=0 "$work" "$root/ktbase/oml/testdata/invalid" 2>&1 |
    grep -E '^(Done|==[0-9]+==ERROR|SUMMARY|artifact_prefix)' || true)
  if ls "$build/findings" | grep -q -E '^(crash|leak|timeout|oom)-'; then
    echo "fuzz: $target found something; see $build/findings" >&2
    exit 1
  fi
done
echo "fuzz: no findings"
