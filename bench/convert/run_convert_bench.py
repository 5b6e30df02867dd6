#!/usr/bin/env python3
"""Conversion speed and memory: velmora-convert.exe against its floors.

usage: run_convert_bench.py BUILD_DIR [--runs N] [--sizes 640x480,1920x1080,4000x3000]

For JPEG and GIF pictures of each size it times, whole process, median of N
runs after one warm-up:
  tool      velmora-convert.exe IN OUT under Wine (checks, Picture, temporary
            file, flush, move: the converter tab's Save path)
  floor     velmora-bench-wic-floor.exe under Wine: bare WIC decode, strips
            written straight to OUT (the least a WIC program does)
  floor+fl  the same with FlushFileBuffers, which the real saver does
  held      the same again keeping the picture, as a window that shows it
            must: one fresh 24-bit DIB section, written out whole
  djpeg     djpeg -bmp natively (JPEG only)
  magick    ImageMagick convert to a 24-bit BMP natively
Memory: the Windows programs report their own peak working set from inside
(GetProcessMemoryInfo, --stats) and the working set they started with, after
COM came up; "over idle" is the difference, compared with the decoded picture
at 32 bits a pixel. Native programs: maximum resident set from /usr/bin/time.

Wine runs in a prefix of the benchmark's own under BUILD_DIR, with a
persistent wineserver that is stopped at the end. Pictures are made once with
ImageMagick and cjpeg and kept under BUILD_DIR for later runs.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("build")
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--sizes", default="640x480,1920x1080,4000x3000")
    return p.parse_args()


class Wine:
    def __init__(self, build):
        self.env = dict(os.environ, WINEPREFIX=os.path.join(build, "bench-wine", "prefix"),
                        WINEDLLOVERRIDES="mscoree,mshtml=", WINEDEBUG="-all", WINEARCH="win64",
                        # Our own "wine" first: it picks the loader this machine can run.
                        PATH=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                                          "wine-loader") + os.pathsep + os.environ["PATH"])
        self.env.pop("DISPLAY", None)  # WIC needs no display
        if not os.path.isdir(self.env["WINEPREFIX"]):
            print("Making the benchmark's Wine prefix (once)...", file=sys.stderr)
            os.makedirs(os.path.dirname(self.env["WINEPREFIX"]), exist_ok=True)
            subprocess.run(["wineboot", "-i"], env=self.env, capture_output=True, check=True)
        subprocess.run(["wineserver", "-p"], env=self.env)  # 2: already running, which is as good

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env)

    def command(self, exe, *args):
        return ["wine", exe, *args], self.env


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def timed(command, env=None):
    """(seconds, stdout) of one run; output goes to files, since Wine holds
    piped output open for a second after a program ends."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        result = subprocess.run(command, stdout=out, stderr=err, env=env)
        took = time.perf_counter() - start
        out.seek(0)
        err.seek(0)
        if result.returncode != 0:
            raise RuntimeError(f"{command}: {err.read().decode(errors='replace')}")
        return took, out.read().decode(errors="replace")


def stats_of(text):
    return {k: float(v) for k, v in (f.split("=") for f in text.split() if "=" in f)}


def make_pictures(folder, sizes):
    os.makedirs(folder, exist_ok=True)
    pictures = []
    for width, height in sizes:
        base = os.path.join(folder, f"{width}x{height}")
        if not os.path.exists(base + ".gif"):
            print(f"Making {width}x{height} pictures (once)...", file=sys.stderr)
            # Photo-like: smooth colour from a small plasma, then grain.
            subprocess.run(["convert", "-seed", "1", "-size", f"{width // 4}x{height // 4}", "plasma:fractal",
                            "-resize", f"{width}x{height}!", "-attenuate", "0.3", "+noise", "Gaussian",
                            "-depth", "8", base + ".ppm"], check=True)
            with open(base + ".jpg", "wb") as f:
                subprocess.run(["cjpeg", "-quality", "90", base + ".ppm"], stdout=f, check=True)
            subprocess.run(["convert", base + ".ppm", "-colors", "256", base + ".gif"], check=True)
            os.remove(base + ".ppm")
        pictures += [(width, height, "JPEG", base + ".jpg"), (width, height, "GIF", base + ".gif")]
    return pictures


def interleaved(runs, commands):
    """Median seconds and all outputs of each command. The commands take turns
    so that a busy machine slows each of them alike; the first round warms
    the page cache and Wine's DLLs and is dropped."""
    times = {name: [] for name in commands}
    outputs = {name: [] for name in commands}
    for round_ in range(runs + 1):
        for name, (command, env) in commands.items():
            took, text = timed(command, env)
            if round_ > 0:
                times[name].append(took)
                outputs[name].append(text)
    return times, outputs


