"""Start-up as a user meets it: the first tab, the status of both toolbar
families read from the registry, and the messages for missing or unreadable
wallpaper pictures."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402

NONE = "No toolbar wallpaper set"


class StartupStatus(unittest.TestCase):
    def setUp(self):
        h.reset_toolbar_key()
        self.dir = h.workdir()

    def test_nothing_set_opens_on_the_first_tab_with_no_message(self):
        h.reg_set("BackBitmap", "")
        with h.App().start() as app:
            c = app.controls()
            self.assertEqual(c[h.ID["IDC_EXPLORER_FILENAME"]]["text"], NONE)
            self.assertEqual(c[h.ID["IDC_IEOE_FILENAME"]]["text"], NONE)
            self.assertFalse(c[h.ID["IDC_APPLY"]]["enabled"])
            self.assertEqual(c[h.ID["IDC_PREVIEW_LIST"]]["text"], "Windows Explorer")
            self.assertTrue(c[h.ID["IDC_OPEN_PICTURE"]]["visible"])
            self.assertFalse(c[h.ID["IDC_ABOUT"]]["visible"])
            self.assertEqual(h.message_boxes(), [])
            app.screenshot("startup-nothing-set")

    def test_set_wallpapers_show_their_names_and_fill_the_swatches(self):
        red = h.write_bmp(os.path.join(self.dir, "red tile.bmp"), 8, 8, lambda x, y: (200, 0, 0))
        # A full path of 259 characters: longer than the first read buffer.
        deep = os.path.join(self.dir, "d" * (259 - len(h.unix_to_windows(self.dir)) - len("\\\\blue.bmp")))
        os.makedirs(deep)
        blue = h.write_bmp(os.path.join(deep, "blue.bmp"), 5, 5, lambda x, y: (0, 0, 220))
        self.assertEqual(len(h.unix_to_windows(blue)), 259)
        h.reg_set("BackBitmap", h.unix_to_windows(red))
        h.reg_set("BackBitmapIE5", h.unix_to_windows(blue))
        with h.App().start() as app:
            c = app.controls()
            self.assertEqual(c[h.ID["IDC_EXPLORER_FILENAME"]]["text"], "red tile.bmp")
            self.assertEqual(c[h.ID["IDC_IEOE_FILENAME"]]["text"], "blue.bmp")
            h.wait_for(lambda: app.pixel(c[h.ID["IDC_SWATCH_EXPLORER"]]["x"] + 10,
                                         c[h.ID["IDC_SWATCH_EXPLORER"]]["y"] + 10) == (200, 0, 0),
                       what="the Explorer swatch to show the red tile")
            swatch = c[h.ID["IDC_SWATCH_IEOE"]]
            self.assertEqual(app.pixel(swatch["x"] + 12, swatch["y"] + 12), (0, 0, 220))
            self.assertEqual(h.message_boxes(), [])
            app.screenshot("startup-two-wallpapers")

    def test_missing_files_are_reported_explorer_first(self):
        h.reg_set("BackBitmap", r"C:\nowhere\gone.bmp")
        h.reg_set("BackBitmapIE5", r"C:\nowhere\also gone.bmp")
        with h.App().start(expect_main=False) as app:
            caption, first = app.answer_box()
            self.assertEqual(caption, "Error!")
            self.assertTrue(first.startswith("There is an Explorer toolbar wallpaper set"), first)
            self.assertIn("The program will continue as if there were no wallpaper set.", first)
            caption, second = app.answer_box()
            self.assertTrue(second.startswith("There is an IE toolbar wallpaper set"), second)
            app.wait_main()
            c = app.controls()
            self.assertEqual(c[h.ID["IDC_EXPLORER_FILENAME"]]["text"], NONE)
            self.assertEqual(c[h.ID["IDC_IEOE_FILENAME"]]["text"], NONE)

    def test_unreadable_picture_is_named_and_the_other_family_still_shown(self):
        bad = os.path.join(self.dir, "not a picture.bmp")
        with open(bad, "wb") as f:
            f.write(b"BM this is text, not a bitmap")
        good = h.write_bmp(os.path.join(self.dir, "good.bmp"), 4, 4, lambda x, y: (0, 128, 0))
        h.reg_set("BackBitmap", h.unix_to_windows(bad))
        h.reg_set("BackBitmapIE5", h.unix_to_windows(good))
        with h.App().start(expect_main=False) as app:
            caption, text = app.answer_box()
            self.assertIn("not a picture.bmp", text)
            app.wait_main()
            c = app.controls()
            self.assertEqual(c[h.ID["IDC_EXPLORER_FILENAME"]]["text"], NONE)
            self.assertEqual(c[h.ID["IDC_IEOE_FILENAME"]]["text"], "good.bmp")

    def test_values_that_are_not_paths_and_a_missing_key_show_none(self):
        h.reg_set("BackBitmap", "1", kind="REG_DWORD")
        h.reg_set("BackBitmapIE5", "Error")
        with h.App().start() as app:
            c = app.controls()
            self.assertEqual(c[h.ID["IDC_EXPLORER_FILENAME"]]["text"], NONE)
            self.assertEqual(c[h.ID["IDC_IEOE_FILENAME"]]["text"], NONE)
            self.assertEqual(h.message_boxes(), [])
        h.wine("reg", "delete", h.TOOLBAR, "/f", check=False)
        try:
            with h.App().start() as app:
                self.assertEqual(app.control(h.ID["IDC_EXPLORER_FILENAME"])["text"], NONE)
                self.assertEqual(h.message_boxes(), [])
        finally:
            h.reset_toolbar_key()


if __name__ == "__main__":
    unittest.main(verbosity=2)
