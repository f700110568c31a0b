#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them; then prints, for each benchmark, the ratio of
# the ktbase time to the time of its standard-library peer (below 1 means ktbase is faster).
# Extra arguments go to the benchmark program (e.g. --benchmark_repetitions=5).
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/deps.sh" bench
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKTBASE_BUILD_BENCH=ON -DKTBASE_BUILD_TESTS=OFF -DKTBASE_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$root/build-bench" -j "$jobs" >/dev/null
csv=$(mktemp)
trap 'rm -f "$csv"' EXIT
for program in "$root"/build-bench/bench/ktbase_*_bench; do
  : >"$csv"
  "$program" --benchmark_out="$csv" --benchmark_out_format=csv "$@" || true
  grep -q '^"BM_' "$csv" || continue  # nothing of this program matched the filter
  echo
  echo "ratios, ktbase time / peer time (real time; below 1 means ktbase is faster):"
  # Rows look like "BM_Walk<Kt>/1000",iterations,real_time,...; every side other than Kt is a
  # peer (Std for the standard library, or the name of another library).
  grep '^"BM_' "$csv" | awk -F, '
    $1 ~ /_(stddev|cv)"$/ { next }  # spreads have no meaningful ratio
    { name = $1; gsub(/"/, "", name)
      split(name, parts, /[<>]/); key = parts[1] parts[3]; side = parts[2]
      time[key, side] = $3
      if (!(key in seen)) { seen[key] = 1; order[++count] = key }
      if (side != "Kt" && !((key, side) in peer)) { peer[key, side] = 1; peers[key] = peers[key] " " side } }
    END { for (i = 1; i <= count; ++i) { k = order[i]; n = split(peers[k], list, " ")
            for (j = 1; j <= n; ++j) if (time[k, list[j]] > 0 && time[k, "Kt"] > 0)
              printf "  %-32s vs %-6s %.2f\n", k, list[j], time[k, "Kt"] / time[k, list[j]] } }'
done
