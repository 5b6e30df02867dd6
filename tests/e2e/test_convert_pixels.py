#!/usr/bin/env python3
"""velmora-convert.exe under Wine against ImageMagick, which decodes JPEG
with libjpeg-turbo (GIF pixels are checked exactly in the Wine tests, against
pictures whose every byte they write themselves).

The pictures are made here, in a temporary folder, with ImageMagick and cjpeg;
each is converted by the tool (the converter tab's Save path) and the BMP it
writes is compared pixel by pixel with ImageMagick's decode of the JPEG. The
sources are ImageMagick's seeded plasma blurred by one pixel, so that, as in a
photograph, colour changes more slowly than brightness.

Bounds on JPEG differences. WIC under Wine decodes with IJG libjpeg 9e, the
reference with libjpeg-turbo 2.1. Both use the same integer IDCT, so where
no colour plane is upsampled (4:4:4, grayscale, a single pixel) the outputs
differ at most by the colour conversion's rounding: we allow 2 levels and a
mean of 0.1. Those pictures carry the row-length cases (widths 1, 3, 5, 7,
4000, 4003), where an error of ours (a padding byte taken for a pixel, a
shifted or flipped row, swapped channels) costs tens of levels.
With subsampled chroma the libraries upsample differently (libjpeg 9 scales
chroma in the DCT, libjpeg-turbo interpolates), which moves pixels at sharp
colour edges by up to 12-16 levels: measured here 8-11, allowed 16, with a mean
under 0.6 (allowed 1.0). A picture 5 pixels wide is nearly all edge: measured
14 and 1.4, allowed 24 and 3.
"""
import os
import resource
import shutil
import signal
import struct
import subprocess
import tempfile
import unittest

SOURCE = os.environ["VELMORA_SOURCE_DIR"]
BUILD = os.environ["VELMORA_BUILD_DIR"]
os.environ["VELMORA_WINE_STATE"]  # wine-run.sh needs it: fail early without
WINE_RUN = ["bash", os.path.join(SOURCE, "tests", "scripts", "wine-run.sh")]
# Arguments reach the Windows side through the Unix locale's character set.
ENV = dict(os.environ, LC_ALL="C.UTF-8")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, check=True, **kwargs).stdout


def read_bmp(path):
    """(width, height, RGB bytes top-down) of the 24-bit bottom-up BMP we write."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert data[:2] == b"BM" and bits == 24 and height > 0, path
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in reversed(range(height)):
        row = data[offset + y * stride:offset + y * stride + width * 3]
        rgb = bytearray(len(row))
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        rows.append(bytes(rgb))
    return width, height, b"".join(rows)


def magick_rgb(path):
    """ImageMagick's decode, as (width, height, RGB bytes top-down)."""
    ppm = run(["convert", path, "-depth", "8", "ppm:-"])
    magic, size, depth, pixels = ppm.split(b"\n", 3)  # as ImageMagick writes it
    assert magic == b"P6" and depth == b"255", ppm[:20]
    width, height = map(int, size.split())
    return width, height, pixels


def differences(ours, theirs):
    assert ours[:2] == theirs[:2], f"size {ours[:2]} against {theirs[:2]}"
    a, b = ours[2], theirs[2]
    largest = max(abs(x - y) for x, y in zip(a, b))
    mean = sum(abs(x - y) for x, y in zip(a, b)) / len(a)
    return largest, mean


# name: (width, height, cjpeg options, largest, mean)
EXACT = (2, 0.1)
UPSAMPLED = (16, 1.0)
JPEGS = {
    "w1": (1, 64, ["-sample", "1x1"], *EXACT),
    "w3": (3, 48, ["-sample", "1x1"], *EXACT),
    "w5": (5, 40, ["-sample", "1x1"], *EXACT),
    "w7": (7, 36, ["-sample", "1x1"], *EXACT),
    "w4000": (4000, 24, ["-sample", "1x1"], *EXACT),
    "w4003": (4003, 17, ["-sample", "1x1"], *EXACT),
    "1x1": (1, 1, ["-sample", "2x2"], *EXACT),
    "gray": (320, 240, ["-grayscale"], *EXACT),
    "444": (640, 480, ["-sample", "1x1"], *EXACT),
    "420": (640, 480, ["-sample", "2x2"], *UPSAMPLED),
    "422": (333, 211, ["-sample", "2x1"], *UPSAMPLED),
    "progressive": (320, 240, ["-progressive", "-sample", "2x2"], *UPSAMPLED),
    "narrow 420": (5, 40, ["-sample", "2x2"], 24, 3.0),
}


class ConvertedPictures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tool = os.path.join(BUILD, "velmora-convert.exe")
        assert os.path.exists(cls.tool), cls.tool + " is missing: it is built with the program"
        cls.dir = tempfile.mkdtemp(prefix="velmora-convert-")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def convert(self, source, target, preexec_fn=None):
        # Output goes to files: with both streams piped, Wine holds them open
        # about a second past the program's end.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run(WINE_RUN + [self.tool, windows_path(source), windows_path(target)],
                                    stdout=out, stderr=err, env=ENV, preexec_fn=preexec_fn, timeout=60)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(result.args, result.returncode, out.read(), err.read())

    def converted(self, source, name):
        result = self.convert(source, self.path(name))
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        return read_bmp(self.path(name + ".bmp"))

    def plasma(self, width, height, seed, out, blur=True):
        # ImageMagick's plasma takes seconds for a wide strip: make it narrower, then stretch it.
        made = min(width, 1000)
        run(["convert", "-seed", str(seed), "-size", f"{made}x{height}", "plasma:fractal",
             "-resize", f"{width}x{height}!"] + (["-blur", "0x1"] if blur else []) + ["-depth", "8", out])

    def test_jpeg_pixels_match_libjpeg_turbo(self):
        for seed, (name, (width, height, options, largest, mean)) in enumerate(JPEGS.items()):
            with self.subTest(picture=name):
                source = self.path(f"{name}.ppm")
                self.plasma(width, height, seed, source)
                jpeg = self.path(f"{name}.jpg")
                with open(jpeg, "wb") as f:
                    f.write(run(["cjpeg", "-quality", "90"] + options + [source]))
                most, average = differences(self.converted(jpeg, name), magick_rgb(jpeg))
                self.assertLessEqual(most, largest, f"{name}: largest difference")
                self.assertLessEqual(average, mean, f"{name}: mean difference")

    def test_a_full_disk_writes_nothing_and_keeps_the_old_file(self):
        # The file system refuses more than 1 MiB mid-write (as a full disk
        # would): the earlier file stays, and no temporary file is left.
        big = self.path("big.jpg")
        self.plasma(1000, 800, 5, self.path("big.ppm"))
        with open(big, "wb") as f:
            f.write(run(["cjpeg", self.path("big.ppm")]))
        folder = self.path("full")
        os.mkdir(folder)
        with open(os.path.join(folder, "old.bmp"), "wb") as f:
            f.write(b"old contents")

        def limit_file_size():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)  # EFBIG instead of a kill
            resource.setrlimit(resource.RLIMIT_FSIZE, (1 << 20, 1 << 20))

        result = self.convert(big, os.path.join(folder, "old.bmp"), preexec_fn=limit_file_size)
        self.assertEqual(result.returncode, 2)
        self.assertIn("Any earlier file of that name is unchanged.", result.stderr.decode())
        self.assertEqual(os.listdir(folder), ["old.bmp"])
        with open(os.path.join(folder, "old.bmp"), "rb") as f:
            self.assertEqual(f.read(), b"old contents")


if __name__ == "__main__":
    unittest.main(verbosity=2)
