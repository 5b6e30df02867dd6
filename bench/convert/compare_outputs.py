#!/usr/bin/env python3
"""Before and after: the BMP files two builds of velmora-convert.exe write
must be the same bytes, through each decoder, for a set of pictures that
reach every way a picture takes through the loader.

usage: compare_outputs.py BEFORE_BUILD AFTER_BUILD [--decoders wic,gdiplus] [--keep DIR] [--without-wic]

Each build is a Windows tree whose velmora-convert.exe takes --decoder (build
BEFORE from the old loader with the new tools/convert/velmora_convert.cpp).
The pictures are made here: GIFs by the small writer below, which places,
interlaces, pads and marks transparent exactly as told; JPEGs by cjpeg and
ImageMagick; BMP and PNG by ImageMagick; and the benchmark's own pictures
when AFTER_BUILD has them. A refusal counts as an outcome too: both builds
must refuse the same pictures with the same sentence. Prints one line a
picture and decoder, and exits 1 when any differs. --without-wic runs them in
a prefix of its own with WIC's factories removed, as Windows XP has none:
there only --decoders gdiplus can load.
"""
import argparse
import hashlib
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_convert_bench import Wine, windows_path  # noqa: E402


def lzw_literals(indices, min_size):
    """LZW data that codes every index as itself: a clear code before the
    table could grow past the first code width, so any decoder reads it."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    width = min_size + 1
    run = (1 << min_size) - 3  # literals between clears, two short of a wider code
    bits, count, out = 0, 0, bytearray()

    def put(code):
        nonlocal bits, count
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8

    for i, index in enumerate(indices):
        if i % run == 0:
            put(clear)
        put(index)
    put(end)
    if count:
        out.append(bits & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for at in range(0, len(data), 255):
        piece = data[at:at + 255]
        out += bytes([len(piece)]) + piece
    return bytes(out + b"\0")


def table_bits(colours):
    bits = 1
    while (1 << bits) < len(colours):
        bits += 1
    return bits


def colour_table(colours, bits):
    padded = list(colours) + [(0, 0, 0)] * ((1 << bits) - len(colours))
    return b"".join(bytes(c) for c in padded)


def interlaced_order(height):
    rows = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        rows += range(start, height, step)
    return rows


def gif(screen, palette, images, transparent=None):
    """screen (w, h); palette [(r, g, b)]; images [(left, top, w, h, indices,
    local palette or None, interlaced)]; the transparent index applies to the
    first image."""
    bits = table_bits(palette)
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", screen[0], screen[1], 0x80 | 0x70 | (bits - 1), 0, 0))
    out += colour_table(palette, bits)
    for n, (left, top, w, h, indices, local, interlaced) in enumerate(images):
        if n == 0 and transparent is not None:
            out += b"\x21\xF9\x04" + bytes([1, 0, 0, transparent, 0])
        flags = 0x40 if interlaced else 0
        table = b""
        used = bits
        if local:
            used = table_bits(local)
            flags |= 0x80 | (used - 1)
            table = colour_table(local, used)
        out += b"\x2C" + struct.pack("<HHHHB", left, top, w, h, flags) + table
        rows = interlaced_order(h) if interlaced else range(h)
        ordered = [indices[y * w + x] for y in rows for x in range(w)]
        min_size = max(2, used, max(ordered).bit_length())
        out += bytes([min_size]) + sub_blocks(lzw_literals(ordered, min_size))
    return bytes(out + b"\x3B")


def pattern(w, h, colours, seed=0):
    return [(x * 7 + y * 13 + seed + (x * y) % 5) % colours for y in range(h) for x in range(w)]


def grey_ramp(n):
    return [(i * 255 // max(n - 1, 1), (i * 97) % 256, 255 - i * 255 // max(n - 1, 1)) for i in range(n)]


def make_pictures(folder, extra):
    def write(name, data):
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def run(*command):
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    paths = []
    five = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (10, 20, 30), (250, 240, 5)]
    full = grey_ramp(256)
    paths.append(write("rows-7x19.gif", gif((7, 19), five, [(0, 0, 7, 19, pattern(7, 19, 5), None, False)])))
    paths.append(write("interlaced-7x19.gif", gif((7, 19), five, [(0, 0, 7, 19, pattern(7, 19, 5), None, True)])))
    first = [0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2]
    local = [(9, 8, 7), (100, 0, 200), (1, 2, 3), (0, 0, 0)]
    paths.append(write("offset-transparent-local.gif",
                       gif((10, 8), five, [(3, 2, 4, 3, first, local, False), (0, 0, 10, 8, [0] * 80, None, False)],
                           transparent=3)))
    paths.append(write("past-the-screen.gif", gif((10, 8), five, [(7, 5, 4, 4, pattern(4, 4, 5), None, False)])))
    for w, h in ((1, 1), (3, 5), (5, 3), (13, 7), (333, 77)):
        paths.append(write(f"odd-{w}x{h}-transparent.gif",
                           gif((w, h), full, [(0, 0, w, h, pattern(w, h, 256, w), None, False)], transparent=17)))
    paths.append(write("offset-interlaced-transparent-333x77.gif",
                       gif((350, 90), full, [(10, 5, 333, 77, pattern(333, 77, 256, 3), None, True)], transparent=0)))
    paths.append(write("two-colours-17x9.gif", gif((17, 9), [(0, 0, 0), (255, 255, 255)],
                                                    [(0, 0, 17, 9, pattern(17, 9, 2), None, False)])))
    # Four colours in the table, indices up to 7 in the pixels.
    paths.append(write("indices-past-the-table-9x5.gif",
                       gif((9, 5), five[:4], [(0, 0, 9, 5, pattern(9, 5, 8), None, False)])))
    cut = gif((40, 30), five, [(0, 0, 40, 30, pattern(40, 30, 5), None, False)])
    paths.append(write("cut-in-data.gif", cut[:len(cut) // 2]))

    # A photo-like source: smooth colour with grain, at odd and even sizes.
    def source(name, w, h):
        path = os.path.join(folder, name + ".ppm")
        run("convert", "-seed", "7", "-size", f"{max(w // 4, 1)}x{max(h // 4, 1)}", "plasma:fractal",
            "-resize", f"{w}x{h}!", "-attenuate", "0.3", "+noise", "Gaussian", "-depth", "8", path)
        return path

    for w, h in ((1, 1), (3, 5), (5, 3), (7, 9), (4003, 5), (13, 401), (640, 480)):
        ppm = source(f"src-{w}x{h}", w, h)
        base = os.path.join(folder, f"{w}x{h}")
        for tag, options in (("baseline", []), ("progressive", ["-progressive"]), ("grey", ["-grayscale"]),
                             ("444", ["-sample", "1x1"]), ("restart", ["-restart", "1"])):
            if tag != "baseline" and w * h < 15:
                continue
            with open(f"{base}-{tag}.jpg", "wb") as f:
                subprocess.run(["cjpeg", "-quality", "90", *options, ppm], stdout=f, check=True)
            paths.append(f"{base}-{tag}.jpg")
        if w * h >= 15:
            run("convert", ppm, "-colorspace", "CMYK", f"{base}-cmyk.jpg")
            run("convert", ppm, "-colors", "64", "-interlace", "GIF", f"{base}-magick-interlaced.gif")
            run("convert", ppm, "-colors", "200", "-fuzz", "20%", "-transparent", "white", f"{base}-magick-transparent.gif")
            run("convert", ppm, "-type", "Palette", "-colors", "200", f"BMP3:{base}-8bit.bmp")
            run("convert", ppm, "-type", "Palette", "-colors", "12", f"BMP3:{base}-4bit.bmp")
            run("convert", ppm, "-monochrome", f"BMP3:{base}-1bit.bmp")
            run("convert", ppm, "-type", "TrueColor", f"BMP3:{base}-24bit.bmp")
            run("convert", ppm, "-alpha", "set", "-channel", "A", "-evaluate", "set", "60%", "+channel",
                f"PNG32:{base}-alpha.png")
            run("convert", ppm, "-colors", "50", "-transparent", "white", f"PNG8:{base}-palette.png")
            run("convert", ppm, "-colorspace", "Gray", f"PNG:{base}-grey.png")
            paths += [f"{base}-{t}" for t in ("cmyk.jpg", "magick-interlaced.gif", "magick-transparent.gif",
                                               "8bit.bmp", "4bit.bmp", "1bit.bmp", "24bit.bmp", "alpha.png",
                                               "palette.png", "grey.png")]
        os.remove(ppm)
    jpeg = open(os.path.join(folder, "640x480-baseline.jpg"), "rb").read()
    paths.append(write("cut-in-half.jpg", jpeg[:len(jpeg) // 2]))
    return paths + extra


def outcome(wine, exe, picture, target, decoder):
    command, env = wine.command(exe, windows_path(picture), windows_path(target), "--decoder", decoder)
    if os.path.exists(target):
        os.remove(target)
    # Output through files: a process that Wine starts along with the first
    # program of a prefix would hold a pipe open for as long as it runs.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(command, env=env, stdout=out, stderr=err).returncode
        err.seek(0)
        stderr = err.read().decode(errors="replace")
    if code != 0:
        # The sentence after the file name, which differs between the runs' folders only.
        why = stderr.strip().split(": ", 1)[-1]
        return f"exit {code}: {why}"
    with open(target, "rb") as f:
        data = f.read()
    return f"{len(data)} bytes, sha256 {hashlib.sha256(data).hexdigest()[:16]}"


def main():
    p = argparse.ArgumentParser()
    p.add_argument("before")
    p.add_argument("after")
    p.add_argument("--decoders", default="wic,gdiplus")
    p.add_argument("--keep", help="make the pictures in this folder and keep them")
    p.add_argument("--without-wic", action="store_true", help="in a prefix without WIC, as on Windows XP")
    args = p.parse_args()
    builds = [os.path.abspath(b) for b in (args.before, args.after)]
    tools = [os.path.join(b, "velmora-convert.exe") for b in builds]
    for tool in tools:
        if not os.path.exists(tool):
            sys.exit(f"{tool} has not been built")
    extra = []
    bench_pictures = os.path.join(builds[1], "bench-convert-pictures")
    if os.path.isdir(bench_pictures):
        extra = sorted(os.path.join(bench_pictures, n) for n in os.listdir(bench_pictures))
    wine = Wine(builds[1], without_wic=args.without_wic)
    differ = 0
    try:
        with tempfile.TemporaryDirectory(prefix="velmora-compare-") as scratch:
            folder = args.keep or os.path.join(scratch, "pictures")
            os.makedirs(folder, exist_ok=True)
            pictures = make_pictures(folder, extra)
            target = os.path.join(scratch, "out.bmp")
            for picture in pictures:
                for decoder in args.decoders.split(","):
                    before, after = (outcome(wine, tool, picture, target, decoder) for tool in tools)
                    same = before == after
                    differ += not same
                    print(f"{'same' if same else 'DIFFERENT':<10}{decoder:<8}{os.path.basename(picture):<42}{after}"
                          + ("" if same else f"   before: {before}"), flush=True)
    finally:
        wine.stop()
    print(f"{differ} of the outcomes differ." if differ else "Every outcome is the same bytes.")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
