#!/usr/bin/env bash
# Sets up, builds the Windows plug-in (Sorvane.asi) and runs the simulated
# host demo on the bundled samples.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh

cmake --preset win32 >/dev/null
cmake --build --preset win32
echo "== built $(ls build/win32/src/Sorvane.asi)"

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target vantorix_demo

rm -rf demo-run
cp -r samples demo-run
cd demo-run
../build/native-release/sim/demo/vantorix_demo
