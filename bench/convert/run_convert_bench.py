#!/usr/bin/env python3
"""Conversion speed and memory: velmora-convert.exe against its floors, through
each of the loader's two decoders.

usage: run_convert_bench.py BUILD_DIR [--runs N] [--sizes 640x480,1920x1080,4000x3000]
                            [--decoders wic,gdiplus] [--no-native]

BUILD_DIR is a Windows tree whose programs this machine runs (build/win64
where the kernel refuses 32-bit programs). For JPEG and GIF pictures of each
size it times, whole process, median of N runs after one warm-up, all
programs taking turns in the same rounds:
  tool      velmora-convert.exe IN OUT --decoder D under Wine (checks, Picture,
            temporary file, flush, move: the converter tab's Save path)
  floor     the bare program for that decoder under Wine: WIC
            (velmora-bench-wic-floor.exe) or GDI+ 1.0
            (velmora-bench-gdiplus-floor.exe), strips written straight to OUT
  floor+fl  the same with FlushFileBuffers, which the real saver does
  held      the same again keeping the picture, as a window that shows it
            must: one fresh 24-bit DIB section, written out whole
  djpeg     djpeg -bmp natively (JPEG only)
  magick    ImageMagick convert to a 24-bit BMP natively
Both decoders run in one prefix that has WIC: --decoder gdiplus makes the
tool take the path that Windows XP takes.
Memory: the Windows programs report their own peak working set from inside
(GetProcessMemoryInfo, --stats) and the working set they started with, after
COM came up; "over idle" is the difference, compared with the decoded picture
at 32 bits a pixel. Native programs: maximum resident set from /usr/bin/time.

Wine runs in a prefix of the benchmark's own, BUILD_DIR/wine-state-bench/convert/prefix
(convert-without-wic/prefix for compare_outputs.py --without-wic), with a
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

DECODERS = {"wic": ("WIC", "velmora-bench-wic-floor.exe"), "gdiplus": ("GDI+", "velmora-bench-gdiplus-floor.exe")}


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("build")
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--sizes", default="640x480,1920x1080,4000x3000")
    p.add_argument("--decoders", default="wic,gdiplus")
    p.add_argument("--no-native", action="store_true", help="leave out djpeg and ImageMagick")
    args = p.parse_args()
    args.decoders = args.decoders.split(",")
    for d in args.decoders:
        if d not in DECODERS:
            p.error(f"unknown decoder {d}; known: {', '.join(DECODERS)}")
    return args


# Wine's two WIC factories; with each gone from both views of the registry,
# CoCreateInstance answers "class not registered", as on Windows XP.
WIC_FACTORIES = ("{CACAF262-9370-4615-A13B-9F5539DA4C0A}", "{317D06E8-5F24-433D-BDF7-79CE68D8ABC2}")


class Wine:
    def __init__(self, build, without_wic=False):
        state = os.path.join(build, "wine-state-bench", "convert-without-wic" if without_wic else "convert")
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "wine-env.sh")
        # The environment every Wine run of the project gets, from the one script that sets it.
        self.env = dict(v.split("=", 1) for v in subprocess.run(
            ["bash", "-c", '. "$0" "$1" && env -0', script, state],
            check=True, capture_output=True, text=True).stdout.split("\0") if v)
        self.env.pop("DISPLAY", None)  # neither decoder needs a display
        if not os.path.isdir(self.env["WINEPREFIX"]):
            print("Making the benchmark's Wine prefix (once)...", file=sys.stderr)
            subprocess.run(["wineboot", "-i"], env=self.env, capture_output=True, check=True)
        subprocess.run(["wineserver", "-p"], env=self.env)  # 2: already running, which is as good
        if without_wic:
            self.remove_wic()

    def remove_wic(self):
        # No pipes: a process that Wine starts along the way would hold them open.
        quiet = dict(env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for clsid in WIC_FACTORIES:
            for view in ("/reg:32", "/reg:64"):
                key = "HKLM\\Software\\Classes\\CLSID\\" + clsid
                subprocess.run(["wine", "reg", "delete", key, "/f", view], **quiet)
                if subprocess.run(["wine", "reg", "query", key, view], **quiet).returncode == 0:
                    sys.exit(f"WIC is still registered in {self.env['WINEPREFIX']}: {clsid} ({view})")

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
    """All seconds and outputs of each command. The commands take turns so
    that a busy machine slows each of them alike, and each round starts with
    a different one; the first round warms the page cache and Wine's DLLs and
    is dropped."""
    times = {name: [] for name in commands}
    outputs = {name: [] for name in commands}
    names = list(commands)
    for round_ in range(runs + 1):
        shift = round_ % len(names)
        for name in names[shift:] + names[:shift]:
            command, env = commands[name]
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


def over_idle(stats):
    return max(s["peak_working_set"] - s["start_working_set"] for s in stats)


def main():
    args = parse_args()
    build = os.path.abspath(args.build)
    tool = os.path.join(build, "velmora-convert.exe")
    floors = {d: os.path.join(build, DECODERS[d][1]) for d in args.decoders}
    for exe in [tool, *floors.values()]:
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
                commands = {}
                for d in args.decoders:
                    commands[(d, "tool")] = wine.command(tool, source, bmp, "--decoder", d, "--stats")
                    commands[(d, "floor")] = wine.command(floors[d], source, bmp, "--stats")
                    commands[(d, "flush")] = wine.command(floors[d], source, bmp, "--flush", "--stats")
                    commands[(d, "held")] = wine.command(floors[d], source, bmp, "--flush", "--hold", "--stats")
                if not args.no_native:
                    commands[("native", "magick")] = (magick, None)
                    if kind == "JPEG":
                        commands[("native", "djpeg")] = (djpeg, None)
                times, outputs = interleaved(args.runs, commands)
                stats = {k: [stats_of(s) for s in v] for k, v in outputs.items()}
                row = {
                    "picture": f"{width}x{height} {kind}",
                    "times": times,
                    "decoded": width * height * 4,
                    "picture24": (width * 3 + 3) // 4 * 4 * height,
                    "djpeg_kib": native_peak_kib(djpeg) if kind == "JPEG" and not args.no_native else None,
                    "magick_kib": None if args.no_native else native_peak_kib(magick),
                }
                for d in args.decoders:
                    tool_stats = stats[(d, "tool")]
                    row[d] = {
                        "inside": [s["load_ms"] + s["save_ms"] for s in tool_stats],
                        "flush_inside": [s["total_ms"] for s in stats[(d, "flush")]],
                        "held_inside": [s["total_ms"] for s in stats[(d, "held")]],
                        "tool_peak": max(s["peak_working_set"] for s in tool_stats),
                        "tool_over": over_idle(tool_stats),
                        "floor_over": over_idle(stats[(d, "floor")]),
                        "held_over": over_idle(stats[(d, "held")]),
                    }
                rows.append(row)
    finally:
        wine.stop()
    report(args, rows)


def report(args, rows):
    mib = 1 << 20
    med = statistics.median
    print(f"Medians of {args.runs} interleaved runs after one warm-up, every program of a picture in the same "
          f"rounds; 'min' compares the fastest runs, the least disturbed by other work on the machine.")
    print("Whole process, seconds, under Wine: tool = velmora-convert.exe --decoder D, floor = the bare program "
          "for decoder D, +fl = with FlushFileBuffers, held = also keeping the picture.")
    print("Inside, ms: from the picture's opening to the BMP's closing, measured by the program itself.")
    head = (f"{'picture':<16}{'dec':<6}{'tool':>7}{'floor':>7}{'ratio':>7}{'floor+fl':>9}{'ratio':>7}"
            f"{'held':>7}{'ratio':>7}{'min':>6}{'djpeg':>7}{'magick':>8}{'|':>3}{'tool in':>9}{'fl+fl in':>9}"
            f"{'ratio':>7}{'held in':>9}{'ratio':>7}")
    print(head)
    print("-" * len(head))
    for r in rows:
        t = r["times"]
        dj = f"{med(t[('native', 'djpeg')]):.3f}" if ("native", "djpeg") in t else "-"
        mg = f"{med(t[('native', 'magick')]):.3f}" if ("native", "magick") in t else "-"
        for d in args.decoders:
            tool, floor, flush, held = (t[(d, k)] for k in ("tool", "floor", "flush", "held"))
            x = r[d]
            print(f"{r['picture']:<16}{DECODERS[d][0]:<6}{med(tool):>7.3f}{med(floor):>7.3f}"
                  f"{med(tool) / med(floor):>7.2f}{med(flush):>9.3f}{med(tool) / med(flush):>7.2f}"
                  f"{med(held):>7.3f}{med(tool) / med(held):>7.2f}{min(tool) / min(held):>6.2f}"
                  f"{dj:>7}{mg:>8}{'|':>3}{med(x['inside']):>9.0f}{med(x['flush_inside']):>9.0f}"
                  f"{med(x['inside']) / med(x['flush_inside']):>7.2f}{med(x['held_inside']):>9.0f}"
                  f"{med(x['inside']) / med(x['held_inside']):>7.2f}")
    print()
    print("velmora / the floor that keeps the picture, whole process (median; fastest runs in brackets), "
          "by decoder and format. Aim: at most 1.05.")
    head = f"{'size':<12}{'format':<8}" + "".join(f"{DECODERS[d][0]:>18}" for d in args.decoders)
    print(head)
    print("-" * len(head))
    for r in rows:
        size, kind = r["picture"].split()
        t = r["times"]
        cells = "".join(
            f"{med(t[(d, 'tool')]) / med(t[(d, 'held')]):>11.2f} ({min(t[(d, 'tool')]) / min(t[(d, 'held')]):.2f})"
            for d in args.decoders)
        print(f"{size:<12}{kind:<8}{cells}")
    print()
    print("Memory, MiB: peak working set inside the Windows programs (GetProcessMemoryInfo); 'over idle' "
          "subtracts the working set at start, COM up. Native programs: maximum resident set.")
    print("Aim: the tool over idle at most the floor's (the decoder's buffer) plus one 24-bit picture; "
          "'held over' is the floor keeping that picture.")
    head = (f"{'picture':<16}{'dec':<6}{'decoded 32b':>12}{'tool peak':>10}{'over idle':>10}{'/decoded':>9}"
            f"{'floor over':>11}{'+24-bit':>9}{'tool/aim':>9}{'held over':>10}{'djpeg RSS':>10}{'magick RSS':>11}")
    print(head)
    print("-" * len(head))
    for r in rows:
        dj_mem = f"{r['djpeg_kib'] / 1024:.0f}" if r["djpeg_kib"] is not None else "-"
        mg_mem = f"{r['magick_kib'] / 1024:.0f}" if r["magick_kib"] is not None else "-"
        for d in args.decoders:
            x = r[d]
            print(f"{r['picture']:<16}{DECODERS[d][0]:<6}{r['decoded'] / mib:>12.1f}{x['tool_peak'] / mib:>10.1f}"
                  f"{x['tool_over'] / mib:>10.1f}{x['tool_over'] / r['decoded']:>9.2f}"
                  f"{x['floor_over'] / mib:>11.1f}{r['picture24'] / mib:>9.1f}"
                  f"{x['tool_over'] / (x['floor_over'] + r['picture24']):>9.2f}{x['held_over'] / mib:>10.1f}"
                  f"{dj_mem:>10}{mg_mem:>11}")


if __name__ == "__main__":
    main()
