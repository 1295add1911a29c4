#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz": clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one for the given number of
# seconds (default 20), starting from its committed seeds in
# tests/fuzz/corpus/<target>/. Prints one line per target and exits non-zero
# when any target crashed; crashing inputs are kept under build/fuzz/runs/.
# FUZZ_SEED fixes libFuzzer's random seed (CI uses one, so that a run is
# repeatable); unset, every run takes a new one.
set -euo pipefail
seconds="${1:-20}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh

targets=(settings_file loader_config effect_file shader_names call_site)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target "${targets[@]/#/fuzz_}" >/dev/null

runs="$root/build/fuzz/runs"
failed=0
for target in "${targets[@]}"; do
  dir="$runs/$target"
  # New inputs found by a run go to a scratch corpus, never into the seeds.
  rm -rf "$dir"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  status=0
  dictionary=()
  if [ -f "tests/fuzz/$target.dict" ]; then dictionary=(-dict="$root/tests/fuzz/$target.dict"); fi
  # The simulated COM objects stay behind as shells once released, so every
  # input looks like a possible leak to libFuzzer, whose check per input then
  # costs more than the input itself. It is off while fuzzing (LeakSanitizer
  # still looks once when the run ends); afterwards every input of the new
  # corpus runs once more with the check after each input.
  # The simulated host keeps a small shell of every released object, so a
  # long run grows by some 30 KB per input (2.2 GB after 70000 inputs).
  "$root/build/fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -seed="${FUZZ_SEED:-0}" -timeout=25 -rss_limit_mb=8192 \
    -detect_leaks=0 -print_final_stats=1 -artifact_prefix="$dir/artifacts/" "${dictionary[@]}" \
    "$dir/corpus" "$root/tests/fuzz/corpus/$target" >"$dir/log.txt" 2>&1 || status=$?
  if [ "$status" -eq 0 ]; then
    "$root/build/fuzz/tests/fuzz/fuzz_$target" -runs=0 -timeout=25 -detect_leaks=1 \
      -artifact_prefix="$dir/artifacts/" "$dir/corpus" >"$dir/leaks.txt" 2>&1 || status=$?
  fi
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log.txt" | tail -n 1)"
  coverage="$(grep -o 'cov: [0-9]* ft: [0-9]*' "$dir/log.txt" | tail -n 1 || true)"
  crashes="$(find "$dir/artifacts" -type f | wc -l)"
  if [ "$status" -ne 0 ] && [ "$crashes" -eq 0 ]; then crashes=1; fi
  printf 'fuzz %-14s %10s executions  %d crashes  %s\n' "$target" "${executions:-0}" "$crashes" "${coverage:-cov: ? ft: ?}"
  if [ "$crashes" -ne 0 ]; then
    failed=1
    echo "  log: $dir/log.txt" >&2
  fi
done
exit "$failed"
