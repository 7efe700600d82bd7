#!/usr/bin/env bash
# Scanner speed against zip -FF on 200 MB of random bytes followed by a real
# package, both from the page cache, against the floor of a plain memchr pass
# over the same mapped file (rounds interleaved, medians), and the scan's peak
# memory on a small and a large file. Usage: bench/scan/run.sh [build-folder] [package]
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$here/build}"
package="${2:-}"
if [ -z "$package" ]; then
  package="$(ls /work/shared/corpus/real/*.odp 2>/dev/null | head -n 1 || true)"
fi
[ -f "$package" ] || { echo "no package given and none found" >&2; exit 2; }
bench="$build/scan_bench"
[ -x "$bench" ] || { echo "build scan_bench first: ninja -C $build scan_bench" >&2; exit 2; }
command -v zip >/dev/null || { echo "zip is needed" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
head -c 200000000 /dev/urandom > "$work/random.bin"
cat "$work/random.bin" "$package" > "$work/large.odp"
head -c 20000000 "$work/random.bin" | cat - "$package" > "$work/small.odp"
rm "$work/random.bin"

peak_kib() {  # peak resident memory of a command, in KiB
  /usr/bin/time -f '%M' -o "$work/rss" "$@" > "$work/out" && cat "$work/rss"
}

cat "$work/large.odp" "$work/small.odp" > /dev/null  # into the page cache

small_rss="$(peak_kib "$bench" "$work/small.odp" 3)"
large_rss="$(peak_kib "$bench" "$work/large.odp" 9)"
scan_s="$(awk '$1 == "seconds" {print $2}' "$work/out")"
gbps="$(awk '$1 == "GB/s" {print $2}' "$work/out")"
entries="$(awk '$1 == "entries" {print $2}' "$work/out")"
stop_ms="$(awk '$1 == "stop-latency-ms" {print $2}' "$work/out")"
"$bench" "$work/large.odp" 9 floor > "$work/floor"
median_s="$(awk '$1 == "median-seconds" {print $2}' "$work/floor")"
memchr_s="$(awk '$1 == "memchr-median-seconds" {print $2}' "$work/floor")"
memchr_gbps="$(awk '$1 == "memchr-GB/s" {print $2}' "$work/floor")"
over_floor="$(awk '$1 == "scan-over-memchr" {print $2}' "$work/floor")"

cat "$work/large.odp" > /dev/null
start="$(date +%s.%N)"
zip -FF "$work/large.odp" --out "$work/fixed.zip" < /dev/null > /dev/null 2>&1 || true
end="$(date +%s.%N)"
zip_s="$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')"

size="$(stat -c %s "$work/large.odp")"
echo "file:              $size bytes (200 MB random + $(basename "$package"))"
echo "members found:     $entries"
echo "scan:              $scan_s s, $gbps GB/s (best of 9), median $median_s s"
echo "memchr floor:      median $memchr_s s, $memchr_gbps GB/s (mapped file, same rounds)"
echo "scan / memchr:     $over_floor (target: at most 1.5)"
echo "load:              $(cut -d' ' -f1-3 /proc/loadavg)"
echo "zip -FF:           $(printf '%.3f' "$zip_s") s"
echo "ratio:             $(awk -v z="$zip_s" -v s="$scan_s" 'BEGIN {printf "%.1f", z / s}') x faster"
echo "stop seen within:  $stop_ms ms (worst of 9)"
echo "peak memory:       $small_rss KiB on 20 MB, $large_rss KiB on 200 MB"
