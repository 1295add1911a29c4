#!/usr/bin/env bash
# Measures what the normal suite finds: applies each one-line fault of
# scripts/mutants.list to a scratch copy of the tree, builds the suite, runs
# it and reports the mutant killed (a test failed) or survived.
#
#   bash scripts/mutants.sh MIN_KILLED [NAME_FILTER]
#
# MUTANTS_LIST names another list: scripts/mutants-sim.list holds faults of
# the simulated host that the plug-in's tests must notice, where the
# simulator keeps no test of its own.
# Exits non-zero when fewer than MIN_KILLED mutants are killed, when the
# unmutated suite fails, or when a mutant no longer matches the code.
# The scratch copy lives in $MUTANTS_DIR (default /tmp/vantorix-mutants);
# the Wine, DLL and package tests are left out, as they check Windows builds
# that are not rebuilt.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 MIN_KILLED [NAME_FILTER]" >&2
  exit 2
fi
min_killed="$1"
filter="${2:-}"
scratch="${MUTANTS_DIR:-/tmp/vantorix-mutants}"
tree="$scratch/tree"
build="$tree/build/native"
log="$scratch/log"
list="${MUTANTS_LIST:-$root/scripts/mutants.list}"

mkdir -p "$tree" "$log"
# The tracked and new files of the working tree as they are now; the build
# folder stays, so that a second run builds only what changed.
find "$tree" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
(cd "$root" && git ls-files -co --exclude-standard -z | tar --null --ignore-failed-read -T - -cf - .deps) |
  tar -xmf - -C "$tree"  # new times: nothing built from an earlier, interrupted mutant stays

skip='^(wine|package\.|dll_|detour\.Win32)'

# The tests nearest to a file run first, so that most mutants are killed
# without running the whole suite; the rest of the suite runs when they pass.
nearest_tests() {
  case "$1" in
    src/hook/*) echo '^(hook|creation)\.' ;;
    src/effect/*) echo '^(effect_proxy|frame|reload|creation)\.' ;;
    src/params/*) echo '^(creation|overlay|reload)\.' ;;
    src/overlay/*) echo '^(overlay|frame|reload)\.' ;;
    src/core/*) echo '^core\.' ;;
    libs/detour/*) echo '^detour\.' ;;
    *) echo '' ;;
  esac
}

# run_suite LOG [NEAREST]: 0 when every test passes, 1 when one fails, 2 when
# the tree does not build.
run_suite() {
  cmake --build "$build" -j2 >"$1.build" 2>&1 || return 2
  : >"$1.test"
  if [ -n "${2:-}" ]; then
    ctest --test-dir "$build" -j2 --timeout 180 --stop-on-failure -R "$2" -E "$skip" >>"$1.test" 2>&1 || return 1
  fi
  # The rest of the suite: the nearest tests have passed already.
  ctest --test-dir "$build" -j2 --timeout 180 --stop-on-failure -E "$skip${2:+|$2}" >>"$1.test" 2>&1 || return 1
  return 0
}

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
(cd "$tree" && cmake --preset native -DVANTORIX_BENCH=OFF "${launcher[@]}") >"$log/configure" 2>&1 || {
  echo "mutants: configure failed, see $log/configure" >&2; exit 1; }
echo "mutants: building and running the unmutated suite"
run_suite "$log/baseline"
case $? in
  0) ;;
  2) echo "mutants: the unmutated tree does not build, see $log/baseline.build" >&2; exit 1 ;;
  *) echo "mutants: the unmutated suite fails, see $log/baseline.test" >&2; exit 1 ;;
esac

# Replaces the first occurrence of a literal text in a file; false when absent.
apply_mutant() {
  FIND="$2" REPLACE="$3" perl -0pi -e '
    BEGIN { $f = $ENV{FIND}; $r = $ENV{REPLACE}; $done = 0 }
    if (!$done) { my $i = index($_, $f); if ($i >= 0) { substr($_, $i, length $f) = $r; $done = 1 } }
    END { exit($done ? 0 : 3) }' "$1"
}

killed=0
survived=0
stale=0
total=0
name=""
file=""
find=""
last=""
while IFS= read -r line || [ -n "$line" ]; do
  previous="$last"
  last=""
  case "$line" in
    "== "*) name="${line#== }" ;;
    "@ "*) file="${line#@ }" ;;
    "- "*)  # consecutive "- " lines make one text of several lines
      if [ "$previous" = find ]; then find+=$'\n'"${line#- }"; else find="${line#- }"; fi
      last=find ;;
    "+ "* | "+")
      replace="${line#+}"
      replace="${replace# }"
      if [ -n "$filter" ] && [[ "$name" != *"$filter"* ]]; then continue; fi
      total=$((total + 1))
      target="$tree/$file"
      cp "$target" "$scratch/original"
      if ! apply_mutant "$target" "$find" "$replace"; then
        printf '%-8s %s (%s: text not found)\n' "STALE" "$name" "$file"
        stale=$((stale + 1))
        continue
      fi
      run_suite "$log/$total" "$(nearest_tests "$file")"
      status=$?
      cp "$scratch/original" "$target"
      touch "$target"
      case $status in
        0) printf '%-8s %s\n' "SURVIVED" "$name"; survived=$((survived + 1)) ;;
        1) printf '%-8s %s\n' "killed" "$name"; killed=$((killed + 1)) ;;
        2) printf '%-8s %s (%s: does not build)\n' "STALE" "$name" "$file"; stale=$((stale + 1)) ;;
      esac
      ;;
  esac
done <"$list"

echo "mutants: killed $killed of $total ($survived survived, $stale stale)"
[ "$stale" -eq 0 ] && [ "$killed" -ge "$min_killed" ]
