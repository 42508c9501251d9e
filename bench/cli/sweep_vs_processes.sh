#!/usr/bin/env bash
# The batch runner's sweep against the same runs as separate processes:
# 2,000 start-up-size runs (drive speed 1000 to 2999), wall time of each way,
# runs per second, and what the start of one process costs.
#
#   bench/cli/sweep_vs_processes.sh [path/to/tarvex-batch]
set -euo pipefail
batch=$(realpath "${1:-build/release/cli/tarvex-batch}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
# Seconds taken by the command given.
timed() {
  local start
  start=$(now)
  "$@" >/dev/null
  calc "$(now) - $start"
}

separate() { for s in $(seq 1000 2999); do "$batch" --set driveSpeed="$s" --json; done; }
# Each process its own data log: two runs cannot write one log at once.
separateTwoAtOnce() {
  seq 1000 2999 | xargs -P 2 -I{} "$batch" --set driveSpeed={} --log log{}.txt --json
}
starts() { for _ in $(seq 100); do "$batch" --help; done; }
emptyRuns() { for _ in $(seq 100); do "$batch" --set outputPulses=0 --json; done; }

report() {  # label seconds
  printf '%-44s %8.2f s  %7.0f runs/s\n' "$1" "$2" "$(calc "2000 / $2")"
}

processes=$(timed separate)
report "2000 processes, one after another" "$processes"
report "2000 processes, two at a time" "$(timed separateTwoAtOnce)"
for jobs in 1 2; do
  sweep=$(timed "$batch" --vary driveSpeed=1000:2999:1 --jobs "$jobs")
  report "one sweep, --jobs $jobs" "$sweep"
  printf '%-44s %8.3f\n' "  sweep / processes one after another" "$(calc "$sweep / $processes")"
done
printf '%-44s %8.2f ms\n' "process start (--help)" "$(calc "$(timed starts) * 10")"
printf '%-44s %8.2f ms\n' "process start and a run of no pulses" "$(calc "$(timed emptyRuns) * 10")"
printf '%-44s %8d\n' "shared libraries loaded" "$(ldd "$batch" | wc -l)"
