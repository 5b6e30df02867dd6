# Sourced by the benchmarks with $build set: Wine in the build's own prefix
# (or $WINEPREFIX), with no Mono or Gecko prompt and no debug output.
export WINEPREFIX="${WINEPREFIX:-$build/bench-wine}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
# Our own "wine" first: it picks the loader this machine can run.
export PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")/../tools/wine-loader" && pwd):$PATH"
