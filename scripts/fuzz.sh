#!/usr/bin/env bash
# Builds the repair path's fuzz target with clang and runs it.
# Usage: scripts/fuzz.sh SECONDS [build-folder]
# Skipped, with a message and exit 0, when clang cannot build and link a
# libFuzzer program with AddressSanitizer and UBSan (scripts/setup.sh installs
# clang and libclang-rt-14-dev for it). Extra libFuzzer options may be given
# in FUZZ_OPTIONS; the corpus stays in the build folder between runs.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${2:-$here/build-fuzz}"

probe="$(mktemp -d)"
trap 'rm -rf "$probe"' EXIT
printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
  'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' >"$probe/probe.cpp"
if ! command -v clang++ >/dev/null; then
  echo "fuzz: SKIPPED: clang++ is not installed (scripts/setup.sh installs clang and libclang-rt-14-dev)"
  exit 0
fi
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>"$probe/log"; then
  echo "fuzz: SKIPPED: clang++ cannot build and link -fsanitize=fuzzer,address,undefined" \
    "(is libclang-rt-14-dev installed?):"
  sed 's/^/  /' "$probe/log" | head -5
  exit 0
fi

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
CC=clang CXX=clang++ cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELMARK_BUILD_FUZZ=ON -DPELMARK_BUILD_GUI=OFF -DPELMARK_BUILD_TESTS=OFF -DPELMARK_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target repair_fuzz -j "$(nproc)"
corpus="$build/fuzz-corpus"
python3 "$here/tests/fuzz/make_seeds.py" "$corpus"
# The target's private folders go below a folder of this run's own.
work="$(mktemp -d)"
trap 'rm -rf "$probe" "$work"' EXIT
# shellcheck disable=SC2086
PELMARK_FUZZ_DIR="$work" TMPDIR="$work" "$build/repair_fuzz" -max_total_time="$seconds" \
  -max_len=65536 -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/" ${FUZZ_OPTIONS:-} "$corpus"
