"""The window as a user sees it: every control where the design puts it, at
96 and 144 dots per inch, only the chosen tab's controls shown, the keyboard
order and tab shortcuts, the fixed texts, and screenshots of each tab."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402

# The design in twips, written out again here so that a slip in the
# program's own table shows: (container, left, top, width, height, tab).
TAB, FRAME = (180, 120), (180 + 1020, 120 + 1380)
DESIGN = {
    "IDC_TABSTRIP": ((0, 0), 180, 120, 8055, 6135, None),
    "IDC_OPEN_PICTURE": (TAB, 360, 600, 1515, 615, 0),
    "IDC_REMOVE_WALLPAPER": (TAB, 4500, 600, 1515, 615, 0),
    "IDC_APPLY": (TAB, 6180, 600, 1515, 615, 0),
    "IDC_PREVIEW_FRAME": (TAB, 1020, 1380, 6015, 3375, 0),
    "IDC_EXPLORER_TITLE": (TAB, 1980, 4920, 2355, 255, 0),
    "IDC_SWATCH_EXPLORER": (TAB, 1380, 4920, 495, 495, 0),
    "IDC_EXPLORER_FILENAME": (TAB, 2160, 5160, 3675, 255, 0),
    "IDC_IEOE_TITLE": (TAB, 1980, 5460, 3315, 255, 0),
    "IDC_SWATCH_IEOE": (TAB, 1380, 5460, 495, 495, 0),
    "IDC_IEOE_FILENAME": (TAB, 2160, 5700, 4095, 255, 0),
    "IDC_CAMERA": (FRAME, 660, 360, 240, 240, 0),
    "IDC_PREVIEW_LABEL": (FRAME, 960, 360, 1335, 255, 0),
    "IDC_PREVIEW": (FRAME, 540, 720, 4950, 2520, 0),
    "IDC_PREVIEW_OUTLINE": (FRAME, 532, 712, 4985, 2555, 0),  # placed at start-up
    "IDC_CONVERT_HEADER": (TAB, 180, 540, 2295, 195, 1),
    "IDC_CONVERT_INFO": (TAB, 180, 840, 7695, 975, 1),
    "IDC_OPEN_GIFJPEG": (TAB, 360, 1740, 1515, 615, 1),
    "IDC_CONVERT_INSTRUCTIONS": (TAB, 1920, 1800, 4155, 495, 1),
    "IDC_SAVE_AS_BITMAP": (TAB, 6120, 1740, 1515, 615, 1),
    "IDC_CONVERT_PREVIEW_LABEL": (TAB, 660, 2580, 1395, 255, 1),
    "IDC_CONVERT_PREVIEW": (TAB, 660, 2880, 6615, 2775, 1),
    "IDC_PERSON": (TAB, 135, 480, 585, 465, 2),
    "IDC_TITLE": (TAB, 795, 705, 4275, 315, 2),
    "IDC_VERSION": (TAB, 3960, 765, 855, 195, 2),
    "IDC_ABOUT": (TAB, 120, 1080, 7695, 4875, 2),
}
TEXTS = {
    "IDC_OPEN_PICTURE": "Open a bitmap", "IDC_REMOVE_WALLPAPER": "Remove wallpaper",
    "IDC_APPLY": "Apply wallpaper", "IDC_PREVIEW_FRAME": "Preview Selected Bitmap: ",
    "IDC_EXPLORER_TITLE": "Current Explorer wallpaper:",
    "IDC_IEOE_TITLE": "Current IE/Outlook Express wallpaper:",
    "IDC_PREVIEW_LABEL": "Show preview on:", "IDC_CONVERT_HEADER": "Convert GIF / JPEG to BMP",
    "IDC_OPEN_GIFJPEG": "Open a GIF / JPEG", "IDC_SAVE_AS_BITMAP": "Save as BMP",
    "IDC_CONVERT_PREVIEW_LABEL": "Image preview:", "IDC_TITLE": "Velmora", "IDC_VERSION": "(v.102)",
}


def pixels(twips, ppi):
    return (twips * ppi + 720) // 1440


def set_density(ppi):
    h.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
           "/d", str(ppi), "/f")


class Layout(unittest.TestCase):
    def setUp(self):
        h.reset_toolbar_key()

    def check_geometry(self, app, ppi):
        main = app.main()
        controls = app.controls()
        client_w = main["w"] - 2 * (main["cx"] - main["x"])
        self.assertEqual(client_w, pixels(8400, ppi))
        for name, ((ox, oy), x, y, w, hgt, _) in DESIGN.items():
            c = controls[h.ID[name]]
            expected = (pixels(ox + x, ppi), pixels(oy + y, ppi), pixels(w, ppi), pixels(hgt, ppi))
            got = (c["x"], c["y"], c["w"], c["h"])
            if name == "IDC_PREVIEW_LIST":
                got = got[:3]
            # Left and top are converted as positions, so a width may differ by one
            # pixel from converting it on its own. A one-line caption may grow to
            # the right to show its text whole, and must then fit the window.
            if c["class"] == "Static" and c["w"] > expected[2] + 1 and c["h"] < 2 * 13 * ppi // 96:
                self.assertLessEqual(c["x"] + c["w"], pixels(180 + 8055, ppi), name)
                got = (got[0], got[1], expected[2], got[3])
            for e, g, what in zip(expected, got, "xywh"):
                self.assertLessEqual(abs(e - g), 1, "%s %s: expected %s, got %s" % (name, what, expected, got))

    def test_geometry_at_96_120_and_144_dots_per_inch(self):
        try:
            for ppi in (96, 120, 144):
                set_density(ppi)
                with h.App().start() as app:
                    self.check_geometry(app, ppi)
                    if ppi != 96:
                        app.screenshot("layout-%ddpi-tab0" % ppi)
        finally:
            set_density(96)

    def test_only_the_chosen_tab_shows_and_texts_are_exact(self):
        with h.App().start() as app:
            app.point_at_main()
            for tab, keys in ((0, "alt+c"), (1, "alt+g"), (2, "alt+a"), (0, "alt+c")):
                app.keys(keys)
                h.wait_for(lambda: app.control(h.ID["IDC_OPEN_PICTURE"])["visible"] == (tab == 0),
                           what="tab %d" % tab)
                controls = app.controls()
                for name, spec in DESIGN.items():
                    if spec[5] is not None:
                        self.assertEqual(controls[h.ID[name]]["visible"], spec[5] == tab, (name, tab))
                app.screenshot("layout-tab%d" % tab)
            controls = app.controls()
            for name, text in TEXTS.items():
                self.assertEqual(controls[h.ID[name]]["text"], text, name)
            self.assertFalse(controls[h.ID["IDC_APPLY"]]["enabled"])
            info = controls[h.ID["IDC_CONVERT_INFO"]]["text"]
            self.assertIn("the OS && programs", info)  # shown as one ampersand
            about = controls[h.ID["IDC_ABOUT"]]["text"]
            self.assertEqual(about.count("\r\n"), 18)
            self.assertTrue(about.endswith("http://www.example.org/velmora/"))
            instructions = controls[h.ID["IDC_CONVERT_INSTRUCTIONS"]]["text"]
            self.assertEqual(instructions.count("\r\n"), 1)
            self.assertTrue(instructions.endswith("-->"))

    def test_clicking_a_tab_header_selects_it(self):
        with h.App().start() as app:
            main, tabs = app.main(), app.control(h.ID["IDC_TABSTRIP"])
            app.click_at(main["cx"] + tabs["x"] + tabs["w"] * 5 // 6, main["cy"] + tabs["y"] + 12)
            h.wait_for(lambda: app.control(h.ID["IDC_ABOUT"])["visible"], what="the About tab")
            self.assertFalse(app.control(h.ID["IDC_OPEN_PICTURE"])["visible"])

    def focus_order(self, app, presses):
        order = []
        for _ in range(presses):
            app.keys("Tab")
            focused = [cid for cid, c in app.controls().items() if c["focused"]]
            order.append(focused[0] if focused else None)
        return order

    def test_tab_key_follows_the_design_order(self):
        with h.App().start() as app:
            app.point_at_main()
            self.assertTrue(app.control(h.ID["IDC_TABSTRIP"])["focused"])
            names = ["IDC_OPEN_PICTURE", "IDC_REMOVE_WALLPAPER",  # Apply is disabled until a bitmap is open
                     "IDC_SWATCH_EXPLORER", "IDC_SWATCH_IEOE", "IDC_PREVIEW_LIST", "IDC_PREVIEW", "IDC_TABSTRIP"]
            self.assertEqual(self.focus_order(app, len(names)), [h.ID[n] for n in names])
            app.keys("alt+g")
            names = ["IDC_OPEN_GIFJPEG", "IDC_SAVE_AS_BITMAP", "IDC_TABSTRIP"]
            h.wait_for(lambda: app.control(h.ID["IDC_OPEN_GIFJPEG"])["visible"], what="tab 1")
            self.assertEqual(self.focus_order(app, len(names)), [h.ID[n] for n in names])

    def test_screenshots_match_the_references(self):
        """Each tab against a reference image kept beside this test; font
        rendering may move a few pixels, a misplaced control moves many."""
        reference_dir = os.path.join(os.path.dirname(__file__), "reference")
        with h.App().start() as app:
            app.point_at_main()
            for tab, keys in ((0, "alt+c"), (1, "alt+g"), (2, "alt+a")):
                app.keys(keys)
                h.wait_for(lambda: app.control(h.ID["IDC_OPEN_PICTURE"])["visible"] == (tab == 0),
                           what="tab %d" % tab)
                h.time.sleep(0.7)  # the start-up redraw
                shot = app.client_screenshot("reference-tab%d" % tab)
                reference = os.path.join(reference_dir, "tab%d.png" % tab)
                if os.environ.get("VELMORA_UPDATE_REFERENCES"):
                    os.makedirs(reference_dir, exist_ok=True)
                    subprocess.run(["cp", shot, reference], check=True)
                result = subprocess.run(["compare", "-metric", "AE", "-fuzz", "10%", shot, reference,
                                         "null:"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                differing = float(result.stderr.split()[0])
                self.assertLess(differing, 0.01 * 560 * 427, "tab %d differs in %d pixels" % (tab, differing))


if __name__ == "__main__":
    unittest.main(verbosity=2)
