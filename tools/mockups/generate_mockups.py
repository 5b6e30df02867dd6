#!/usr/bin/env python3
"""Draws the three toolbar mock-ups of the preview as 24-bit BMP files.

Every pixel is placed here, from hand-made pixel fonts and icons kept as rows
of letters, so the pictures rebuild byte for byte and a change reviews as text:

    python3 tools/mockups/generate_mockups.py            # writes into resources/
    python3 tools/mockups/generate_mockups.py OUT_DIR

The preview lets the wallpaper through wherever a pixel is exactly KEY, so
nothing here is ever blended: text and icon edges are solid, and no colour in
use comes near KEY (checked before anything is written).
"""

import math
import pathlib
import struct
import sys

KEY = (255, 51, 204)
FACE = (212, 208, 200)
WHITE = (255, 255, 255)
SHADOW = (128, 128, 128)
DARK = (64, 64, 64)
BLACK = (0, 0, 0)
CAPTION_LEFT = (10, 36, 106)
CAPTION_RIGHT = (166, 202, 240)
PAGE_ORANGE = (255, 153, 51)
BANNER_GREY = (102, 102, 102)
NAVY = (0, 0, 128)

WIDTH = 332

# Letters for the icon art; '.' leaves what is underneath.
PALETTE = {
    "k": BLACK, "d": DARK, "g": SHADOW, "m": (160, 160, 160), "s": (192, 192, 192),
    "f": FACE, "w": WHITE, "n": NAVY, "b": (0, 64, 192), "l": (102, 153, 255),
    "t": (0, 128, 128), "c": (0, 192, 192), "y": (255, 255, 0), "Y": (255, 219, 112),
    "o": (160, 128, 0), "O": (255, 153, 0), "r": (192, 0, 0), "G": (0, 128, 0),
    "L": (0, 255, 0), "e": (236, 233, 216),
}


# ----------------------------------------------------------------------------
# Fonts: each glyph is (first row, rows); row 0 is the capital top, row 7 the
# baseline, rows 8 and 9 the descenders. Advance is width + 1.

class Font:
    def __init__(self, space, table):
        self.space = space
        self.glyphs = {}
        for ch, (top, art) in table.items():
            rows = art.split()
            if any(len(r) != len(rows[0]) for r in rows):
                raise ValueError(f"glyph {ch!r} has rows of different widths")
            self.glyphs[ch] = (top, rows, len(rows[0]))

    def glyph(self, ch):
        if ch not in self.glyphs:
            raise KeyError(f"no glyph for {ch!r}")
        return self.glyphs[ch]

    def advance(self, ch):
        return self.space if ch == " " else self.glyph(ch)[2] + 1

    def width(self, text):
        return sum(self.advance(ch) for ch in text) - 1 if text else 0

    def cells(self, text):
        """The lit (x, y) cells of a line of text, y counted from the capital top."""
        cells, x = [], 0
        for ch in text:
            if ch != " ":
                top, rows, _ = self.glyph(ch)
                cells += [(x + dx, top + dy) for dy, row in enumerate(rows)
                          for dx, bit in enumerate(row) if bit == "#"]
            x += self.advance(ch)
        return cells


