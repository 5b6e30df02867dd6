#!/usr/bin/env bash
# Starts velmora.exe under Wine. With a display it runs until the window is
# closed; without one it starts its own Xvfb, saves a screenshot of the window
# to build/screenshot.png and ends what it started.
set -eu
exe="$1"
build="$(dirname "$(dirname "$exe")")"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# Our own "wine" first: it picks the loader this machine can run.
export PATH="$(cd "$(dirname "$0")/wine-loader" && pwd):$PATH"

add_toolbar_key() {
  # The shell creates the toolbar key on Windows; a new Wine prefix lacks it,
  # and the program never creates keys itself. Run only with a display set:
  # the first Wine process of a prefix starts its desktop on that display.
  wine reg add 'HKCU\Software\Microsoft\Internet Explorer\Toolbar' /f </dev/null >/dev/null 2>&1 || true
}

if [ -n "${DISPLAY:-}" ]; then
  add_toolbar_key
  exec wine "$exe"
fi

n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=":$n"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
echo "No display set: started Xvfb on $DISPLAY (pid $xvfb)."
add_toolbar_key
wine "$exe" </dev/null >/dev/null 2>&1 &
inspect="$(dirname "$exe")/tools/velmora-inspect.exe"
pid=""
# A new Wine prefix takes half a minute to make before the program starts.
for _ in $(seq 1200); do
  pid="$(wine "$inspect" windows 2>/dev/null |
         sed -n 's/.*"pid": \([0-9]*\), .*"class": "VelmoraMain".*/\1/p' | head -n 1)"
  [ -n "$pid" ] && break
  sleep 0.1
done
if [ -z "$pid" ]; then
  echo "velmora.exe did not open its window." >&2
  exit 1
fi
sleep 1.5   # the first redraw follows half a second after start-up
import -window root "$build/screenshot.png"
echo "velmora.exe started; saved a screenshot to $build/screenshot.png."
# End the program we started, by its own process id.
wine taskkill /F /PID "$pid" >/dev/null 2>&1 || true
