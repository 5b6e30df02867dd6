#!/usr/bin/env bash
# Starts velmora.exe under Wine. With a display it runs until the window is
# closed; without one it starts its own Xvfb, saves a screenshot of the window
# to build/screenshot.png and ends what it started.
set -eu
exe="$1"
build="$(dirname "$(dirname "$exe")")"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# The shell creates the toolbar key on Windows; a new Wine prefix lacks it,
# and the program never creates keys itself.
wine reg add 'HKCU\Software\Microsoft\Internet Explorer\Toolbar' /f >/dev/null 2>&1 || true

if [ -n "${DISPLAY:-}" ]; then
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
wine "$exe" &
app=$!
win=""
for _ in $(seq 300); do
  win="$(xdotool search --name '^Velmora$' 2>/dev/null | head -n 1 || true)"
  [ -n "$win" ] && break
  sleep 0.1
done
if [ -z "$win" ]; then
  echo "velmora.exe did not open its window." >&2
  exit 1
fi
sleep 1.5   # the first redraw follows half a second after start-up
import -window root "$build/screenshot.png"
echo "velmora.exe is running; saved a screenshot to $build/screenshot.png."
xdotool windowclose "$win" 2>/dev/null || kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
wineserver -k 2>/dev/null || true
