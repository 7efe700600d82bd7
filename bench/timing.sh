# Sourced by the bench scripts.
# seconds CMD...: the wall-clock seconds CMD takes, its output dropped; a run
# that fails (pelmark-cli exits 1 or 3 for some packages) is timed all the same.
seconds() {
  local start end
  start="$(date +%s.%N)"
  "$@" > /dev/null 2>&1 || true
  end="$(date +%s.%N)"
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.5f\n", b - a}'
}
# median: the median of the numbers on standard input, one a line.
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
