#!/usr/bin/env bash
# Many small members: repair and save of a package of N members with
# pelmark-cli against `bsdtar -xf` plus `zip -r -8` on the same package, for
# N = 500, 5000 and 50000, the rounds of both interleaved, medians reported.
# Both sides work on the same file system (TMPDIR, else /tmp) and both clean
# up after themselves: pelmark-cli removes its working folder, the peer runs
# `rm -rf` on what bsdtar extracted. The figure without any clean-up
# (pelmark-cli --keep-work against bsdtar plus zip) is shown beside it.
#
# Usage: bench/many/run.sh [build-folder] [rounds] [counts...]
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$here/build}"
rounds="${2:-5}"
shift $(( $# > 2 ? 2 : $# ))
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(500 5000 50000)
cli="$build/pelmark-cli"
[ -x "$cli" ] || { echo "build pelmark-cli first: cmake --build $build --target pelmark-cli" >&2; exit 2; }
for tool in bsdtar zip python3; do
  command -v "$tool" > /dev/null || { echo "$tool is needed" >&2; exit 2; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/pelmark-bench-many-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"

seconds() {  # wall-clock seconds of a command
  local start end
  start="$(date +%s.%N)"
  "$@" > /dev/null 2>&1
  end="$(date +%s.%N)"
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.4f\n", b - a}'
}
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

pelmark_run() { rm -rf "$work/out"; mkdir "$work/out"; "$cli" --no-media -o "$work/out" "$1"; }
pelmark_keep() {
  rm -rf "$work/out"; mkdir "$work/out"
  "$cli" --keep-work --no-media -o "$work/out" "$1"
}
peer_run() {
  rm -rf "$work/x" "$work/z.zip"; mkdir "$work/x"
  bsdtar -xf "$1" -C "$work/x" && (cd "$work/x" && zip -q -r -8 "$work/z.zip" .) && rm -rf "$work/x"
}
peer_keep() {
  rm -rf "$work/x" "$work/z.zip"; mkdir "$work/x"
  bsdtar -xf "$1" -C "$work/x" && (cd "$work/x" && zip -q -r -8 "$work/z.zip" .)
}

echo "rounds: $rounds, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%8s %12s %12s %7s   %12s %12s %7s\n' members pelmark_s peer_s ratio keep_work_s peer_keep_s ratio
for n in "${counts[@]}"; do
  python3 "$here/bench/many/make_many.py" "$work/src" "$n"
  (cd "$work/src" && zip -q -r -8 -X "$work/p$n.odp" .)  # made by zip, not by this project
  rm -rf "$work/src"
  pkg="$work/p$n.odp"
  pelmark_run "$pkg" > /dev/null 2>&1; peer_run "$pkg" > /dev/null 2>&1  # warm up
  : > "$work/a"; : > "$work/b"; : > "$work/c"; : > "$work/d"
  for ((i = 0; i < rounds; i++)); do
    seconds pelmark_run "$pkg" >> "$work/a"
    seconds peer_run "$pkg" >> "$work/b"
    seconds pelmark_keep "$pkg" >> "$work/c"
    rm -rf "$work"/pelmark-cli-*
    seconds peer_keep "$pkg" >> "$work/d"
  done
  a="$(median < "$work/a")"; b="$(median < "$work/b")"
  c="$(median < "$work/c")"; d="$(median < "$work/d")"
  printf '%8d %12.3f %12.3f %7.2f   %12.3f %12.3f %7.2f\n' "$n" "$a" "$b" \
    "$(awk -v x="$a" -v y="$b" 'BEGIN {print x / y}')" "$c" "$d" \
    "$(awk -v x="$c" -v y="$d" 'BEGIN {print x / y}')"
  rm -f "$pkg"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "ratio = pelmark-cli / (bsdtar -xf + zip -r -8), median of the rounds; target at most 1.00"
