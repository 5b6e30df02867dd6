#!/usr/bin/env python3
"""velmora-convert.exe under Wine against libjpeg-turbo's djpeg and ImageMagick
(GIF pixels are checked exactly in the Wine tests, against pictures whose
every byte they write themselves).

The pictures are made here, in a temporary folder, with ImageMagick and cjpeg;
each is converted by the tool (the converter tab's Save path) and the BMP it
writes is compared pixel by pixel with the reference decoders' output. The
JPEG sources are ImageMagick's seeded plasma blurred by one pixel, so that, as
in a photograph, colour changes more slowly than brightness.

Bounds on JPEG differences. WIC under Wine decodes with IJG libjpeg 9e, the
references with libjpeg-turbo 2.1. Both use the same integer IDCT, so where
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


def find_tool():
    for relative in ("velmora-convert.exe", "tools/convert/velmora-convert.exe", "tools/velmora-convert.exe"):
        path = os.path.join(BUILD, relative)
        if os.path.exists(path):
            return path
    raise unittest.SkipTest("velmora-convert.exe has not been built")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, check=True, **kwargs).stdout


def read_bmp(path):
    """(width, height, RGB bytes top-down) of a 24-bit or 8-bit palette BMP."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] == b"BM", path
    offset, = struct.unpack_from("<I", data, 10)
    header, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    palette = data[14 + header:offset]
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for y in range(abs(height)):
        row = data[offset + y * stride:offset + y * stride + (width * bits + 7) // 8]
        if bits == 24:
            rgb = bytearray(len(row))
            rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        elif bits == 8:
            rgb = bytearray()
            for i in row:
                b, g, r = palette[4 * i:4 * i + 3]
                rgb += bytes((r, g, b))
        else:
            raise AssertionError(f"{path}: {bits} bits per pixel")
        rows.append(bytes(rgb))
    if height > 0:
        rows.reverse()
    return width, abs(height), b"".join(rows)


def magick_rgb(path):
    """ImageMagick's decode of the first frame, laid on a white screen."""
    ppm = run(["convert", path + "[0]", "-background", "white", "-flatten", "-alpha", "off",
               "-depth", "8", "ppm:-"])
    # The header is four fields, each ended by one whitespace byte; the pixels
    # may themselves start with bytes that look like whitespace.
    fields, at = [], 0
    while len(fields) < 4:
        while ppm[at:at + 1].isspace():
            at += 1
        end = at
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[at:end])
        at = end + 1
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    return int(fields[1]), int(fields[2]), ppm[at:]


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
        cls.tool = find_tool()
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

    def test_jpeg_pixels_match_libjpeg_turbo_and_imagemagick(self):
        for seed, (name, (width, height, options, largest, mean)) in enumerate(JPEGS.items()):
            with self.subTest(picture=name):
                source = self.path(f"{name}.ppm")
                self.plasma(width, height, seed, source)
                jpeg = self.path(f"{name}.jpg")
                with open(jpeg, "wb") as f:
                    f.write(run(["cjpeg", "-quality", "90"] + options + [source]))
                ours = self.converted(jpeg, name)
                with open(self.path(f"{name}.djpeg.bmp"), "wb") as f:
                    f.write(run(["djpeg", "-bmp", jpeg]))
                for reference in (read_bmp(self.path(f"{name}.djpeg.bmp")), magick_rgb(jpeg)):
                    most, average = differences(ours, reference)
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
