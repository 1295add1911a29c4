#!/usr/bin/env bash
# Sets up, builds the native tests and the Windows plug-in, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh

cmake --preset win32 >/dev/null
cmake --build --preset win32

# The x86-64 Windows build that the Wine tests run (test-only).
cmake --preset win64 >/dev/null
cmake --build --preset win64

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native -j2
