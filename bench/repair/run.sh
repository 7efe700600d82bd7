#!/usr/bin/env bash
# Repair benchmark: builds pelmark_bench_repair and runs it. Usage: bench/repair/run.sh [build-folder] [rounds]
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$here/build}"
rounds="${2:-5}"
[ -f "$build/build.ninja" ] || cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target pelmark_bench_repair -j 2
"$build/pelmark_bench_repair" "$rounds"
