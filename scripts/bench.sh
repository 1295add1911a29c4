#!/usr/bin/env bash
# Builds the Release preset and runs every benchmark with repetitions,
# printing the median of each. Extra arguments go to every benchmark program
# (for example --benchmark_filter=Large or --benchmark_repetitions=9).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

cmake --preset native-release >/dev/null
targets=$(sed -n 's/^add_executable(\([A-Za-z0-9_]*\) .*/\1/p' bench/*/CMakeLists.txt)
# shellcheck disable=SC2086
cmake --build --preset native-release -j2 --target $targets

repetitions=5
echo "Medians of ${repetitions} repetitions; $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)."
for program in build/native-release/bench/*/*_bench; do
  [ -x "$program" ] || continue
  echo
  echo "== $(basename "$program")"
  "$program" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true "$@" 2>/dev/null |
    grep -E '_median ' | sed -E 's/_median / /'
done
