#!/usr/bin/env bash
# run.sh BUILD [side pixels]: the memory of one large wallpaper shown in every
# holder, under Wine in a prefix of the build's own (or $WINEPREFIX) and on
# $DISPLAY (default: an Xvfb of its own). Exits 1 when it takes more than 1.1
# times the file decoded once.
set -eu
build="$(cd "${1:?usage: run.sh BUILD [side]}" && pwd)"
shift
exe="$build/bench/wallpaper/velmora_bench_wallpaper.exe"
[ -f "$exe" ] || { echo "no $exe: build the Windows tree first" >&2; exit 2; }
export WINEPREFIX="${WINEPREFIX:-$build/bench-wine}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
xvfb_pid=""
trap '[ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true' EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
fi
wine "$exe" "$@"