NORMAL = Font(3, {
    "A": (0, "..#.. ..#.. .#.#. .#.#. #...# ##### #...# #...#"),
    "B": (0, "####. #...# #...# ####. #...# #...# #...# ####."),
    "C": (0, ".###. #...# #.... #.... #.... #.... #...# .###."),
    "D": (0, "####. #...# #...# #...# #...# #...# #...# ####."),
    "E": (0, "#### #... #... #### #... #... #... ####"),
    "F": (0, "#### #... #... #### #... #... #... #..."),
    "G": (0, ".###. #...# #.... #.... #.### #...# #...# .####"),
    "H": (0, "#...# #...# #...# ##### #...# #...# #...# #...#"),
    "I": (0, "### .#. .#. .#. .#. .#. .#. ###"),
    "J": (0, "..## ...# ...# ...# ...# ...# #..# .##."),
    "K": (0, "#...# #..#. #.#.. ##... ##... #.#.. #..#. #...#"),
    "L": (0, "#... #... #... #... #... #... #... ####"),
    "M": (0, "##...## ##...## #.#.#.# #.#.#.# #..#..# #..#..# #.....# #.....#"),
    "N": (0, "#...# ##..# ##..# #.#.# #.#.# #..## #..## #...#"),
    "O": (0, ".####. #....# #....# #....# #....# #....# #....# .####."),
    "P": (0, "####. #...# #...# #...# ####. #.... #.... #...."),
    "Q": (0, ".####. #....# #....# #....# #....# #....# #....# .####. ....#. .....#"),
    "R": (0, "####. #...# #...# #...# ####. #.#.. #..#. #...#"),
    "S": (0, ".###. #...# #.... .###. ....# ....# #...# .###."),
    "T": (0, "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#.. ..#.."),
    "U": (0, "#...# #...# #...# #...# #...# #...# #...# .###."),
    "V": (0, "#...# #...# #...# .#.#. .#.#. .#.#. ..#.. ..#.."),
    "W": (0, "#..#..# #..#..# #..#..# #.#.#.# #.#.#.# #.#.#.# .#...#. .#...#."),
    "X": (0, "#...# #...# .#.#. ..#.. ..#.. .#.#. #...# #...#"),
    "Y": (0, "#...# #...# .#.#. .#.#. ..#.. ..#.. ..#.. ..#.."),
    "Z": (0, "##### ....# ...#. ..#.. ..#.. .#... #.... #####"),
    "a": (2, ".###. ....# .#### #...# #...# .####"),
    "b": (0, "#.... #.... ####. #...# #...# #...# #...# ####."),
    "c": (2, ".### #... #... #... #... .###"),
    "d": (0, "....# ....# .#### #...# #...# #...# #...# .####"),
    "e": (2, ".###. #...# ##### #.... #.... .####"),
    "f": (0, "..## .#.. #### .#.. .#.. .#.. .#.. .#.."),
    "g": (2, ".#### #...# #...# #...# #...# .#### ....# .###."),
    "h": (0, "#.... #.... #.##. ##..# #...# #...# #...# #...#"),
    "i": (0, "# . # # # # # #"),
    "j": (0, ".# .. ## .# .# .# .# .# .# #."),
    "k": (0, "#... #... #..# #.#. ##.. ##.. #.#. #..#"),
    "l": (0, "# # # # # # # #"),
    "m": (2, "###.##. #..#..# #..#..# #..#..# #..#..# #..#..#"),
    "n": (2, "#.##. ##..# #...# #...# #...# #...#"),
    "o": (2, ".###. #...# #...# #...# #...# .###."),
    "p": (2, "####. #...# #...# #...# #...# ####. #.... #...."),
    "q": (2, ".#### #...# #...# #...# #...# .#### ....# ....#"),
    "r": (2, "#.## ##.. #... #... #... #..."),
    "s": (2, ".### #... ##.. ..## ...# ###."),
    "t": (1, ".#.. #### .#.. .#.. .#.. .#.. ..##"),
    "u": (2, "#...# #...# #...# #...# #..## .##.#"),
    "v": (2, "#...# #...# .#.#. .#.#. ..#.. ..#.."),
    "w": (2, "#..#..# #..#..# #.#.#.# #.#.#.# .#...#. .#...#."),
    "x": (2, "#...# .#.#. ..#.. ..#.. .#.#. #...#"),
    "y": (2, "#...# #...# .#.#. .#.#. ..#.. ..#.. .#... #...."),
    "z": (2, "##### ...#. ..#.. .#... #.... #####"),
    "0": (0, ".###. #...# #...# #...# #...# #...# #...# .###."),
    "1": (0, "..#.. .##.. ..#.. ..#.. ..#.. ..#.. ..#.. .###."),
    "2": (0, ".###. #...# ....# ...#. ..#.. .#... #.... #####"),
    "3": (0, ".###. #...# ....# ..##. ....# ....# #...# .###."),
    "4": (0, "...#. ..##. .#.#. #..#. ##### ...#. ...#. ...#."),
    "5": (0, "##### #.... #.... ####. ....# ....# #...# .###."),
    "6": (0, ".###. #.... #.... ####. #...# #...# #...# .###."),
    "7": (0, "##### ....# ...#. ...#. ..#.. ..#.. .#... .#..."),
    "8": (0, ".###. #...# #...# .###. #...# #...# #...# .###."),
    "9": (0, ".###. #...# #...# #...# .#### ....# ....# .###."),
    ".": (7, "#"),
    ",": (7, ".# .# #."),
    ":": (3, "# . . . #"),
    "/": (0, "...# ...# ..#. ..#. .#.. .#.. #... #... #..."),
    "-": (4, "###"),
    "(": (0, "..# .#. .#. #.. #.. #.. #.. .#. .#. ..#"),
    ")": (0, "#.. .#. .#. ..# ..# ..# ..# .#. .#. #.."),
    "!": (0, "# # # # # . . #"),
})

BOLD = Font(4, {
    "C": (0, ".####. ##..## ##.... ##.... ##.... ##.... ##..## .####."),
    "D": (0, "#####. ##..## ##..## ##..## ##..## ##..## ##..## #####."),
    "E": (0, "##### ##... ##... ####. ##... ##... ##... #####"),
    "I": (0, "#### .##. .##. .##. .##. .##. .##. ####"),
    "M": (0, "##...## ###.### ###.### ##.#.## ##.#.## ##...## ##...## ##...##"),
    "O": (0, ".#####. ##...## ##...## ##...## ##...## ##...## ##...## .#####."),
    "a": (2, ".###. ...## .#### ##.## ##.## .####"),
    "b": (0, "##... ##... ####. ##.## ##.## ##.## ##.## ####."),
    "c": (2, ".### ##.. ##.. ##.. ##.. .###"),
    "e": (2, ".###. ##.## ##### ##... ##... .####"),
    "f": (0, ".### ##.. #### ##.. ##.. ##.. ##.. ##.."),
    "i": (0, "## .. ## ## ## ## ## ##"),
    "k": (0, "##... ##... ##.## ####. ###.. ####. ##.## ##.##"),
    "l": (0, "## ## ## ## ## ## ## ##"),
    "m": (2, "#######. ##.##.## ##.##.## ##.##.## ##.##.## ##.##.##"),
    "n": (2, "####. ##.## ##.## ##.## ##.## ##.##"),
    "o": (2, ".###. ##.## ##.## ##.## ##.## .###."),
    "p": (2, "####. ##.## ##.## ##.## ##.## ####. ##... ##..."),
    "r": (2, "##.## ####. ##... ##... ##... ##..."),
    "s": (2, ".### ##.. ###. .### ..## ###."),
    "t": (1, "##.. #### ##.. ##.. ##.. ##.. .###"),
    "u": (2, "##.## ##.## ##.## ##.## ##.## .####"),
    "x": (2, "##..## .####. ..##.. ..##.. .####. ##..##"),
    "y": (2, "##..## ##..## .####. .####. ..##.. ..##.. .##... ##...."),
    "-": (4, "###"),
})


