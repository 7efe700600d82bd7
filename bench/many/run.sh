#!/usr/bin/env bash
# Many small members: repair and save of a package of N members with
# pelmark-cli against `bsdtar -xf` plus `zip -r -8` on the same package, for
# N = 500, 5000 and 50000, the rounds of both interleaved, medians reported.
# Both sides work on the same file system (TMPDIR, else /tmp) and both clean
# up after themselves: pelmark-cli removes its working folder, the peer runs
# `rm -rf` on what bsdtar extracted. The figure without any clean-up
# (pelmark-cli --keep-work against bsdtar plus zip) is shown beside it.
# Last, for each count, the removal of a working folder on its own:
# RemoveFolderTree against `rm -rf` on two copies of the same extracted tree,
# both written out to the disk first (`sync`), which of them goes first
# alternating from round to round.
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
remove_tree="$build/pelmark_bench_remove_tree"
for tool in "$cli" "$remove_tree"; do
  [ -x "$tool" ] || { echo "build $(basename "$tool") first: cmake --build $build" >&2; exit 2; }
done
for tool in bsdtar zip python3; do
  command -v "$tool" > /dev/null || { echo "$tool is needed" >&2; exit 2; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/pelmark-bench-many-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"

. "$here/bench/timing.sh"

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
  mv "$pkg" "$work/keep$n.odp"
done
echo "ratio = pelmark-cli / (bsdtar -xf + zip -r -8), median of the rounds; target at most 1.00"

printf '\n%8s %12s %12s %7s\n' members remove_s rm_rf_s ratio
for n in "${counts[@]}"; do
  pkg="$work/keep$n.odp"
  : > "$work/e"; : > "$work/f"
  for ((i = 0; i < rounds; i++)); do
    rm -rf "$work/r1" "$work/r2"; mkdir "$work/r1" "$work/r2"
    bsdtar -xf "$pkg" -C "$work/r1"; bsdtar -xf "$pkg" -C "$work/r2"
    sync
    if ((i % 2 == 0)); then
      "$remove_tree" "$work/r1" >> "$work/e"; seconds rm -rf "$work/r2" >> "$work/f"
    else
      seconds rm -rf "$work/r2" >> "$work/f"; "$remove_tree" "$work/r1" >> "$work/e"
    fi
  done
  e="$(median < "$work/e")"; f="$(median < "$work/f")"
  printf '%8d %12.3f %12.3f %7.2f\n' "$n" "$e" "$f" "$(awk -v x="$e" -v y="$f" 'BEGIN {print x / y}')"
  rm -f "$pkg"
done
echo "ratio = RemoveFolderTree / rm -rf on the same tree, median of the rounds"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
