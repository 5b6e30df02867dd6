# Sourced as ". tools/wine-env.sh STATE": Wine in STATE/prefix, never the
# user's own prefix, and on the display tools/display.sh recorded in STATE
# (else on whatever display is set).
: "${1:?usage: . wine-env.sh STATE}"
# Wine takes only an absolute prefix.
WINEPREFIX="$(mkdir -p "$1" && cd "$1" && pwd)/prefix"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
# A new prefix otherwise asks to install Mono and Gecko; hidden, that prompt hangs.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Our own "wine" first: it picks the loader this machine can run.
PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")/wine-loader" && pwd):$PATH"
export PATH
if [ -f "$1/display" ]; then
  DISPLAY="$(cat "$1/display")"
  export DISPLAY
fi
