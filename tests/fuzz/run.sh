#!/usr/bin/env bash
# Builds the fuzz target with clang in BUILD_DIR and runs it for SECONDS
# (default 20). New inputs and any crash files stay under BUILD_DIR/work.
#   tests/fuzz/run.sh /tmp/build-fuzz 600 picture_header
set -euo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 BUILD_DIR [SECONDS] [TARGET...]" >&2
  exit 2
fi
build=$1
seconds=${2:-20}
shift $(( $# >= 2 ? 2 : 1 ))
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(picture_header)

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ_SECONDS="$seconds" >/dev/null
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build "$build" -j "$jobs"

# ctest already knows each target's flags, seeds and work folders; each
# fuzzer uses one core, so as many run at once as there are cores.
filter=$(IFS='|'; echo "${targets[*]}")
status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" -R "^fuzz\.(${filter})\$" || status=$?
if compgen -G "$build/work/*/crashes/*" >/dev/null; then
  echo "Inputs that broke a target:" >&2
  ls -l "$build"/work/*/crashes/* >&2
fi
exit $status
