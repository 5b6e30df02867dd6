#!/usr/bin/env bash
# run.sh EXE: starts velmora.exe under Wine in a prefix of its own,
# build/wine-state-run/prefix. With a display it runs until the window is
# closed; without one it starts its own (tools/display.sh), saves a screenshot
# of the window to build/screenshot.png and ends what it started.
set -eu
exe="$1"
build="$(cd "$(dirname "$(dirname "$exe")")" && pwd)"
tools="$(cd "$(dirname "$0")" && pwd)"
state="$build/wine-state-run"
had_display="${DISPLAY:-}"
bash "$tools/display.sh" start "$state"
. "$tools/wine-env.sh" "$state"

add_toolbar_key() {
  # The shell creates the toolbar key on Windows; a new Wine prefix lacks it,
  # and the program never creates keys itself. Run only with a display set:
  # the first Wine process of a prefix starts its desktop on that display.
  wine reg add 'HKCU\Software\Microsoft\Internet Explorer\Toolbar' /f </dev/null >/dev/null 2>&1 || true
}

if [ -n "$had_display" ]; then
  add_toolbar_key
  exec wine "$exe"
fi

stop() {
  # -k ends this prefix's processes (the program, the desktop, the services),
  # then its server; the display goes last, once nothing draws on it.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  bash "$tools/display.sh" stop "$state"
}
trap stop EXIT
echo "No display set: started Xvfb and openbox on $DISPLAY."
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
