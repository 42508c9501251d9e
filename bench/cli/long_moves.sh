#!/usr/bin/env bash
# Three moves of 100,000,000 pulses against the start-up run, each pair of
# whole processes started by turns (median of the pairs' ratios; target <= 5):
#
#   cruise   range 100000, drive speed 10000 (800,000 pulses/s), S-curve:
#            short ramps, 125 s at the drive speed
#   linear   the same with acceleration 2: ramps of 16,000,000 pulses
#   s-curve  acceleration 200, increasing rates 3000: ramps of 550,000 pulses
#
#   bench/cli/long_moves.sh [path/to/tarvex-batch]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
batch=$(realpath "${1:-build/release/cli/tarvex-batch}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cc -O2 -o paired "$here/paired.c"

fast="--set range=100000 --set driveSpeed=10000 --set outputPulses=100000000"
declare -A moves=(
  [cruise]="$fast"
  [linear]="$fast --linear --set acceleration=2"
  [s-curve]="$fast --set acceleration=200 --set jerkAccel=3000 --set jerkDecel=3000"
)
printf '%-10s %12s %12s %8s\n' move "start-up ms" "move ms" ratio
for name in cruise linear s-curve; do
  # shellcheck disable=SC2086
  read -r startMs moveMs ratio < <(./paired 50 "$batch" -- "$batch" ${moves[$name]})
  printf '%-10s %12.3f %12.3f %8.2f   (target <= 5)\n' "$name" "$startMs" "$moveMs" "$ratio"
done
