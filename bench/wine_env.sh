# Sourced by the benchmarks with $build set: Wine in the build's own prefix
# (or $WINEPREFIX), with no Mono or Gecko prompt and no debug output.
export WINEPREFIX="${WINEPREFIX:-$build/bench-wine}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
