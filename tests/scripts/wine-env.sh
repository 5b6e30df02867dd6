# Sourced: points Wine at the test run's own prefix and display, never the user's.
: "${VELMORA_WINE_STATE:?must name the state folder of the test run}"
export WINEPREFIX="$VELMORA_WINE_STATE/prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# A new prefix otherwise asks to install Mono and Gecko; hidden, that prompt hangs.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Our own "wine" first: it picks the loader this machine can run.
PATH="$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/../../tools/wine-loader" && pwd):$PATH"
export PATH
if [ -f "$VELMORA_WINE_STATE/display" ]; then
  DISPLAY="$(cat "$VELMORA_WINE_STATE/display")"
  export DISPLAY
fi
