"""The typical use, as a user meets it: open a bitmap through the real Open
dialog, preview it behind each program's toolbar, apply it from the popup
menu with the keyboard (removal is the keyboard journey's)."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402

RED, YELLOW = (220, 30, 30), (250, 220, 0)


def checker(x, y):
    return RED if (x // 4 + y // 4) % 2 else YELLOW


class WallpaperJourney(unittest.TestCase):
    def setUp(self):
        h.reset_toolbar_key()
        self.dir = h.workdir()
        self.bitmap = h.write_bmp(os.path.join(self.dir, "stone wall.bmp"), 16, 16, checker)
        self.path = h.unix_to_windows(self.bitmap)

    def preview_pixel(self, app, x, y):
        p = app.control(h.ID["IDC_PREVIEW"])
        return app.pixel(p["x"] + x, p["y"] + y)

    def choose_program(self, app, keys):
        app.click(h.ID["IDC_PREVIEW_LIST"])
        app.keys(*keys)

    def test_open_preview_and_apply_both(self):
        with h.App().start() as app:
            app.choose("IDC_OPEN_PICTURE", "Open", self.path)
            h.wait_for(lambda: app.control(h.ID["IDC_APPLY"])["enabled"], what="Apply to be enabled")
            # Row 30 lies in every mock-up's menu band; column 320 is band background.
            self.assertIn(self.preview_pixel(app, 320, 30), (RED, YELLOW))
            self.assertNotIn(self.preview_pixel(app, 320, 10), (RED, YELLOW))  # the title bar covers it
            app.screenshot("journey-preview-explorer")
            for keys, name in ((["Home", "Return"], "Internet Explorer"), (["Down", "Return"], "Outlook Express")):
                self.choose_program(app, keys)
                h.wait_for(lambda: app.control(h.ID["IDC_PREVIEW_LIST"])["text"] == name
                           and self.preview_pixel(app, 320, 30) in (RED, YELLOW), what=name + "'s tiled menu band")
                app.screenshot("journey-preview-" + name.lower().replace(" ", "-"))
            # Outlook Express has a 40-pixel button band: row 80 shows the bitmap there only.
            self.assertIn(self.preview_pixel(app, 320, 80), (RED, YELLOW))

            app.click(h.ID["IDC_APPLY"])
            menu = h.wait_for(lambda: next((w for w in h.top_windows() if w["class"] == "#32768"), None),
                              what="the popup menu")
            main, apply = app.main(), app.control(h.ID["IDC_APPLY"])
            self.assertEqual((menu["x"], menu["y"]), (main["cx"] + apply["x"], main["cy"] + apply["y"] + apply["h"]))
            app.keys("b")
            h.wait_for(lambda: h.reg_query("BackBitmap") == self.path, what="BackBitmap to be written")
            self.assertEqual(h.reg_query("BackBitmapIE5"), self.path)
            c = app.controls()
            self.assertEqual(c[h.ID["IDC_EXPLORER_FILENAME"]]["text"], "stone wall.bmp")
            self.assertEqual(c[h.ID["IDC_IEOE_FILENAME"]]["text"], "stone wall.bmp")
            swatch = c[h.ID["IDC_SWATCH_EXPLORER"]]
            h.wait_for(lambda: app.pixel(swatch["x"] + 6, swatch["y"] + 6) in (RED, YELLOW),
                       what="the swatch to show the new wallpaper")
            app.screenshot("journey-applied-both")

    def test_what_is_not_a_bmp_file_is_refused_with_its_reason(self):
        capital = h.write_bmp(os.path.join(self.dir, "capital.BMP"), 4, 4, lambda x, y: (0, 0, 255))
        fake = os.path.join(self.dir, "fake.bmp")
        h.run("convert", "-size", "4x4", "xc:blue", "png:" + fake)
        with h.App().start() as app:
            app.choose("IDC_OPEN_PICTURE", "Open", h.unix_to_windows(capital))
            caption, text = app.answer_box()
            self.assertEqual(caption, "Error")
            self.assertTrue(text.startswith("You can only use bitmap format files for toolbar backgrounds, sorry."))
            self.assertIn('end in ".bmp" written in lower case', text)
            app.choose("IDC_OPEN_PICTURE", "Open", h.unix_to_windows(fake))
            caption, text = app.answer_box()
            self.assertIn("It is a PNG picture, not a BMP file", text)
            self.assertFalse(app.control(h.ID["IDC_APPLY"])["enabled"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
