#!/usr/bin/env bash
# What the completion switch costs a whole repair: pelmark-cli on the same
# package with the switch on (the default) and off (--no-complete), rounds
# interleaved, medians and their ratio. Packages: the real decks and, made
# by bench/many/make_many.py and zip, one of N small members.
# Usage: bench/salvage/completion_cost.sh [build-folder] [rounds] [members]
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$here/build}"
rounds="${2:-15}"
members="${3:-5000}"
cli="$build/pelmark-cli"
[ -x "$cli" ] || { echo "build pelmark-cli first: cmake --build $build --target pelmark-cli" >&2; exit 2; }
work="$(mktemp -d "${TMPDIR:-/tmp}/pelmark-bench-completion-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"

python3 "$here/bench/many/make_many.py" "$work/src" "$members"
(cd "$work/src" && zip -q -r -8 -X "$work/many$members.odp" .)
rm -rf "$work/src"

. "$here/bench/timing.sh"
run() { rm -rf "$work/out"; mkdir "$work/out"; "$cli" --no-media -o "$work/out" "$@"; }

echo "rounds: $rounds, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-58s %10s %10s %7s\n' package on_ms off_ms on/off
for pkg in /work/shared/corpus/real/*.odp "$work/many$members.odp"; do
  run "$pkg" > /dev/null 2>&1 || true; run --no-complete "$pkg" > /dev/null 2>&1 || true  # warm up
  : > "$work/on"; : > "$work/off"
  for ((i = 0; i < rounds; i++)); do
    seconds run "$pkg" >> "$work/on"
    seconds run --no-complete "$pkg" >> "$work/off"
  done
  on="$(median < "$work/on")"; off="$(median < "$work/off")"
  printf '%-58s %10.1f %10.1f %7.3f\n' "$(basename "$pkg")" "$(awk -v x="$on" 'BEGIN {print x * 1000}')" \
    "$(awk -v x="$off" 'BEGIN {print x * 1000}')" "$(awk -v x="$on" -v y="$off" 'BEGIN {print x / y}')"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "on/off = pelmark-cli / pelmark-cli --no-complete, median of interleaved rounds (repair and save)"
