"""What another program or a user can leave in the toolbar values: pictures
that are empty, truncated, corrupt, not what their name says, claim enormous
sizes, or are wider than a tile can be. Each ends in a clear message and a
window that goes on working."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402

NONE = "No toolbar wallpaper set"


def bmp_header(width, height):
    import struct
    return (struct.pack("<2sIHHI", b"BM", 54, 0, 0, 54) +
            struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, 0, 2835, 2835, 0, 0))


class HostileWallpapers(unittest.TestCase):
    def setUp(self):
        h.reset_toolbar_key()
        self.dir = h.workdir()

    def write(self, name, data):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def test_unreadable_pictures_are_named_and_shown_as_none(self):
        good = h.write_bmp(os.path.join(self.dir, "good.bmp"), 4, 4, lambda x, y: (10, 20, 30))
        with open(good, "rb") as f:
            truncated = f.read()[:60]
        cases = {
            "empty.bmp": b"",
            "truncated.bmp": truncated,
            "corrupt.bmp": b"BM" + os.urandom(200),
            "really a gif.bmp": b"GIF89a\x02\x00\x02\x00\x00\x00\x00;",
            "enormous.bmp": bmp_header(65500, 65500),
        }
        for name, data in cases.items():
            with self.subTest(name):
                h.reg_set("BackBitmap", h.unix_to_windows(self.write(name, data)))
                h.reg_set("BackBitmapIE5", h.unix_to_windows(good))
                with h.App().start(expect_main=False) as app:
                    caption, text = app.answer_box()
                    self.assertIn(name, text)
                    app.wait_main()
                    c = app.controls()
                    self.assertEqual(c[h.ID["IDC_EXPLORER_FILENAME"]]["text"], NONE)
                    self.assertEqual(c[h.ID["IDC_IEOE_FILENAME"]]["text"], "good.bmp")
                    self.assertEqual(h.message_boxes(), [])

    def test_a_folder_where_a_file_should_be_counts_as_missing(self):
        h.reg_set("BackBitmap", h.unix_to_windows(self.dir))
        with h.App().start(expect_main=False) as app:
            caption, text = app.answer_box()
            self.assertTrue(text.startswith("There is an Explorer toolbar wallpaper set"), text)
            app.wait_main()
            self.assertEqual(app.control(h.ID["IDC_EXPLORER_FILENAME"])["text"], NONE)

    def test_a_picture_wider_than_a_tile_can_be_is_told_once_and_left_undrawn(self):
        wide = h.write_bmp(os.path.join(self.dir, "wide.bmp"), 32768, 1, lambda x, y: (0, 90, 0))
        normal = h.write_bmp(os.path.join(self.dir, "normal.bmp"), 4, 4, lambda x, y: (0, 0, 200))
        h.reg_set("BackBitmap", h.unix_to_windows(wide))
        h.reg_set("BackBitmapIE5", h.unix_to_windows(normal))
        with h.App().start() as app:
            caption, text = app.answer_box()  # from the redraw half a second after start-up
            self.assertIn("32768", text)
            c = app.controls()
            self.assertEqual(c[h.ID["IDC_EXPLORER_FILENAME"]]["text"], "wide.bmp")
            swatch = c[h.ID["IDC_SWATCH_IEOE"]]
            h.wait_for(lambda: app.pixel(swatch["x"] + 8, swatch["y"] + 8) == (0, 0, 200),
                       what="the other swatch to be drawn")
            # Further redraws meet the same picture without telling again.
            app.click(h.ID["IDC_PREVIEW_LIST"])
            app.keys("Home", "Return")
            h.time.sleep(1)
            self.assertEqual(h.message_boxes(), [])
            self.assertEqual(app.control(h.ID["IDC_PREVIEW_LIST"])["text"], "Internet Explorer")


if __name__ == "__main__":
    unittest.main(verbosity=2)
