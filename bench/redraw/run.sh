#!/usr/bin/env bash
# run.sh BUILD [iterations [tile pixels]]: times the redraw under Wine, in
# BUILD/wine-state-bench/redraw/prefix, and prints the figures.
# Exits 1 when the redraw misses its aim (2 ms, 1 x TransparentBlt).
set -eu
build="$1"
shift
exe="$build/bench/redraw/velmora_bench_redraw.exe"
[ -f "$exe" ] || { echo "no $exe: build the Windows tree first" >&2; exit 2; }
. "$(dirname "$0")/../../tools/wine-env.sh" "$build/wine-state-bench/redraw"
exec wine "$exe" "$@"
