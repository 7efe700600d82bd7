#!/usr/bin/env bash
# Builds the repair path's fuzz target with clang and runs it.
# Usage: scripts/fuzz.sh SECONDS [build-folder]   (skipped when clang is missing)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${2:-$here/build-fuzz}"
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is not installed, skipped"
  exit 0
fi
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
CC=clang CXX=clang++ cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELMARK_BUILD_FUZZ=ON -DPELMARK_BUILD_GUI=OFF -DPELMARK_BUILD_TESTS=OFF -DPELMARK_BUILD_BENCH=OFF
cmake --build "$build" --target repair_fuzz -j 2
corpus="$build/fuzz-corpus"
python3 "$here/tests/fuzz/make_seeds.py" "$corpus"
# The target's private folders go below a folder of this run's own.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
PELMARK_FUZZ_DIR="$work" TMPDIR="$work" "$build/repair_fuzz" -max_total_time="$seconds" \
  -max_len=65536 -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/" "$corpus"
