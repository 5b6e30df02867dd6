#!/usr/bin/env bash
# run.sh WINBUILD: every benchmark in turn, each side by side with its floor
# under the same Wine, then one summary table of medians and ratios.
# WINBUILD is the Windows tree this machine runs: build/win64 where the kernel
# refuses 32-bit programs (make bench picks it).
set -u -o pipefail
build="$(cd "${1:?usage: bench/run.sh WINBUILD}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
out="$build/bench-results"
mkdir -p "$out"
status=0

echo "== start-up: launch to first painted frame, against a bare window"
bash "$here/startup/run.sh" "$build" | tee "$out/startup.txt" || status=1
echo
echo "== redraw: the whole preview redraw, against one BitBlt and TransparentBlt"
bash "$here/redraw/run.sh" "$build" | tee "$out/redraw.txt" || status=1
echo
echo "== wallpaper memory: one 6000 x 6000 bitmap in every holder, against one decoded copy"
bash "$here/wallpaper/run.sh" "$build" | tee "$out/wallpaper.txt" || status=1
echo
echo "== conversion: JPEG and GIF to BMP through WIC and GDI+, against bare programs of each, djpeg and ImageMagick"
python3 "$here/convert/run_convert_bench.py" "$build" | tee "$out/convert.txt" || status=1
echo
echo "Results are in $out; bench/README.md keeps the last table measured."
exit $status
