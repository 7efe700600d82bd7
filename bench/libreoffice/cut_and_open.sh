#!/usr/bin/env bash
# How many cut presentations open in LibreOffice after a repair, with and
# without the completion step. Not a test: it needs LibreOffice
# (apt-get install libreoffice-impress poppler-utils) and takes minutes.
#
#   bench/libreoffice/cut_and_open.sh BUILD_FOLDER [PRESENTATION.odp...]
#
# Every presentation is first saved again by LibreOffice itself (so the
# package is laid out the way LibreOffice writes it, manifest last), then cut
# at 60 % and 90 % of its length, repaired by pelmark-cli with and without
# --no-complete, and converted to PDF. Prints one line per case and a summary.
set -uo pipefail
build="$(cd "${1:?build folder}" && pwd)"; shift
here="$(cd "$(dirname "$0")/../.." && pwd)"
cli="$build/pelmark-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
inputs=("$@")
if [ "${#inputs[@]}" -eq 0 ]; then
  python3 "$here/samples/make_sample.py" "$work/sample" >/dev/null
  inputs=("$here"/../shared/corpus/real/*.odp "$work/sample/quarterly-review.odp")
fi

export HOME="$work/home"  # a private LibreOffice profile
pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/{print $2}'; }
to_pdf() {  # to_pdf FILE OUTDIR -> prints the PDF path or nothing
  timeout 120 soffice --headless --convert-to pdf --outdir "$2" "$1" >/dev/null 2>&1
  local pdf="$2/$(basename "${1%.*}").pdf"
  [ -s "$pdf" ] && echo "$pdf"
}

declare -A opened slides total
for mode in complete plain; do opened[$mode]=0; slides[$mode]=0; done
cases=0; original_slides=0
printf '%-58s %5s %10s %10s\n' "case" "orig" "completed" "spec-only"
for input in "${inputs[@]}"; do
  name="$(basename "${input%.odp}")"
  mkdir -p "$work/lo/$name"
  # Saved again by LibreOffice: the presentation as LibreOffice writes it.
  timeout 120 soffice --headless --convert-to odp --outdir "$work/lo/$name" "$input" >/dev/null 2>&1
  made="$work/lo/$name/$name.odp"
  [ -s "$made" ] || { echo "skip $name: LibreOffice could not save it"; continue; }
  pdf="$(to_pdf "$made" "$work/lo/$name")"
  want="$(pages "$pdf")"
  size=$(stat -c %s "$made")
  for cut in 60 90; do
    damaged="$work/cut/$name-cut$cut.odp"
    mkdir -p "$work/cut"
    head -c $((size * cut / 100)) "$made" > "$damaged"
    cases=$((cases + 1)); original_slides=$((original_slides + ${want:-0}))
    line="$(printf '%-58s %5s' "$name cut at $cut %" "${want:-?}")"
    for mode in complete plain; do
      out="$work/out-$mode/$name-$cut"; mkdir -p "$out"
      flag=(); [ "$mode" = plain ] && flag=(--no-complete)
      "$cli" "${flag[@]}" --no-media -o "$out" "$damaged" >/dev/null 2>&1
      got="$(to_pdf "$out/TORVEX_$(basename "$damaged")" "$out")"
      if [ -n "$got" ]; then
        n="$(pages "$got")"
        opened[$mode]=$((opened[$mode] + 1)); slides[$mode]=$((slides[$mode] + ${n:-0}))
        line+="$(printf ' %10s' "opens/$n")"
      else
        line+="$(printf ' %10s' "refused")"
      fi
    done
    echo "$line"
  done
done
echo
echo "cases: $cases, slides in the originals: $original_slides"
echo "with completion:    ${opened[complete]} of $cases open, ${slides[complete]} slides"
echo "with --no-complete: ${opened[plain]} of $cases open, ${slides[plain]} slides"
