#!/usr/bin/env bash
# display.sh start STATE: with no display set, an Xvfb of our own with the
#   openbox window manager; with one set, starts nothing. Either way
#   STATE/display names the display to use (tools/wine-env.sh reads it).
# display.sh stop STATE: ends what start began, by process id.
set -eu
cmd="${1:-}"
state="${2:?usage: display.sh start|stop STATE}"

stop() {
  local name pid
  for name in openbox Xvfb; do
    [ -f "$state/$name.pid" ] || continue
    pid="$(cat "$state/$name.pid")"
    # A pid left by a run that never stopped may belong to another program now.
    if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$name" ]; then
      kill "$pid" 2>/dev/null || true
      # Ended once it is gone or a zombie: its parent, the shell that started
      # it, has usually exited, and whoever inherits it may reap it late.
      for _ in $(seq 50); do
        case "$(ps -o stat= -p "$pid" 2>/dev/null)" in "" | Z*) break ;; esac
        sleep 0.1
      done
    fi
    rm -f "$state/$name.pid"
  done
  rm -f "$state/display"
}

start() {
  stop
  mkdir -p "$state"
  if [ -n "${DISPLAY:-}" ]; then
    echo "$DISPLAY" >"$state/display"
    return
  fi
  # Xvfb picks a free display number itself and writes it to the file: two
  # runs started at once once both took the first number that looked free,
  # and stopping one then took the display from under the other.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 3>"$state/display.number" &
  echo $! >"$state/Xvfb.pid"
  local n=""
  for _ in $(seq 100); do
    n="$(cat "$state/display.number" 2>/dev/null)" && [ -n "$n" ] && break
    sleep 0.1
  done
  if [ -z "$n" ]; then
    echo "Xvfb did not start: $(cat "$state/xvfb.log")" >&2
    stop
    exit 1
  fi
  # A small window manager, as on a desktop: without one Wine waits about 2 s
  # for every dialog, box and menu it closes, and the keyboard follows the
  # pointer instead of the active window.
  DISPLAY=":$n" openbox --sm-disable </dev/null >"$state/openbox.log" 2>&1 &
  echo $! >"$state/openbox.pid"
  for _ in $(seq 50); do
    DISPLAY=":$n" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
    sleep 0.1
  done
  echo ":$n" >"$state/display"
}

case "$cmd" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop STATE" >&2; exit 2 ;;
esac