def scale2x(cells):
    """Doubles a glyph mask with the EPX rule, so large text keeps smooth diagonals."""
    lit = set(cells)
    out = []
    xs = [x for x, _ in cells]
    ys = [y for _, y in cells]
    for y in range(min(ys) - 1, max(ys) + 2):
        for x in range(min(xs) - 1, max(xs) + 2):
            p = (x, y) in lit
            a, b = (x, y - 1) in lit, (x + 1, y) in lit
            c, d = (x - 1, y) in lit, (x, y + 1) in lit
            quads = (
                a if (c == a and c != d and a != b) else p,
                b if (a == b and a != c and b != d) else p,
                c if (d == c and d != b and c != a) else p,
                d if (b == d and b != a and d != c) else p,
            )
            for i, on in enumerate(quads):
                if on:
                    out.append((2 * x + i % 2, 2 * y + i // 2))
    return sorted(out, key=lambda cell: (cell[1], cell[0]))


# ----------------------------------------------------------------------------
# Icons: rows of PALETTE letters.

def _art(rows):
    width = len(rows[0])
    for r in rows:
        if len(r) != width or any(ch != "." and ch not in PALETTE for ch in r):
            raise ValueError(f"bad icon row {r!r}")
    return rows


IE_PAGE = _art([
    "..kkkkkkkk......",
    "..kwwwwwwkk.....",
    "..kwwwwwwkwk....",
    "..kwwwwwwkwwk...",
    "..kwwwwwwkkkkk..",
    "..kwwwwbbbbwwk..",
    "..kwwwbbwwbbwk..",
    "..kwwbbwwwwbbk..",
    "..kwwbbbbbbbbk..",
    "..kwwbbwwwwwwk..",
    "..kwwbbwwwwbbk..",
    "..kwwwbbwwbbwk..",
    "..kwwwwbbbbwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kkkkkkkkkkkk..",
])

OE_LOGO = _art([
    "................",
    ".....bbbbb......",
    "...bb.....bb....",
    "..b.........b.b.",
    "..b..........bb.",
    "............bbb.",
    ".kkkkkkkkkkkkkk.",
    ".kwkwwwwwwwwkwk.",
    ".kwwkwwwwwwkwwk.",
    ".kwwwkwwwwkwwwk.",
    ".kwwwwkwwkwwwwk.",
    ".kwwwwwkkwwwwwk.",
    ".kwwwwwwwwwwwwk.",
    ".kwwwwwwwwwwwwk.",
    ".kkkkkkkkkkkkkk.",
    "................",
])

COMPUTER = _art([
    "................",
    "..kkkkkkkkkkkk..",
    "..kwwwwwwwwwsk..",
    "..kwkkkkkkkkgk..",
    "..kwkttttttkgk..",
    "..kwkttttttkgk..",
    "..kwkttttttkgk..",
    "..kwkttttttkgk..",
    "..kwkkkkkkkkgk..",
    "..ksgggggggggk..",
    "..kkkkkkkkkkkk..",
    "......kggk......",
    "..kkkkkkkkkkkk..",
    "..kwwwwwwwLwsk..",
    "..ksggggggggsk..",
    "..kkkkkkkkkkkk..",
])

FOLDER = _art([
    "................",
    "................",
    "..kkkkk.........",
    ".kyYYYyk........",
    "kyYYYYYykkkkkkk.",
    "kYYYYYYYYYYYYYok",
    "kYYYYYYYYYYYYYok",
    "kYYYYYYYYYYYYYok",
    "kYYYYYYYYYYYYYok",
    "kYYYYYYYYYYYYYok",
    "kYYYYYYYYYYYYYok",
    "kYYYYYYYYYYYYYok",
    "kYYYYYYYYYYYYYok",
    "kooooooooooooook",
    ".kkkkkkkkkkkkkkk",
    "................",
])

INBOX_TRAY = _art([
    "................",
    "......kkkkk.....",
    ".....kwwwwwk....",
    ".....kwkkkwk....",
    "..kk.kwwwwwk.kk.",
    ".kbk.kwkkkwk.kbk",
    "kbbk.kwwwwwk.kbk",
    "kbbbkkkkkkkkkbbk",
    "kbbbbbbbbbbbbbbk",
    "kblllllllllllbbk",
    "kbbbbbbbbbbbbbbk",
    "kbbbkkkkkkkkkbbk",
    "kbbbbbbbbbbbbbbk",
    "kbbbbbbbbbbbbbnk",
    ".kkkkkkkkkkkkkk.",
    "................",
])

# Toolbar pictures in the grey "cold" look the browser shows until the mouse
# comes near; '#' marks the shape of the disabled ones, embossed when drawn.
BACK_SHAPE = [
    "................",
    "................",
    ".......##.......",
    "......###.......",
    ".....####.......",
    "....##########..",
    "...###########..",
    "..############..",
    "...###########..",
    "....##########..",
    ".....####.......",
    "......###.......",
    ".......##.......",
    "................",
    "................",
    "................",
]
FORWARD_SHAPE = [row[::-1] for row in BACK_SHAPE]
DROP_ARROW_SHAPE = ["#####", ".###.", "..#.."]

HOME = _art([
    "................",
    ".......kk..kk...",
    "......kmmk.kk...",
    ".....kmmmmkkk...",
    "....kmmmmmmkk...",
    "...kmmmmmmmmk...",
    "..kmmmmmmmmmmk..",
    ".kmmmmmmmmmmmmk.",
    "kkkkkkkkkkkkkkkk",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwkkkkwwwk..",
    "..kwwwkggkwwwk..",
    "..kwwwkggkwwwk..",
    "..kwwwkggkwwwk..",
    "..kkkkkkkkkkkk..",
])

FAVORITES = _art([
    "................",
    ".......kk.......",
    ".......kk.......",
    "......kwsk......",
    "......kwsk......",
    "kkkkkkwssskkkkkk",
    ".kwwwwwssssssgk.",
    "..kwwssssssggk..",
    "...kwsssssggk...",
    "....kssssggk....",
    "....kssgsggk....",
    "...kssgkkgggk...",
    "...ksgk..kggk...",
    "..ksgk....kgsk..",
    "..kgk......kgk..",
    ".kk..........kk.",
])

FOLDER_TREE = _art([
    "kkkkkkkkkkkkkkkk",
    "knnnnnnnnnnnnnnk",
    "kwwwwwwwwwwwwwwk",
    "kwkkwwwwwwwwwwwk",
    "kwkmkkkwwwwwwwwk",
    "kwwkwwwwwwwwwwwk",
    "kwwkkkmkkkkwwwwk",
    "kwwkwwwwwwwwwwwk",
    "kwwkkkmkkkkkwwwk",
    "kwwkwwwwwwwwwwwk",
    "kwwkkkmkkkwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kwkkmkkkkwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kkkkkkkkkkkkkkkk",
])


def ring_icon(size, fill, outline, inner=None):
    """A disc (or a ring when inner is given) with a one-pixel outline."""
    c = (size - 1) / 2
    r = size / 2 - 0.5

    def inside(x, y):
        dist = math.hypot(x - c, y - c)
        return dist <= r and (inner is None or dist >= inner)

    rows = []
    for y in range(size):
        row = ""
        for x in range(size):
            if not inside(x, y):
                row += "."
            elif all(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                row += fill
            else:
                row += outline
        rows.append(row)
    return rows


def overlay(base, top):
    return ["".join(t if t != "." else b for b, t in zip(rb, rt)) for rb, rt in zip(base, top)]


STOP = overlay(ring_icon(16, "m", "k"), [
    "................",
    "................",
    "................",
    "................",
    "....ww....ww....",
    ".....ww..ww.....",
    "......wwww......",
    ".......ww.......",
    "......wwww......",
    ".....ww..ww.....",
    "....ww....ww....",
    "................",
    "................",
    "................",
    "................",
    "................",
])

REFRESH = _art([
    "................",
    "......kkkkk.....",
    "....kkmmmmmkkkk.",
    "...kmmkkkkkmmmk.",
    "..kmmk....kmmmk.",
    "..kmk....kmmmmk.",
    ".kmmk....kkkkkk.",
    ".kmk............",
    ".kmk.........kmk",
    ".kkkkkk....kmmk.",
    ".kmmmmk....kmk..",
    ".kmmmk....kmmk..",
    ".kmmmkkkkkmmk...",
    ".kkkkmmmmmkk....",
    "....kkkkkk......",
    "................",
])

MAGNIFIER = overlay(
    [row + "......" for row in overlay(ring_icon(10, "w", "k"), ring_icon(10, "m", "k", inner=3))]
    + ["." * 16] * 6, [
        "................",
        "................",
        "..sw............",
        ".sw.............",
        "................",
        "................",
        "................",
        "................",
        "........kk......",
        ".........kdk....",
        "........kddk....",
        ".........kddk...",
        "..........kddk..",
        "...........kddk.",
        "............kdk.",
        ".............k..",
    ])

CLOCK = overlay(ring_icon(16, "w", "k"), [
    "................",
    "................",
    ".......k........",
    "................",
    "................",
    ".......k........",
    ".......k........",
    "..k....kkkk...k.",
    ".......k........",
    "................",
    "................",
    "................",
    "................",
    ".......k........",
    "................",
    "................",
])

UP_FOLDER = overlay(_art([
    "................",
    "................",
    "................",
    "................",
    ".kkkkk..........",
    "kmwwwmk.........",
    "kwmmmmmkkkkkkkk.",
    "kwmmmmmmmmmmmmgk",
    "kwmmmmmmmmmmmmgk",
    "kwmmmmmmmmmmmmgk",
    "kwmmmmmmmmmmmmgk",
    "kwmmmmmmmmmmmmgk",
    "kwmmmmmmmmmmmmgk",
    "kggggggggggggggk",
    ".kkkkkkkkkkkkkk.",
    "................",
]), [
    "........k.......",
    ".......kkk......",
    "......kkkkk.....",
    ".....kkkkkkk....",
    "........k.......",
    "........k.......",
    "........k.......",
    "........k.......",
    "........kkkkk...",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
])


# Large pictures of the window contents, 32 x 32.

BIG_COMPUTER = _art([
    "................................",
    "...kkkkkkkkkkkkkkkkkkkkkkkk.....",
    "...keeeeeeeeeeeeeeeeeeeeesk.....",
    "...kewwwwwwwwwwwwwwwwwwwgsk.....",
    "...kewkkkkkkkkkkkkkkkkkwgsk.....",
    "...kewktttttttttttttttkwgsk.....",
    "...kewktcttttttttttttkkwgsk.....",
    "...kewkttcttttttttttttkwgsk.....",
    "...kewktttttttttttttttkwgsk.....",
    "...kewktttttttttttttttkwgsk.....",
    "...kewktttttttttttttttkwgsk.....",
    "...kewktttttttttttttttkwgsk.....",
    "...kewktttttttttttttttkwgsk.....",
    "...kewktttttttttttttttkwgsk.....",
    "...kewktttttttttttttttkwgsk.....",
    "...kewkkkkkkkkkkkkkkkkkwgsk.....",
    "...kewgggggggggggggggggggsk.....",
    "...kesssssssssssssssssssssk.....",
    "...kkkkkkkkkkkkkkkkkkkkkkkk.....",
    "..........kessssk...............",
    ".......kkkkkkkkkkkkkk...........",
    "......keeeeeeeeeeeeeesk.........",
    "......kkkkkkkkkkkkkkkkk.........",
    "................................",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkk...",
    ".keeeeeeeeeeeeeeeeeeeeeeeeeesk..",
    ".kewwwwwwwwwwwwwwwwwwwwwwwwgsk..",
    ".kewkkkkkkkkkkwwwwwwwwwwGwwgsk..",
    ".kewwwwwwwwwwwwwwwwwwwwwwwwgsk..",
    ".kesssssssssssssssssssssssssk...",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "................................",
])

def drive_box(with_disc):
    """A drive seen from above and to the left: front, top and side faces."""
    g = [["."] * 32 for _ in range(32)]
    left, right, top, bottom, depth = 2, 23, 12, 25, 5
    for j in range(1, depth + 1):          # top face, receding up and to the right
        y = top - j
        for x in range(left + j, right + j + 1):
            g[y][x] = "k" if j == depth or x == left + j else ("w" if j == depth - 1 else "s")
    for j in range(1, depth + 1):          # side face
        x = right + j
        for y in range(top - j, bottom - j + 1):
            g[y][x] = "k" if j == depth or y == bottom - j else "g"
    for y in range(top, bottom + 1):       # front face
        for x in range(left, right + 1):
            edge = y in (top, bottom) or x in (left, right)
            g[y][x] = "k" if edge else ("w" if y == top + 1 or x == left + 1 else "s")
    for x in range(left + 2, right - 1):
        g[bottom - 1][x] = "g"
    for x in range(left + 4, right - 5):
        g[top + 5][x] = "d"
    g[bottom - 4][right - 3] = g[bottom - 4][right - 2] = "G"
    g[bottom - 3][right - 3] = g[bottom - 3][right - 2] = "L"
    if with_disc:
        disc = ring_icon(16, "s", "k", inner=2.5)
        for y, row in enumerate(disc):
            for x, ch in enumerate(row):
                if ch != ".":
                    shine = (x + 2 * y) % 9 == 0 and ch == "s"
                    g[15 + y][x] = "c" if shine else ch
        for x, y in ((4, 18), (5, 18), (4, 19), (12, 27), (11, 28)):
            g[y][x] = "w"
    return _art(["".join(r) for r in g])


HARD_DISK = drive_box(with_disc=False)
CD_DRIVE = drive_box(with_disc=True)


# Outlook Express toolbar pictures, 24 x 24.

def compose(width, height, parts):
    """Lays pieces of icon art over one another at (x, y), later pieces on top."""
    g = [["."] * width for _ in range(height)]
    for x0, y0, art in parts:
        for dy, row in enumerate(art):
            for dx, ch in enumerate(row):
                if ch != ".":
                    g[y0 + dy][x0 + dx] = ch
    return _art(["".join(r) for r in g])


def mirrored(art):
    return [row[::-1] for row in art]


_ENVELOPE = [
    "kkkkkkkkkkkkkkkkkkkk",
    "kggwwwwwwwwwwwwwwggk",
    "kwwgwwwwwwwwwwwwgwwk",
    "kwwwgwwwwwwwwwwgwwwk",
    "kwwwwgwwwwwwwwgwwwwk",
    "kwwwwwgwwwwwwgwwwwwk",
    "kwwwwwwgwwwwgwwwwwwk",
    "kwwwwwwwggggwwwwwwwk",
    "kwwwwwwwwwwwwwwwwwwk",
    "kwwwwwwwwwwwwwwwwwwk",
    "kwwwwwwwwwwwwwwwwwwk",
    "kwwwwwwwwwwwwwwwwwwk",
    "kwwwwwwwwwwwwwwwwwwk",
    "kkkkkkkkkkkkkkkkkkkk",
]
_SPARKLE = [
    "...k...",
    "k..k..k",
    ".k.k.k.",
    "..kkk..",
    "kkkwkkk",
    "..kkk..",
    ".k.k.k.",
    "k..k..k",
    "...k...",
]
_LETTER = [
    "kkkkkkkkkkkkk",
    "kwwwwwwwwwwwk",
    "kwggggggggwwk",
    "kwwwwwwwwwwwk",
    "kwggggggwwwwk",
    "kwwwwwwwwwwwk",
    "kwgggggggggwk",
    "kwwwwwwwwwwwk",
    "kwgggggggwwwk",
    "kwwwwwwwwwwwk",
    "kwggggggggwwk",
    "kwwwwwwwwwwwk",
    "kwgggggwwwwwk",
    "kwwwwwwwwwwwk",
    "kwwwwwwwwwwwk",
    "kwwwwwwwwwwwk",
    "kwwwwwwwwwwwk",
    "kkkkkkkkkkkkk",
]
_REPLY_ARROW = [
    "....k.......",
    "...kk.......",
    "..kmkkkkkk..",
    ".kmmmmmmmmk.",
    "kmmmmmmmmmmk",
    ".kmmmmmmmmmk",
    "..kmkkkkkmmk",
    "...kk...kmmk",
    "....k...kmmk",
    "........kmmk",
    "........kkkk",
]
_REPLY_ALL_ARROW = [
    "....k..k.........",
    "...kk.kk.........",
    "..kmkkmkkkkkkk...",
    ".kmmkmmmmmmmmmk..",
    "kmmkmmmmmmmmmmmk.",
    ".kmmkmmmmmmmmmmk.",
    "..kmkkmkkkkkkmmk.",
    "...kk.kk....kmmk.",
    "....k..k....kmmk.",
    "............kmmk.",
    "............kkkk.",
]

NEW_MAIL = compose(24, 24, [(1, 7, _ENVELOPE), (16, 0, _SPARKLE)])
REPLY = compose(24, 24, [(9, 2, _LETTER), (1, 9, _REPLY_ARROW)])
REPLY_ALL = compose(24, 24, [(11, 0, _LETTER), (8, 3, _LETTER), (0, 10, _REPLY_ALL_ARROW)])
FORWARD_MAIL = compose(24, 24, [(2, 2, _LETTER), (11, 9, mirrored(_REPLY_ARROW))])

CLOSE_CROSS = _art(["kk...kk", ".kk.kk.", "..kkk..", ".kk.kk.", "kk...kk"])

PAPERCLIP = _art([
    "..kkk.",
    ".k...k",
    ".k.k.k",
    ".k.k.k",
    ".k.k.k",
    ".k.k.k",
    ".k.k.k",
    ".k...k",
    "..kkk.",
])

FLAG = _art([
    "kkkkk.",
    "krrrk.",
    "krrrrk",
    "krrrk.",
    "kkkkk.",
    "k.....",
    "k.....",
    "k.....",
    "k.....",
])


# ----------------------------------------------------------------------------
# Drawing.

class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.rows = [[WHITE] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with both corners included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def icon(self, x, y, art):
        for dy, row in enumerate(art):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.put(x + dx, y + dy, PALETTE[ch])

    def disabled(self, x, y, shape):
        """Embossed like a disabled toolbar picture: white one pixel down-right, grey on top."""
        lit = [(dx, dy) for dy, row in enumerate(shape) for dx, ch in enumerate(row) if ch != "."]
        for dx, dy in lit:
            self.put(x + dx + 1, y + dy + 1, WHITE)
        for dx, dy in lit:
            self.put(x + dx, y + dy, SHADOW)

    def text(self, x, y, text, colour, font=NORMAL, access=None, large=False):
        """Writes text whose capitals start at row y; access underlines one letter."""
        cells = font.cells(text)
        if large:
            cells = scale2x(cells)
        for dx, dy in cells:
            self.put(x + dx, y + dy, colour)
        if access is not None:
            start = sum(font.advance(ch) for ch in text[:access])
            for dx in range(font.glyph(text[access])[2]):
                self.put(x + start + dx, y + 9, colour)
        return x + font.width(text) * (2 if large else 1)

    def disabled_text(self, x, y, text):
        self.text(x + 1, y + 1, text, WHITE)
        return self.text(x, y, text, SHADOW)

    def raised(self, x0, y0, x1, y1):
        """A button face with the classic two-pixel raised edge."""
        self.fill(x0, y0, x1, y1, FACE)
        self.fill(x0, y0, x1, y0, WHITE)
        self.fill(x0, y0, x0, y1, WHITE)
        self.fill(x0, y1, x1, y1, DARK)
        self.fill(x1, y0, x1, y1, DARK)
        self.fill(x0 + 1, y1 - 1, x1 - 1, y1 - 1, SHADOW)
        self.fill(x1 - 1, y0 + 1, x1 - 1, y1 - 1, SHADOW)

    def sunken(self, x0, y0, x1, y1, inside):
        """A field with the classic two-pixel sunken edge (client edge)."""
        self.fill(x0, y0, x1, y1, inside)
        self.fill(x0, y0, x1, y0, SHADOW)
        self.fill(x0, y0, x0, y1, SHADOW)
        self.fill(x0 + 1, y0 + 1, x1, y0 + 1, DARK)
        self.fill(x0 + 1, y0 + 1, x0 + 1, y1, DARK)
        self.fill(x0 + 1, y1, x1, y1, WHITE)
        self.fill(x1, y0 + 1, x1, y1, WHITE)
        self.fill(x0 + 2, y1 - 1, x1 - 1, y1 - 1, FACE)
        self.fill(x1 - 1, y0 + 2, x1 - 1, y1 - 1, FACE)

    def bmp(self):
        stride = (self.width * 3 + 3) & ~3
        body = bytearray()
        for row in reversed(self.rows):
            for r, g, b in row:
                body += bytes((b, g, r))
            body += bytes(stride - self.width * 3)
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0,
                           len(body), 3780, 3780, 0, 0)
        return header + info + bytes(body)


def blend(a, b, t):
    return tuple(int(p + (q - p) * t) for p, q in zip(a, b))


def window_frame(c, icon, title):
    """Border, title bar and the sunken top of the toolbar area."""
    for y in range(c.height):
        for x in range(c.width):
            if x < 4 or y < 4:
                c.put(x, y, WHITE if min(x, y) == 1 else FACE)
    # The window is wider than the picture, so the gradient is only part-way
    # at the right edge, and the caption buttons are out of sight.
    span = 560
    for x in range(4, c.width):
        c.fill(x, 4, x, 21, blend(CAPTION_LEFT, CAPTION_RIGHT, (x - 4) / (span - 1)))
    c.icon(6, 5, icon)
    c.text(25, 9, title, WHITE, BOLD)
    c.fill(4, 22, c.width - 1, 22, FACE)
    c.fill(4, 23, c.width - 1, 23, SHADOW)
    c.fill(4, 24, 4, 24, SHADOW)
    c.fill(5, 24, c.width - 1, 24, WHITE)


def toolbar_bands(c, bands):
    """Key-coloured bands with grippers, etched lines between them, and the area's bottom edge.

    bands: (first row, height, last key column).
    """
    right = c.width - 1
    last = bands[-1][0] + bands[-1][1] - 1
    c.fill(4, 25, 4, last + 1, SHADOW)
    c.fill(5, 25, 5, last + 1, WHITE)
    for top, height, key_right in bands:
        bottom = top + height - 1
        c.fill(6, top, key_right, bottom, KEY)
        c.fill(8, top + 2, 8, bottom - 2, WHITE)
        c.fill(9, top + 2, 9, bottom - 2, FACE)
        c.fill(10, top + 2, 10, bottom - 2, SHADOW)
        c.fill(6, bottom + 1, right, bottom + 1, SHADOW)
        c.fill(6, bottom + 2, right, bottom + 2, WHITE)
    c.fill(4, last + 2, 5, last + 2, WHITE)


def menu_band(c, top, words):
    """words: (text, index of the access letter)."""
    x = 13
    for word, access in words:
        c.text(x + 6, top + 7, word, BLACK, access=access)
        x += NORMAL.width(word) + 13


def address_band(c, top, icon, address):
    """Only the label stands on key colour; the address box is opaque from column 58."""
    c.text(14, top + 7, "Address", BLACK, access=1)
    c.sunken(58, top, c.width + 1, top + 21, WHITE)
    c.icon(62, top + 3, icon)
    c.text(81, top + 7, address, BLACK)


def drop_arrow(c, x, y, enabled=True):
    if enabled:
        c.icon(x, y, [r.replace("#", "k") for r in DROP_ARROW_SHAPE])
    else:
        c.disabled(x, y, DROP_ARROW_SHAPE)


# Small-icon toolbar buttons: each takes the band's top row and its left
# column, draws itself, and answers the next button's left column.

def back_forward(c, top, x):
    """The greyed Back and Forward buttons of a window with nowhere to go yet."""
    c.disabled(x + 4, top + 3, BACK_SHAPE)
    right = c.disabled_text(x + 23, top + 7, "Back") + 7
    drop_arrow(c, right + 4, top + 10, enabled=False)
    x = right + 13
    c.disabled(x + 4, top + 3, FORWARD_SHAPE)
    drop_arrow(c, x + 28, top + 10, enabled=False)
    return x + 37


def separator(c, top, x):
    c.fill(x + 3, top + 2, x + 3, top + 19, SHADOW)
    c.fill(x + 4, top + 2, x + 4, top + 19, WHITE)
    return x + 8


def labelled(c, top, x, icon, label):
    c.icon(x + 4, top + 3, icon)
    return c.text(x + 23, top + 7, label, BLACK) + 9


def plain(c, top, x, icon):
    c.icon(x + 4, top + 3, icon)
    return x + 24


# ----------------------------------------------------------------------------
# The three pictures. Band rows are fixed: the preview shows the wallpaper
# exactly there, and the native tests hold the pictures to them.

MENU_TOP, BUTTONS_TOP, ADDRESS_TOP = 25, 49, 73
BROWSER_MENUS = [("File", 0), ("Edit", 0), ("View", 0), ("Favorites", 1),
                 ("Tools", 0), ("Help", 0)]


def internet_explorer():
    c = Canvas(WIDTH, 172)
    window_frame(c, IE_PAGE, "Example Domain - Microsoft Internet Explorer")
    toolbar_bands(c, [(MENU_TOP, 22, WIDTH - 1), (BUTTONS_TOP, 22, WIDTH - 1),
                      (ADDRESS_TOP, 22, 57)])
    menu_band(c, MENU_TOP, BROWSER_MENUS)
    x = back_forward(c, BUTTONS_TOP, 13)
    for icon in (STOP, REFRESH, HOME):
        x = plain(c, BUTTONS_TOP, x, icon)
    x = separator(c, BUTTONS_TOP, x)
    x = labelled(c, BUTTONS_TOP, x, MAGNIFIER, "Search")
    x = labelled(c, BUTTONS_TOP, x, FAVORITES, "Favorites")
    labelled(c, BUTTONS_TOP, x, CLOCK, "History")
    address_band(c, ADDRESS_TOP, IE_PAGE, "http://www.example.org/")

    # The page: its right and bottom edges lie beyond the picture.
    c.sunken(4, 97, WIDTH + 1, c.height + 1, PAGE_ORANGE)
    c.fill(14, 105, WIDTH - 1, 129, BANNER_GREY)
    c.text(24, 109, "Example Domain", WHITE, large=True)
    lines = ["This domain is for use in illustrative examples",
             "in documents. You may use this domain in",
             "literature without asking for permission."]
    for i, line in enumerate(lines):
        c.text(24, 136 + 12 * i, line, BLACK)
    return c


def outlook_express():
    c = Canvas(WIDTH, 174)
    window_frame(c, OE_LOGO, "Inbox - Outlook Express")
    toolbar_bands(c, [(MENU_TOP, 22, WIDTH - 1), (BUTTONS_TOP, 40, WIDTH - 1)])
    menu_band(c, MENU_TOP, [("File", 0), ("Edit", 0), ("View", 0), ("Tools", 0),
                            ("Message", 0), ("Help", 0)])
    # Large buttons share one width, set by the longest label.
    top, x, width = BUTTONS_TOP, 13, 62
    buttons = ((NEW_MAIL, "New Mail"), (REPLY, "Reply"), (REPLY_ALL, "Reply All"),
               (FORWARD_MAIL, "Forward"))
    for i, (icon, label) in enumerate(buttons):
        c.icon(x + (width - 24) // 2, top + 3, icon)
        c.text(x + (width - NORMAL.width(label)) // 2, top + 28, label, BLACK)
        x += width
        if i == 0:
            drop_arrow(c, x + 1, top + 14)
            x += 10
    c.fill(x + 4, top + 2, x + 4, top + 37, SHADOW)
    c.fill(x + 5, top + 2, x + 5, top + 37, WHITE)

    # Folder bar: the name of the open folder, large, on dark grey.
    c.fill(4, 91, WIDTH - 1, 118, SHADOW)
    c.icon(10, 97, INBOX_TRAY)
    c.text(32, 96, "Inbox", WHITE, BOLD, large=True)
    c.fill(4, 119, WIDTH - 1, c.height - 1, FACE)

    # Folders pane: header with its close cross, then the top of the tree.
    pane_right = 118
    c.text(8, 124, "Folders", BLACK)
    c.icon(pane_right - 12, 124, CLOSE_CROSS)
    c.sunken(4, 137, pane_right, c.height + 1, WHITE)
    c.icon(8, 140, OE_LOGO)
    c.text(27, 144, "Outlook Express", BLACK)
    c.icon(16, 157, FOLDER)
    c.text(35, 161, "Local Folders", BLACK)

    # Message list: column headers over the top of an empty list.
    c.sunken(pane_right + 3, 121, WIDTH + 1, c.height + 1, WHITE)
    x = pane_right + 5
    for label, w in (("!", 12), (PAPERCLIP, 14), (FLAG, 14), ("From", 80), ("Subject", 140)):
        c.raised(x, 123, x + w - 1, 139)
        if isinstance(label, str):
            c.text(x + 5, 127, label, BLACK)
        else:
            c.icon(x + 4, 125, label)
        x += w
    return c


def windows_explorer():
    c = Canvas(WIDTH, 172)
    window_frame(c, COMPUTER, "My Computer")
    toolbar_bands(c, [(MENU_TOP, 22, WIDTH - 1), (BUTTONS_TOP, 22, WIDTH - 1),
                      (ADDRESS_TOP, 22, 57)])
    menu_band(c, MENU_TOP, BROWSER_MENUS)
    x = back_forward(c, BUTTONS_TOP, 13)
    x = plain(c, BUTTONS_TOP, x, UP_FOLDER)
    x = separator(c, BUTTONS_TOP, x)
    x = labelled(c, BUTTONS_TOP, x, MAGNIFIER, "Search")
    x = labelled(c, BUTTONS_TOP, x, FOLDER_TREE, "Folders")
    labelled(c, BUTTONS_TOP, x, CLOCK, "History")
    address_band(c, ADDRESS_TOP, COMPUTER, "My Computer")

    c.sunken(4, 97, WIDTH + 1, c.height + 1, WHITE)
    c.icon(12, 101, BIG_COMPUTER)
    c.text(12, 137, "My Computer", BLACK, large=True)
    for x in range(12, 170):
        c.put(x, 160, blend(NAVY, (200, 220, 255), (x - 12) / 157))
    c.text(12, 163, "Select an item to view its description.", BLACK)
    # The second drive sits where the window's right edge cuts its caption.
    for centre, icon, caption in ((226, HARD_DISK, "Local Disk (C:)"),
                                  (306, CD_DRIVE, "Compact Disc (D:)")):
        c.icon(centre - 16, 104, icon)
        c.text(centre - NORMAL.width(caption) // 2, 140, caption, BLACK)
    return c


# ----------------------------------------------------------------------------

PICTURES = (
    ("mockup_ie.bmp", internet_explorer),
    ("mockup_oe.bmp", outlook_express),
    ("mockup_explorer.bmp", windows_explorer),
)


def check(name, c):
    """Refuses a picture with a colour that a tolerant key test would confuse with KEY."""
    for y, row in enumerate(c.rows):
        for x, p in enumerate(row):
            if p != KEY and all(abs(a - b) <= 40 for a, b in zip(p, KEY)):
                raise SystemExit(f"{name}: pixel ({x}, {y}) {p} is close to the key colour")
    keys = sum(row.count(KEY) for row in c.rows)
    return keys / (c.width * c.height)


def main(argv):
    out = pathlib.Path(argv[1]) if len(argv) > 1 else \
        pathlib.Path(__file__).resolve().parents[2] / "resources"
    out.mkdir(parents=True, exist_ok=True)
    for name, draw in PICTURES:
        c = draw()
        share = check(name, c)
        (out / name).write_bytes(c.bmp())
        print(f"{name}: {c.width} x {c.height}, key share {share:.1%}")


if __name__ == "__main__":
    main(sys.argv)
