#!/usr/bin/env bash
# Builds the Windows plug-in and makes the release archive players install,
# dist/Vantorix-<version>-win32.zip (after scripts/setup.sh has run once).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target package
