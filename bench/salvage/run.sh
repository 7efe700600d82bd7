#!/usr/bin/env bash
# The deep salvage searches: the lost-header search against the scan on intact
# packages, single-bit repair time per member, and slides kept past a zeroed
# stretch. Usage: bench/salvage/run.sh [build-folder]
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$here/build}"
bench="$build/salvage_bench"
[ -x "$bench" ] || { echo "build salvage_bench first: ninja -C $build salvage_bench" >&2; exit 2; }
for package in /work/shared/corpus/real/*.odp; do
  [ -f "$package" ] || continue
  echo "$(basename "$package"): $("$bench" scan "$package" 5 | tr '\n' ' ')"
  echo "$(basename "$package"): $("$bench" repair "$package" 5)"
done
for slides in 40 100; do "$bench" bits "$slides"; done
for slides in 40 100; do "$bench" resync "$slides"; done
