#!/usr/bin/env bash
# Sets up, builds the native tests and the Windows plug-in, and runs every test:
# the normal suite, the 32-bit suite and the 32-bit Wine tests, then the same
# suite under AddressSanitizer + UBSan and under ThreadSanitizer, then short
# fuzz runs. `--quick` runs the normal suite only.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
quick=0
if [ "${1:-}" = "--quick" ]; then quick=1; fi
bash scripts/setup.sh

# Runs one named stage and reports how long it took.
stage() {
  local name="$1"
  shift
  local start=$SECONDS
  echo "=== $name"
  "$@"
  echo "=== $name: $((SECONDS - start)) s"
}

suite() {
  local preset="$1"
  shift
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2
  ctest --preset "$preset" -j2 "$@"
}

# The plug-in and the release archive, which the package.* tests check.
stage "Windows plug-in and release package" bash scripts/package.sh
# The x86-64 Windows build that the Wine tests run (test-only).
stage "Windows x86-64 test build" bash -c 'cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2'
# The x86 game and stand-in D3DX that the shipped plug-in is tested in (test-only).
stage "Windows x86 test programs" bash -c 'cmake --preset win32-wine >/dev/null && cmake --build --preset win32-wine -j2'
stage "tests" suite native -E '^wine32\.'
# The 32-bit runs: the suite as 32-bit Linux code, and the shipped plug-in in
# a 32-bit game under Wine. Where they cannot run, CI fails and says why.
# The demo's frames go through the software rasteriser: under the emulator
# each run takes ten minutes, and the 64-bit stages run the same code.
stage "tests, 32-bit" suite native-i386 -E '^(wine(32)?\.|demo_runs_on_the_samples$|package\.game_folder_plays$)'
stage "the shipped plug-in under 32-bit Wine" env VANTORIX_REQUIRE_WINE=1 ctest --preset native -R '^wine32\.'
if [ "$quick" -eq 1 ]; then exit 0; fi

stage "tests under AddressSanitizer + UBSan" suite native-asan
# ThreadSanitizer needs a fixed address-space layout on kernels with high
# mmap randomisation; setarch -R turns randomisation off for the run.
tsan_suite() {
  cmake --preset native-tsan >/dev/null
  cmake --build --preset native-tsan -j2
  if command -v setarch >/dev/null; then
    setarch "$(uname -m)" -R ctest --preset native-tsan -j2
  else
    ctest --preset native-tsan -j2
  fi
}
stage "tests under ThreadSanitizer" tsan_suite
if [ -f scripts/fuzz.sh ]; then
  # A fixed seed keeps the short CI runs repeatable; scripts/fuzz.sh alone explores afresh.
  stage "fuzzing, 20 s per target" env FUZZ_SEED=1 bash scripts/fuzz.sh 20
fi