def native_peak_kib(command):
    with tempfile.NamedTemporaryFile(mode="r") as report:
        subprocess.run(["/usr/bin/time", "-o", report.name, "-f", "%M"] + command,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        return int(report.read().split()[-1])


def main():
    args = parse_args()
    build = os.path.abspath(args.build)
    tool = os.path.join(build, "velmora-convert.exe")
    floor = os.path.join(build, "velmora-bench-wic-floor.exe")
    for exe in (tool, floor):
        if not os.path.exists(exe):
            sys.exit(f"{exe} has not been built")
    sizes = [tuple(int(n) for n in s.split("x")) for s in args.sizes.split(",")]
    pictures = make_pictures(os.path.join(build, "bench-convert-pictures"), sizes)
    wine = Wine(build)
    rows = []
    try:
        with tempfile.TemporaryDirectory(prefix="velmora-bench-") as out:
            target = os.path.join(out, "out.bmp")
            for width, height, kind, path in pictures:
                source, bmp = windows_path(path), windows_path(target)
                djpeg = ["djpeg", "-bmp", "-outfile", target, path]
                magick = ["convert", path + "[0]", "-type", "TrueColor", "BMP3:" + target]
                commands = {
                    "tool": wine.command(tool, source, bmp, "--stats"),
                    "floor": wine.command(floor, source, bmp, "--stats"),
                    "flush": wine.command(floor, source, bmp, "--flush", "--stats"),
                    "held": wine.command(floor, source, bmp, "--flush", "--hold", "--stats"),
                    "magick": (magick, None),
                }
                if kind == "JPEG":
                    commands["djpeg"] = (djpeg, None)
                times, outputs = interleaved(args.runs, commands)
                tool_stats = [stats_of(s) for s in outputs["tool"]]
                floor_stats = [stats_of(s) for s in outputs["floor"]]
                flush_stats = [stats_of(s) for s in outputs["flush"]]
                held_stats = [stats_of(s) for s in outputs["held"]]
                decoded = width * height * 4
                rows.append({
                    "picture": f"{width}x{height} {kind}",
                    "times": times,
                    "inside": [s["load_ms"] + s["save_ms"] for s in tool_stats],
                    "flush_inside": [s["total_ms"] for s in flush_stats],
                    "held_inside": [s["total_ms"] for s in held_stats],
                    "tool_peak": max(s["peak_working_set"] for s in tool_stats),
                    "tool_over": max(s["peak_working_set"] - s["start_working_set"] for s in tool_stats),
                    "floor_over": max(s["peak_working_set"] - s["start_working_set"] for s in floor_stats),
                    "held_over": max(s["peak_working_set"] - s["start_working_set"] for s in held_stats),
                    "decoded": decoded,
                    "picture24": (width * 3 + 3) // 4 * 4 * height,
                    "djpeg_kib": native_peak_kib(djpeg) if kind == "JPEG" else None,
                    "magick_kib": native_peak_kib(magick),
                })
    finally:
        wine.stop()

    mib = 1 << 20
    med = statistics.median
    print(f"Medians of {args.runs} interleaved runs after one warm-up; 'min' compares the fastest runs, "
          f"the least disturbed by other work on the machine.")
    print("Whole process, seconds: tool = velmora-convert.exe, floor = bare WIC decode and write, "
          "+fl = with FlushFileBuffers, held = also keeping the picture (under Wine).")
    print("Inside, ms: from the picture's opening to the BMP's closing, measured by the program itself.")
    head = (f"{'picture':<16}{'tool':>7}{'floor':>7}{'ratio':>7}{'floor+fl':>9}{'ratio':>7}{'min':>6}"
            f"{'held':>7}{'ratio':>7}{'djpeg':>7}{'magick':>8}{'|':>3}{'tool in':>9}{'fl+fl in':>9}"
            f"{'ratio':>7}{'held in':>9}{'ratio':>7}")
    print(head)
    print("-" * len(head))
    for r in rows:
        t = r["times"]
        dj = f"{med(t['djpeg']):.3f}" if "djpeg" in t else "-"
        print(f"{r['picture']:<16}{med(t['tool']):>7.3f}{med(t['floor']):>7.3f}"
              f"{med(t['tool']) / med(t['floor']):>7.2f}{med(t['flush']):>9.3f}"
              f"{med(t['tool']) / med(t['flush']):>7.2f}{min(t['tool']) / min(t['flush']):>6.2f}"
              f"{med(t['held']):>7.3f}{med(t['tool']) / med(t['held']):>7.2f}"
              f"{dj:>7}{med(t['magick']):>8.3f}{'|':>3}{med(r['inside']):>9.0f}{med(r['flush_inside']):>9.0f}"
              f"{med(r['inside']) / med(r['flush_inside']):>7.2f}{med(r['held_inside']):>9.0f}"
              f"{med(r['inside']) / med(r['held_inside']):>7.2f}")
    print()
    print("Memory, MiB: peak working set inside the Windows programs (GetProcessMemoryInfo); 'over idle' "
          "subtracts the working set at start, COM up. Native programs: maximum resident set.")
    print("Aim: the tool over idle at most the floor's (the decoder's buffer) plus one 24-bit picture; "
          "'held over' is the floor keeping that picture.")
    head = (f"{'picture':<16}{'decoded 32b':>12}{'tool peak':>10}{'over idle':>10}{'/decoded':>9}"
            f"{'floor over':>11}{'+24-bit':>9}{'tool/aim':>9}{'held over':>10}{'djpeg RSS':>10}{'magick RSS':>11}")
    print(head)
    print("-" * len(head))
    for r in rows:
        dj_mem = f"{r['djpeg_kib'] / 1024:.0f}" if r["djpeg_kib"] is not None else "-"
        print(f"{r['picture']:<16}{r['decoded'] / mib:>12.1f}{r['tool_peak'] / mib:>10.1f}"
              f"{r['tool_over'] / mib:>10.1f}{r['tool_over'] / r['decoded']:>9.2f}"
              f"{r['floor_over'] / mib:>11.1f}{r['picture24'] / mib:>9.1f}"
              f"{r['tool_over'] / (r['floor_over'] + r['picture24']):>9.2f}{r['held_over'] / mib:>10.1f}"
              f"{dj_mem:>10}{r['magick_kib'] / 1024:>11.0f}")


if __name__ == "__main__":
    main()
