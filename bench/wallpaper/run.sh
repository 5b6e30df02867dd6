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
. "$(dirname "$0")/../wine_env.sh"
xvfb_pid=""
trap '[ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true' EXIT
. "$(dirname "$0")/../own_display.sh"
wine "$exe" "$@"
