#!/usr/bin/env bash
# Sets up and builds Pelmark, then repairs the bundled damaged sample presentation
# with pelmark-cli and says where the repaired file went.
# Usage: scripts/demo.sh [output-folder]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
out="${1:-$here/repaired}"

"$here/scripts/setup.sh" "$build"

# The sample: a four-slide talk with a thumbnail and pictures, cut short in the
# middle of its central directory and with garbage in front of it.
python3 "$here/samples/make_sample.py" "$build/sample"
damaged="$build/sample/quarterly-review-damaged.odp"
mkdir -p "$out"

echo
echo "Repairing $damaged"
echo
status=0
"$build/pelmark-cli" -o "$out" "$damaged" || status=$?

repaired="$out/TORVEX_quarterly-review-damaged.odp"
echo
if [ -f "$repaired" ]; then
  echo "The repaired presentation is: $repaired"
  [ -d "$out/quarterly-review-damaged.odp_MediaContent" ] &&
    echo "Its pictures are in:          $out/quarterly-review-damaged.odp_MediaContent"
fi
exit "$status"
