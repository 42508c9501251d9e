#!/usr/bin/env bash
# The points file in WebAssembly under node against the native build, side
# by side: both builds of points_file_bench run by turns, ROUNDS times each,
# and the medians of their points-file times and of the pairs' ratios are
# printed (target: WebAssembly / native <= 2).
#
#   bench/cli/points_file_wasm.sh WASM.js [NATIVE [ROUNDS]]
#
# WASM.js is points_file_bench.cpp built with emscripten for node with the
# real file system (-sNODERAWFS=1); NATIVE defaults to the Release build's.
set -euo pipefail
wasm=$(realpath "$1")
native=$(realpath "${2:-build/release/bench/cli/points_file_bench}")
rounds=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The points file's median time of one run of a build, in milliseconds.
pointsMs() { "$@" 3 "$work" | awk '/^points file/ { print $3 }'; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

nativeMs=() wasmMs=() ratios=()
for ((i = 0; i < rounds; ++i)); do
  n=$(pointsMs "$native")
  w=$(pointsMs node --no-experimental-fetch "$wasm")
  nativeMs+=("$n") wasmMs+=("$w")
  ratios+=("$(awk -v w="$w" -v n="$n" 'BEGIN { print w / n }')")
done
printf 'native points file        %8.2f ms\n' "$(printf '%s\n' "${nativeMs[@]}" | median)"
printf 'WebAssembly points file   %8.2f ms\n' "$(printf '%s\n' "${wasmMs[@]}" | median)"
printf 'ratio                     %8.2f (median of %d pairs)\n' \
  "$(printf '%s\n' "${ratios[@]}" | median)" "$rounds"
