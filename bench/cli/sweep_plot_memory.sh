#!/usr/bin/env bash
# Peak memory of a sweep that draws its family plot, against the number of
# runs: it should stay flat, the family keeping a PNG's pixels and writing an
# SVG's gray curves as they come. Also the family's file size per run, and
# a sweep whose first run is far slower than the rest, so that every other
# run finishes ahead of it and waits (with --jobs 64).
#
#   bench/cli/sweep_plot_memory.sh [path/to/tarvex-batch]
#
# Needs GNU time (/usr/bin/time). Figures on the 2-core build machine
# (release build, peak resident set size, wall time):
#
#   runs  format  jobs               peak MB  seconds  file bytes
#   1000  png     2                       26      1.8       9,663
#   2000  png     2                       26      4.3       9,818
#   4000  png     2                       26     12.6       9,739
#   4000  png     64                      83     14.3       9,739
#   1000  svg     2                       18      2.7     761,494
#   4000  svg     2                       18     12.8   3,276,452
#   4001  png     64, first run slow      86     16.2       8,624
#
# With 64 jobs most of the peak is the 64 pictures being drawn at once
# (about 0.9 MB each). Before the family was drawn as the runs arrived:
# 99 MB at 1000 PNG runs and about 74 KB more a run; an SVG family of 12
# runs took 590 KB, now 11 KB (the same 12 runs).
set -euo pipefail
batch=$(realpath "${1:-build/release/cli/tarvex-batch}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Peak MB, seconds and the plot's size of one sweep, under a label.
measure() {
  local label=$1 plot=$2
  shift 2
  /usr/bin/time -f "%M %e" -o usage "$batch" "$@" --plot "$plot" >/dev/null
  read -r kb seconds <usage
  printf "%-28s %6d MB %7.1f s %10d bytes\n" "$label" $((kb / 1024)) "$seconds" \
    "$(stat -c %s "$plot")"
}

for runs in 1000 2000 4000; do
  measure "$runs runs png, 2 jobs" family.png --vary jerkAccel=1:$runs:1 --jobs 2
done
measure "4000 runs png, 64 jobs" family.png --vary jerkAccel=1:4000:1 --jobs 64
for runs in 1000 4000; do
  measure "$runs runs svg, 2 jobs" family.svg --vary jerkAccel=1:$runs:1 --jobs 2
done
# The first run takes 200 times as long as each of the others.
measure "4001 runs png, 64, slow 1st" family.png \
  --vary "outputPulses=2000000,$(seq 10000 10 49990 | paste -sd,)" --jobs 64
