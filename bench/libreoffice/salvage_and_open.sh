#!/usr/bin/env bash
# How many presentations damaged inside content.xml open in LibreOffice after
# a repair, and how many of their slides come back. Not a test: it needs
# LibreOffice and poppler-utils and takes many minutes (one conversion at a
# time).
#
#   bench/libreoffice/salvage_and_open.sh NAME=PELMARK_CLI [NAME=PELMARK_CLI...]
#
# Decks of 40, 70 and 100 slides with speaker notes and a few pictures are
# written as flat presentations and saved as .odp by LibreOffice itself, then
# damaged inside content.xml (cut, zeroed block, flipped bit, lost header) and
# in combinations with damage the scanner handles anyway (garbage in front,
# central directory gone). Each pelmark-cli given repairs every case; the
# repaired package is converted to PDF, whose pages are the slides kept.
# Set KEEP=DIR to keep the decks and the damaged files there.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[ $# -ge 1 ] || { echo "usage: $0 NAME=PELMARK_CLI..." >&2; exit 2; }
work="${KEEP:-$(mktemp -d)}"
mkdir -p "$work"
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
export HOME="$work/home"  # a private LibreOffice profile

pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/{print $2}'; }
to_pdf() {  # to_pdf FILE OUTDIR -> the PDF path, or nothing when it does not open
  rm -f "$2/$(basename "${1%.*}").pdf"
  timeout 120 soffice --headless --convert-to pdf --outdir "$2" "$1" >/dev/null 2>&1
  local pdf="$2/$(basename "${1%.*}").pdf"
  [ -s "$pdf" ] && echo "$pdf"
}

damages=(cut:0.3 cut:0.6 cut:0.9 zero:0.2 zero:0.5 zero:0.8 flip:0.25 flip:0.5 flip:0.75
         header:0 garbage+cut:0.6 header+nocd:0 zero+nocd:0.5 flip+garbage:0.5)
names=(); clis=()
for arg in "$@"; do names+=("${arg%%=*}"); clis+=("${arg#*=}"); done
declare -A opened kept
for name in "${names[@]}"; do opened[$name]=0; kept[$name]=0; done
cases=0; total=0

printf '%-26s %5s' "case" "orig"
for name in "${names[@]}"; do printf ' %14s' "$name"; done
echo
for slides in 40 70 100; do
  deck="$work/deck$slides"
  if [ ! -s "$deck.odp" ]; then
    python3 "$here/make_deck.py" "$deck.fodp" "$slides" >/dev/null
    timeout 180 soffice --headless --convert-to odp --outdir "$work" "$deck.fodp" >/dev/null 2>&1
  fi
  [ -s "$deck.odp" ] || { echo "skip deck$slides: LibreOffice could not save it"; continue; }
  mkdir -p "$work/orig"
  want="$(pages "$(to_pdf "$deck.odp" "$work/orig")")"
  for damage in "${damages[@]}"; do
    kind="${damage%%:*}"; at="${damage#*:}"
    case_name="deck${slides}-${kind}-${at}"
    damaged="$work/damaged/$case_name.odp"
    mkdir -p "$work/damaged"
    python3 "$here/damage_content.py" "$deck.odp" "$damaged" "$kind" "$at"
    cases=$((cases + 1)); total=$((total + ${want:-0}))
    line="$(printf '%-26s %5s' "$case_name" "${want:-?}")"
    for i in "${!names[@]}"; do
      name="${names[$i]}"; out="$work/out-$name/$case_name"
      rm -rf "$out"; mkdir -p "$out"
      "${clis[$i]}" --no-media -o "$out" "$damaged" >"$out/log.txt" 2>&1
      got="$(to_pdf "$out/TORVEX_$case_name.odp" "$out")"
      if [ -n "$got" ]; then
        n="$(pages "$got")"
        # The built-in one-slide document is no slide of the deck.
        grep -q "a one-slide document stands in" "$out/log.txt" && n=0
        [ "$n" = 1 ] && ! grep -q "slides kept" "$out/log.txt" && unzip -p "$out/TORVEX_$case_name.odp" content.xml 2>/dev/null | grep -q 'draw:name="page1" draw:style-name="dp1" draw:master-page-name="Default"><presentation:notes' && n=0
        opened[$name]=$((opened[$name] + 1)); kept[$name]=$((kept[$name] + ${n:-0}))
        line+="$(printf ' %14s' "opens/$n")"
      else
        line+="$(printf ' %14s' "refused")"
      fi
    done
    echo "$line"
  done
done
echo
echo "cases: $cases, slides in the originals: $total"
for name in "${names[@]}"; do
  pct=$(awk -v k="${kept[$name]}" -v t="$total" 'BEGIN { if (t > 0) printf "%.1f", 100 * k / t; else print 0 }')
  echo "$name: ${opened[$name]} of $cases open, ${kept[$name]} slides kept ($pct %)"
done
