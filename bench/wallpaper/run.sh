#!/usr/bin/env bash
# run.sh BUILD [side pixels]: the memory of one large wallpaper shown in every
# holder, under Wine in BUILD/wine-state-bench/wallpaper/prefix and on
# $DISPLAY or else a display of its own. Exits 1 when it takes more than 1.1
# times the file decoded once.
set -eu
build="$(cd "${1:?usage: run.sh BUILD [side]}" && pwd)"
shift
exe="$build/bench/wallpaper/velmora_bench_wallpaper.exe"
[ -f "$exe" ] || { echo "no $exe: build the Windows tree first" >&2; exit 2; }
tools="$(cd "$(dirname "$0")/../../tools" && pwd)"
state="$build/wine-state-bench/wallpaper"
bash "$tools/display.sh" start "$state"
. "$tools/wine-env.sh" "$state"
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; bash "$tools/display.sh" stop "$state"' EXIT
# The shell makes the toolbar key on Windows and the program never creates it:
# without it in a new prefix the apply fails and measures nothing.
wine reg add 'HKCU\Software\Microsoft\Internet Explorer\Toolbar' /f </dev/null >/dev/null 2>&1
wine "$exe" "$@"
