#!/usr/bin/env bash
# How long the batch runner takes to start, against a C program that does
# nothing, and how much of a whole run of the start-up parameters is the
# engine's own work:
#
#   --help / do-nothing C program        median over paired runs (target <= 3)
#   start-up run process / engine time   median process / engine time (target <= 5)
#
# The engine's time for the start-up run is fast_forward_bench's, which runs
# the same engine on the same parameters in one process, again and again.
#
#   bench/cli/startup.sh [path/to/tarvex-batch [path/to/fast_forward_bench]]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
batch=$(realpath "${1:-build/release/cli/tarvex-batch}")
engineBench=$(realpath "${2:-build/release/bench/engine/fast_forward_bench}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

cat >nothing.c <<'C'
int main(void) { return 0; }
C
cc -O2 -o nothing nothing.c
cc -O2 -o paired "$here/paired.c"

read -r cMs helpMs helpRatio < <(./paired 400 "$PWD/nothing" -- "$batch" --help)
read -r _ runMs _ < <(./paired 200 "$PWD/nothing" -- "$batch")
engineMs=$("$engineBench" --benchmark_filter='SCurve / FastForward' --benchmark_format=csv \
  2>/dev/null | awk -F, '/SCurve \/ FastForward/ { print $3 }')

printf '%-44s %8.3f ms\n' "do-nothing C program" "$cMs"
printf '%-44s %8.3f ms\n' "tarvex-batch --help" "$helpMs"
printf '%-44s %8.2f   (target <= 3)\n' "  --help / do-nothing C (median of pairs)" "$helpRatio"
printf '%-44s %8.3f ms\n' "tarvex-batch, the start-up run, as a process" "$runMs"
printf '%-44s %8.3f ms\n' "the engine's time for the start-up run" "$engineMs"
printf '%-44s %8.2f   (target <= 5)\n' "  process / engine" "$(awk "BEGIN { print $runMs / $engineMs }")"
printf '%-44s %8d\n' "shared libraries loaded" "$(ldd "$batch" | wc -l)"
if ldd "$batch" | grep -qi 'libQt'; then echo "tarvex-batch loads Qt"; exit 1; fi
