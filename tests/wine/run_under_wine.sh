#!/usr/bin/env bash
# Runs the Windows test programs under Wine (wine64, or 32-bit wine) in a virtual X server.
#   run_under_wine.sh prefix <wine> <prefix>
#       creates the private Wine prefix (wineboot) with the settings the tests need
#   run_under_wine.sh run <wine> <prefix> <work dir> <program.exe> [file or folder to copy]... [-- args]
#       copies the program and the files into a fresh work dir and runs it there
# Exits 77 (skip) only when Wine cannot start at all, and says why.
set -uo pipefail

mode="$1" wine="$2" prefix="$3"
shift 3
export WINEPREFIX="$prefix" WINEDEBUG=-all
# No debugger (a crash would wait for the time-out), no Mono or Gecko
# installers, and the stand-in D3DX beside the program instead of Wine's.
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d;d3dx9_43=n"
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver || true)"
cannot_start="$prefix.cannot-start"

# VANTORIX_REQUIRE_WINE=1 (CI) turns a skip into a failure.
skip() {
  if [ "${VANTORIX_REQUIRE_WINE:-0}" = 1 ]; then
    echo "FAILED: $1"
    exit 1
  fi
  echo "SKIPPED: $1"
  exit 77
}

seconds_since() {
  awk -v start="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.1f", now - start }'
}

stop_server() {
  [ -n "$wineserver" ] && timeout 20 "$wineserver" -k >/dev/null 2>&1
}

if [ ! -x "$wine" ]; then skip "$wine is not installed (scripts/setup.sh installs it)"; fi

if [ "$mode" = prefix ]; then
  if [ -f "$prefix/.ready" ]; then
    echo "reusing the Wine prefix $prefix"
    exit 0
  fi
  rm -rf "$prefix" "$cannot_start"
  mkdir -p "$(dirname "$prefix")"
  start=$(date +%s.%N)
  timeout 120 "$wine" wineboot --init >/dev/null 2>&1
  status=$?
  # No window manager: unmanaged windows close without a 2 s stall.
  timeout 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  timeout 30 "$wine" cmd /c exit 42 >/dev/null 2>&1
  probe=$?
  stop_server
  echo "wineboot took $(seconds_since "$start") s"
  if [ $status -ne 0 ] || [ $probe -ne 42 ]; then
    echo "wineboot exited $status, a trivial Windows program exited $probe instead of 42" | tee "$cannot_start"
    skip "Wine cannot start Windows programs here"
  fi
  touch "$prefix/.ready"
  exit 0
fi

[ -d "$prefix" ] || { echo "no Wine prefix at $prefix: run the wine.Prefix test first"; exit 1; }
[ -f "$cannot_start" ] && skip "Wine cannot start Windows programs here: $(cat "$cannot_start")"

work="$1" program="$2"
shift 2
rm -rf "$work"
mkdir -p "$work"
[ -f "$program" ] || { echo "$program not found: build its preset first (scripts/test.sh does)"; exit 1; }
cp "$program" "$work/"
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  if [ -d "$1" ]; then cp -r "$1"/. "$work/"; else cp "$1" "$work/" || exit 1; fi
  shift
done
[ "${1:-}" = -- ] && shift

command -v Xvfb >/dev/null || { echo "Xvfb is not installed (scripts/setup.sh installs it)"; exit 1; }
display=$((200 + $$ % 500))
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
trap 'stop_server; kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null' EXIT

cd "$work"
start=$(date +%s.%N)
DISPLAY=":$display" timeout 120 "$wine" "./$(basename "$program")" "$@"
status=$?
echo "$(basename "$program") took $(seconds_since "$start") s under Wine"
[ $status -eq 124 ] && echo "timed out after 120 s"
exit $status
