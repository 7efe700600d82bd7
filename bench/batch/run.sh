#!/usr/bin/env bash
# Batches: pelmark-cli -j 1 against -j 2 on 200 copies of one damaged 1 MB
# presentation, the rounds of both interleaved, medians reported.
#
# The presentation is a real one from the corpus with a large picture added
# (so it is about 1 MB, packed by zip, not by this project), then damaged
# three ways: bytes put in front, a block zeroed in the middle, and the end
# (with the central directory) cut off. Both sides repair, save and copy the
# media of all 200 files into a fresh folder; the log goes to /dev/null.
#
# Usage: bench/batch/run.sh [build-folder] [rounds] [copies]
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$here/build}"
rounds="${2:-5}"
copies="${3:-200}"
cli="$build/pelmark-cli"
source "$here/bench/timing.sh"
source_odp="${PELMARK_BENCH_ODP:-/work/shared/corpus/real/odfdo_tests_samples_background.odp}"
[ -x "$cli" ] || { echo "build pelmark-cli first: cmake --build $build --target pelmark-cli" >&2; exit 2; }
[ -r "$source_odp" ] || { echo "no sample presentation at $source_odp (set PELMARK_BENCH_ODP)" >&2; exit 2; }
for tool in zip unzip python3 /usr/bin/time; do
  command -v "$tool" > /dev/null || { echo "$tool is needed" >&2; exit 2; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/pelmark-bench-batch-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"

# One damaged presentation of about 1 MB.
mkdir "$work/src"
(cd "$work/src" && unzip -q "$source_odp")
python3 - "$work/src/Pictures/photo.jpg" << 'PY'
import random, sys
random.seed(13)
# A picture does not compress: bytes that do not either.
open(sys.argv[1], "wb").write(b"\xff\xd8\xff\xe0" + bytes(random.getrandbits(8) for _ in range(800 * 1024)))
PY
(cd "$work/src" && zip -q -X -0 "$work/whole.odp" mimetype && zip -q -X -r -8 "$work/whole.odp" . -x mimetype)
python3 - "$work/whole.odp" "$work/damaged.odp" << 'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
middle = len(data) // 2
data[middle:middle + 4096] = bytes(4096)   # a zeroed block
data = data[:len(data) - 2048]             # the end cut off, central directory and all
data = b"\x00garbage in front\x00" * 32 + data  # bytes put in front
open(sys.argv[2], "wb").write(data)
PY
mkdir "$work/in"
for ((i = 1; i <= copies; i++)); do cp "$work/damaged.odp" "$work/in/$(printf 'deck%03d.odp' "$i")"; done
echo "input: $copies copies of a $(stat -c %s "$work/damaged.odp")-byte damaged presentation"

timed() {  # "wall-clock-seconds cpu-seconds peak-memory-KiB" of a command
  /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" > /dev/null 2>&1 || true
  awk '{printf "%.4f %.4f %d\n", $1, $2 + $3, $4}' "$work/time"
}
batch() { "$cli" -j "$1" -o "$work/out" "$work"/in/*.odp; }
fresh() { rm -rf "$work/out"; mkdir "$work/out"; }

# The two logs must be the same, byte for byte.
fresh; batch 1 > "$work/log1" 2>&1 || true
fresh; batch 2 > "$work/log2" 2>&1 || true
if cmp -s "$work/log1" "$work/log2"; then echo "logs of -j 1 and -j 2: the same"; else echo "logs of -j 1 and -j 2 DIFFER"; fi
echo "exit status $(fresh; batch 2 > /dev/null 2>&1; echo $?), $(grep -c 'saving of file done' "$work/log2") of $copies saved"

echo "rounds: $rounds, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
: > "$work/a"; : > "$work/b"
for ((i = 0; i < rounds; i++)); do
  fresh; timed "$cli" -j 1 -o "$work/out" "$work"/in/*.odp >> "$work/a"
  fresh; timed "$cli" -j 2 -o "$work/out" "$work"/in/*.odp >> "$work/b"
done
one="$(cut -d' ' -f1 "$work/a" | median)"; two="$(cut -d' ' -f1 "$work/b" | median)"
# Cores busy on average (CPU seconds over wall-clock seconds), for reading
# the figure on a shared machine: -j 2 cannot go faster than the cores it gets.
cores() { awk '{print $2 / $1}' "$1" | median; }
memory() { cut -d' ' -f3 "$1" | median; }
printf '%10s %10s %8s %12s %12s %12s %12s\n' "-j 1 s" "-j 2 s" speedup "-j 1 cores" "-j 2 cores" \
  "-j 1 MiB" "-j 2 MiB"
printf '%10s %10s %8s %12.2f %12.2f %12.1f %12.1f\n' "$one" "$two" \
  "$(awk -v a="$one" -v b="$two" 'BEGIN {printf "%.2fx", a / b}')" "$(cores "$work/a")" \
  "$(cores "$work/b")" "$(($(memory "$work/a") / 1024))" "$(($(memory "$work/b") / 1024))"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
