#!/usr/bin/env python3
"""Draws Velmora's small pictures and writes them as .ico files.

Every picture is pixel art kept here as rows of palette letters, so a change
to a picture reviews as text and the files rebuild byte for byte:

    python3 tools/icons/generate_icons.py            # writes into resources/
    python3 tools/icons/generate_icons.py OUT_DIR

Icons rather than bitmaps because an icon carries its own transparency: the
pictures sit on button faces whose colour the user's theme decides.
"""

import pathlib
import struct
import sys

CLEAR = (0, 0, 0, 0)


def opaque(rgb):
    return ((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255)


def shade(rgb, alpha):
    return ((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, alpha)


class Picture:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [CLEAR] * (width * height)

    def pixel(self, x, y):
        return self.pixels[y * self.width + x]

    def put(self, x, y, rgba):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = rgba

    def fill(self, x, y, w, h, rgba):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.put(xx, yy, rgba)

    def stamp(self, other, x, y):
        """Lays another picture over this one; its clear pixels let this one show."""
        for yy in range(other.height):
            for xx in range(other.width):
                p = other.pixel(xx, yy)
                if p[3]:
                    self.put(x + xx, y + yy, p)


def sprite(palette, rows, name):
    """Reads rows of palette letters; '.' is clear. Fails loudly on a typo."""
    width = len(rows[0])
    pic = Picture(width, len(rows))
    for y, row in enumerate(rows):
        if len(row) != width:
            raise ValueError(f"{name}: row {y} is {len(row)} wide, not {width}")
        for x, ch in enumerate(row):
            if ch == ".":
                continue
            if ch not in palette:
                raise ValueError(f"{name}: row {y} column {x}: no colour '{ch}'")
            pic.put(x, y, palette[ch])
    return pic


def mirrored(left_rows):
    """Completes a symmetric picture from its left half and middle column."""
    return [row + row[-2::-1] for row in left_rows]


def sized(pic, width, height, name):
    if (pic.width, pic.height) != (width, height):
        raise ValueError(f"{name}: drawn {pic.width}x{pic.height}, wanted {width}x{height}")
    return pic


# --- Remove: a bold black X -------------------------------------------------

REMOVE = sprite({"k": opaque(0x000000)}, [
    "................",
    "................",
    "..kk........kk..",
    "..kkk......kkk..",
    "...kkk....kkk...",
    "....kkk..kkk....",
    ".....kkkkkk.....",
    "......kkkk......",
    "......kkkk......",
    ".....kkkkkk.....",
    "....kkk..kkk....",
    "...kkk....kkk...",
    "..kkk......kkk..",
    "..kk........kk..",
    "................",
    "................",
], "remove")


# --- Apply: a blue-and-white chequered box with a sparkle --------------------

APPLY = sprite({
    "k": opaque(0x102A6A),   # box edge
    "b": opaque(0x2F6FDB),
    "B": opaque(0x6F9FF0),   # lit top and left edge of the blue squares
    "w": opaque(0xFFFFFF),
    "W": opaque(0xFFFFF0),   # sparkle core
    "y": opaque(0xFFC81E),
    "s": shade(0x000000, 90),
}, [
    "............y...",
    "............y...",
    "...........yWy..",
    ".........yyWWWyy",
    "kkkkkkkkkkkyWy..",
    "kBBBwwwBBBks.y..",
    "kBbbwwwBbbks.y..",
    "kBbbwwwBbbks....",
    "kwwwBBBwwwks....",
    "kwwwBbbwwwks....",
    "kwwwBbbwwwks....",
    "kBBBwwwBBBks....",
    "kBbbwwwBbbks....",
    "kBbbwwwBbbks....",
    "kkkkkkkkkkks....",
    ".sssssssssss....",
], "apply")


# --- Camera: grey, lens in the middle ---------------------------------------

CAMERA = sprite({
    "k": opaque(0x303030),
    "l": opaque(0xC8C8C8),   # top plate
    "m": opaque(0x9A9A9A),   # body
    "d": opaque(0x686868),   # lens ring
    "n": opaque(0x1C2230),   # glass
    "w": opaque(0xFFFFFF),
}, [
    "................",
    "................",
    "................",
    ".....kkkkk......",
    ".....kllmk.kk...",
    ".kkkkkkkkkkkkkk.",
    ".kllllkkkllwwlk.",
    ".klllkdddkllllk.",
    ".kmmkdwnndkmmmk.",
    ".kmmkdnnndkmmmk.",
    ".kmmkdnnndkmmmk.",
    ".kmmmkdddkmmmmk.",
    ".kmmmmkkkmmmmmk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
], "camera")


# --- Open a bitmap: an open yellow folder, a curved arrow rising from it ----

OPEN_BITMAP = sprite({
    "G": opaque(0x2CA63C),   # arrow
    "g": opaque(0x16652A),   # arrow's outer edge
    "d": opaque(0x8A5A00),   # folder edge
    "y": opaque(0xE0AA2A),   # folder back
    "Y": opaque(0xFFD850),   # folder front
    "h": opaque(0xFFEC9A),   # lit edges
}, [
    ".....gggggg.....",
    "....gGGGGGGg....",
    "...gGGggggGGg...",
    "...gGg....gGGg..",
    "...gGg..gGGGGGGg",
    "...gGg...gGGGGg.",
    "...gGg....gGGg..",
    "..dddd.....gg...",
    ".dhhhhddddddd...",
    ".dyyyyyyyyyyd...",
    ".dyyyddddddddddd",
    ".dyydhhhhhhhhhhd",
    ".dydYYYYYYYYYYd.",
    ".ddYYYYYYYYYYd..",
    ".dYYYYYYYYYYd...",
    ".ddddddddddd....",
], "open_bitmap")


# --- Documents and pencils, shared by the two converter buttons --------------

PAGE = {
    "k": opaque(0x505050),
    "w": opaque(0xFFFFFF),
    "f": opaque(0xD0D0D0),   # folded corner
    "t": opaque(0x9AA0A8),   # text lines
}

PENCIL_COLOURS = {
    "e": opaque(0xF08CA0),   # eraser
    "a": opaque(0xB8B8C0),   # ferrule
    "Y": opaque(0xFFD23C),   # painted wood, lit side
    "O": opaque(0xD08A10),   # painted wood, shaded side
    "u": opaque(0xF0C890),   # bare wood
    "p": opaque(0x303030),   # graphite
}

# Lies from bottom left (the point) to top right (the eraser).
PENCIL = sprite(PENCIL_COLOURS, [
    "......ee",
    ".....aee",
    "....YaaO",
    "...YYOO.",
    "..YYOO..",
    ".uuOO...",
    "puu.....",
    "p.......",
], "pencil")


def picture_page(pic_palette, pic_rows, name):
    """An 11 x 14 page with a folded corner, a picture and a line of text."""
    page = sprite(PAGE, [
        "kkkkkkkk...",
        "kwwwwwwkk..",
        "kwwwwwwkfk.",
        "kwwwwwwkkkk",
        "kwwwwwwwwwk",
        "kwwwwwwwwwk",
        "kwwwwwwwwwk",
        "kwwwwwwwwwk",
        "kwwwwwwwwwk",
        "kwwwwwwwwwk",
        "kwwwwwwwwwk",
        "kwtttttttwk",
        "kwwwwwwwwwk",
        "kkkkkkkkkkk",
    ], name)
    page.stamp(sprite(pic_palette, pic_rows, name), 2, 4)
    return page


LANDSCAPE = picture_page({
    "s": opaque(0x58A8F0), "y": opaque(0xFFE040), "g": opaque(0x38A848),
    "G": opaque(0x1E7A30),
}, [
    "ssssssy",
    "sssssyy",
    "sssssss",
    "ssGssss",
    "sGggsgG",
    "ggggggg",
], "landscape page")

SUNSET = picture_page({
    "o": opaque(0xFF9A30), "r": opaque(0xE04828), "y": opaque(0xFFE060),
    "p": opaque(0x7A3C8C), "P": opaque(0x4E2468),
}, [
    "ooooooo",
    "ooyyooo",
    "ooyyooo",
    "rrrrrpr",
    "rrpppPp",
    "pPPPPPP",
], "sunset page")


def page_with_pencil(page):
    pic = Picture(18, 16)
    pic.stamp(page, 1, 1)
    pic.stamp(PENCIL, 8, 8)
    return pic


OPEN_GIFJPEG = Picture(36, 16)
OPEN_GIFJPEG.stamp(page_with_pencil(LANDSCAPE), 0, 0)
OPEN_GIFJPEG.stamp(page_with_pencil(SUNSET), 18, 0)


# --- Save as BMP: pencils in a cup beside a document -------------------------

SAVE_BMP = sprite(dict(PAGE, **{
    "c": opaque(0x2E62B8),   # cup
    "C": opaque(0x6C9CE8),   # cup's lit side
    "K": opaque(0x163060),   # cup's edge
    "p": opaque(0x303030),   # graphite
    "u": opaque(0xF0C890),   # bare wood
    "R": opaque(0xE83C3C), "r": opaque(0xA01E1E),
    "G": opaque(0x48C050), "g": opaque(0x217A2A),
    "Y": opaque(0xFFD23C), "O": opaque(0xD08A10),
}), [
    "................",
    "kkkkk......p....",
    "kwwwkk....uu....",
    "kwwwkfk...Gg....",
    "kwwwkkkkp.Gg....",
    "kwwwwwwkuuGg.p..",
    "kwttttwkRrGguu..",
    "kwwwwwwkRrGgYO..",
    "kwtttwwkRrGgYO..",
    "kwwwwwwKKKKKKKK.",
    "kwttttwKCcccccK.",
    "kwwwwwwKCcccccK.",
    "kwtttwwKCcccccK.",
    "kwwwwwwKCcccccK.",
    "kkkkkkkKCcccccK.",
    ".......KKKKKKKK.",
], "save_bmp")


# --- About: a cartoon head and shoulders -------------------------------------

PERSON = sprite({
    "h": opaque(0x3A2A20),   # hair
    "H": opaque(0x60462E),   # hair's shine
    "s": opaque(0xF6CFA8),   # skin
    "o": opaque(0xC98E64),   # skin's edge and shadow
    "n": opaque(0xDDAA80),   # neck under the chin
    "p": opaque(0xF4A8A0),   # cheeks
    "m": opaque(0xA83C3C),   # mouth
    "g": opaque(0x202020),   # glasses frame
    "l": opaque(0xE4F0F8),   # lens
    "w": opaque(0xFFFFFF),   # glint
    "e": opaque(0x2A3040),   # eye
    "c": opaque(0xF4F4F4),   # shirt collar
    "t": opaque(0xB02828),   # tie
    "j": opaque(0x2C3444),   # jacket
    "J": opaque(0x4A5670),   # lapel
}, mirrored([
    "....................",
    "..............hhhhhh",
    "...........hhhhhhhhh",
    ".........hhhhhhHHHhh",
    "........hhhhHHhhhhhh",
    "........hhhhhhhhhhhh",
    ".......hhhhhhhhhhhhh",
    ".......hhhhhhhhhhhhh",
    ".......hhhhhhhssssss",
    ".......hhhssssssssss",
    ".......hhsshhhhhssss",
    ".......hhsgggggggsss",
    "......osgggwlellgggg",
    "......ososgllellgsss",
    "......ososgggggggsss",
    ".......oosssssssssso",
    "........ossppsssssos",
    "........osssssssmsss",
    ".........osssssssmmm",
    "..........osssssssss",
    "............osssssss",
    "..............oonnnn",
    "...............cssss",
    "........jjjjjjccccss",
    ".....jjjjjjjjjjcccct",
    "...jjjjjjjjjjjjJcctt",
    "..jjjjjjjjjjjjjjJctt",
    "..jjjjjjjjjjjjjjjJtt",
    "..jjjjjjjjjjjjjjjjJt",
    "..jjjjjjjjjjjjjjjjJt",
    "..jjjjjjjjjjjjjjjjjt",
]), "person")


# --- The program's own icon --------------------------------------------------

WINDOW = {
    "edge": opaque(0x1E2430),
    "title": opaque(0x1F3A78),
    "title_light": opaque(0x4A72B8),
    "title_text": opaque(0xF0F0F0),
    "button": opaque(0xD4D0C8),
    "glyph": opaque(0x202020),
    "close": opaque(0xD8453A),
    "strip": opaque(0xD4D0C8),
    "strip_line": opaque(0x9C9890),
    "field_edge": opaque(0x7A7A7A),
    "field": opaque(0xFFFFFF),
    "body": opaque(0xFFFFFF),
    "text": opaque(0x8C96A4),
    "shadow": shade(0x000000, 70),
}

GRID_COLOURS = [
    opaque(0xE8412E), opaque(0xF5A623), opaque(0xF2D43A),
    opaque(0x3DB54A), opaque(0x2A9DD8), opaque(0x3A57C8),
    opaque(0x8E44AD), opaque(0xE0489A), opaque(0x16A79A),
]

# At 16 pixels every feature is one or two pixels, so it is placed by hand.
APP_16 = sprite({
    "k": WINDOW["edge"], "L": WINDOW["title_light"], "T": WINDOW["title"],
    "b": WINDOW["button"], "x": WINDOW["close"], "S": WINDOW["strip"],
    "D": WINDOW["strip_line"], "f": WINDOW["field"], "w": WINDOW["body"],
    "t": WINDOW["text"],
    "1": GRID_COLOURS[0], "2": GRID_COLOURS[1], "3": GRID_COLOURS[2],
    "4": GRID_COLOURS[3], "5": GRID_COLOURS[4], "6": GRID_COLOURS[5],
    "7": GRID_COLOURS[6], "8": GRID_COLOURS[7], "9": GRID_COLOURS[8],
}, [
    "................",
    "kkkkkkkkkkkkkkkk",
    "kLLLTTbbTbbTxxTk",
    "kLLLTTbbTbbTxxTk",
    "kSSfffffffffffSk",
    "kDDDDDDDDDDDDDDk",
    "kwwwwwwwwwwwwwwk",
    "kw112233wtttttwk",
    "kw112233wwwwwwwk",
    "kw445566wttttwwk",
    "kw445566wwwwwwwk",
    "kw778899wtttttwk",
    "kw778899wwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kkkkkkkkkkkkkkkk",
    "................",
], "app 16")

# Larger sizes share one plan, in pixels: the window's box (x, y, w, h), the
# title bar's height, a caption button's side, the toolbar strip's height,
# the grid's cell and gap, and how far apart the text lines run.
APP_LAYOUTS = {
    32: dict(box=(1, 2, 30, 27), title=7, button=5, strip=5, cell=3, gap=1, line_step=2),
    48: dict(box=(2, 3, 44, 41), title=9, button=7, strip=7, cell=5, gap=1, line_step=3),
}

TEXT_LINE_LENGTHS = [1.0, 0.75, 1.0, 0.55, 0.9, 0.7, 1.0, 0.6]


def caption_button(pic, x, y, side, kind):
    """Minimise, maximise and close, drawn as the classic glyphs."""
    pic.fill(x, y, side, side, WINDOW["close" if kind == "close" else "button"])
    g = side - 2
    gx, gy = x + 1, y + 1
    if kind == "minimise":
        pic.fill(gx, gy + g - 1, g, 1, WINDOW["glyph"])
    elif kind == "maximise":
        pic.fill(gx, gy, g, g, WINDOW["glyph"])
        pic.fill(gx + 1, gy + 2 if g >= 5 else gy + 1, g - 2,
                 g - 3 if g >= 5 else g - 2, WINDOW["button"])
    else:
        for d in range(g):
            pic.put(gx + d, gy + d, WINDOW["title_text"])
            pic.put(gx + g - 1 - d, gy + d, WINDOW["title_text"])


def app_icon(size):
    if size == 16:
        return APP_16
    lay = APP_LAYOUTS[size]
    pic = Picture(size, size)
    x, y, w, h = lay["box"]
    pic.fill(x + 1, y + h, w, 1, WINDOW["shadow"])
    pic.fill(x + w, y + 1, 1, h, WINDOW["shadow"])
    pic.fill(x, y, w, h, WINDOW["edge"])
    inner_x, inner_w = x + 1, w - 2

    top = y + 1
    title_h = lay["title"]
    pic.fill(inner_x, top, inner_w, title_h, WINDOW["title"])
    # A lighter left third stands for the classic title gradient.
    pic.fill(inner_x, top, inner_w // 3, title_h, WINDOW["title_light"])
    text_h = max(1, title_h // 4)
    pic.fill(inner_x + 2, top + (title_h - text_h) // 2, inner_w // 4, text_h,
             WINDOW["title_text"])
    side = lay["button"]
    right = inner_x + inner_w - 1
    for i, kind in enumerate(("minimise", "maximise", "close")):
        caption_button(pic, right - (3 - i) * (side + 1) + 1, top + (title_h - side) // 2,
                       side, kind)

    strip_y = top + title_h
    strip_h = lay["strip"]
    pic.fill(inner_x, strip_y, inner_w, strip_h, WINDOW["strip"])
    pic.fill(inner_x, strip_y + strip_h - 1, inner_w, 1, WINDOW["strip_line"])
    field_x = inner_x + inner_w // 5
    field_w = inner_x + inner_w - 1 - field_x
    field_h = strip_h - 2
    pic.fill(field_x, strip_y + 1, field_w, field_h, WINDOW["field_edge"])
    pic.fill(field_x + 1, strip_y + 2, field_w - 2, field_h - 2, WINDOW["field"])
    for i in range(2):   # two toolbar buttons before the field
        pic.fill(inner_x + 1 + i * 3, strip_y + 1, 2, field_h, WINDOW["strip_line"])

    body_y = strip_y + strip_h
    body_h = y + h - 1 - body_y
    pic.fill(inner_x, body_y, inner_w, body_h, WINDOW["body"])

    cell, gap = lay["cell"], lay["gap"]
    grid = 3 * cell + 2 * gap
    grid_x = inner_x + (inner_w // 2 - grid) // 2
    grid_y = body_y + (body_h - grid) // 2
    for i, colour in enumerate(GRID_COLOURS):
        pic.fill(grid_x + (i % 3) * (cell + gap), grid_y + (i // 3) * (cell + gap),
                 cell, cell, colour)

    text_x = grid_x + grid + cell
    text_w = inner_x + inner_w - 1 - text_x
    step = lay["line_step"]
    for i in range((grid + 1) // step):
        length = round(text_w * TEXT_LINE_LENGTHS[i % len(TEXT_LINE_LENGTHS)])
        pic.fill(text_x, grid_y + i * step, length, step - 1, WINDOW["text"])
    return pic


# --- Writing .ico files ------------------------------------------------------

def ico_image(pic):
    """One 32-bit image: BGRA rows and an AND mask, both bottom-up.

    The mask is set where alpha is zero so that a reader that ignores alpha
    still leaves the surround uncovered.
    """
    w, h = pic.width, pic.height
    colour = bytearray()
    mask = bytearray()
    mask_stride = (w + 31) // 32 * 4
    for y in reversed(range(h)):
        bits = bytearray(mask_stride)
        for x in range(w):
            r, g, b, a = pic.pixel(x, y)
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def ico_file(pictures):
    images = [ico_image(p) for p in pictures]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for pic, data in zip(pictures, images):
        out += struct.pack("<BBBBHHII", pic.width % 256, pic.height % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


ICONS = {
    "app.ico": [app_icon(48), app_icon(32), app_icon(16)],
    "open_bitmap.ico": [sized(OPEN_BITMAP, 16, 16, "open_bitmap")],
    "remove.ico": [sized(REMOVE, 16, 16, "remove")],
    "apply.ico": [sized(APPLY, 16, 16, "apply")],
    "open_gifjpeg.ico": [sized(OPEN_GIFJPEG, 36, 16, "open_gifjpeg")],
    "save_bmp.ico": [sized(SAVE_BMP, 16, 16, "save_bmp")],
    "camera.ico": [sized(CAMERA, 16, 16, "camera")],
    "person.ico": [sized(PERSON, 39, 31, "person")],
}


def main(argv):
    out_dir = (pathlib.Path(argv[1]) if len(argv) > 1
               else pathlib.Path(__file__).resolve().parents[2] / "resources")
    out_dir.mkdir(parents=True, exist_ok=True)
    for name, pictures in ICONS.items():
        (out_dir / name).write_bytes(ico_file(pictures))
        print(f"wrote {out_dir / name}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
