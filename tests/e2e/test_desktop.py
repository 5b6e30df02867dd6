"""Velmora among other programs: a status that follows whoever changes the
toolbar values, and files handed over on the command line, as "Open with"
and "Send To" do."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402

NONE = "No toolbar wallpaper set"
TEAL = (0, 128, 128)


class Desktop(unittest.TestCase):
    def setUp(self):
        h.reset_toolbar_key()
        self.dir = h.workdir()

    def tearDown(self):
        h.reset_toolbar_key()

    def label(self, app, name):
        return app.control(h.ID[name])["text"]

    def test_the_status_follows_the_registry(self):
        bitmap = h.unix_to_windows(h.write_bmp(os.path.join(self.dir, "teal.bmp"), 4, 4, lambda x, y: TEAL))
        with h.App().start() as app:
            self.assertEqual(self.label(app, "IDC_EXPLORER_FILENAME"), NONE)
            h.reg_set("BackBitmap", bitmap)
            h.wait_for(lambda: self.label(app, "IDC_EXPLORER_FILENAME") == "teal.bmp", timeout=5,
                       what="the label to follow")
            swatch = app.control(h.ID["IDC_SWATCH_EXPLORER"])
            h.wait_for(lambda: app.pixel(swatch["x"] + 10, swatch["y"] + 10) == TEAL, timeout=5,
                       what="the swatch to follow")
            h.wine("reg", "delete", h.TOOLBAR, "/f")
            h.wait_for(lambda: self.label(app, "IDC_EXPLORER_FILENAME") == NONE, timeout=5,
                       what="the label to follow the deleted key")
            h.wine("reg", "add", h.TOOLBAR, "/f")
            h.reg_set("BackBitmapIE5", bitmap)
            h.wait_for(lambda: self.label(app, "IDC_IEOE_FILENAME") == "teal.bmp", timeout=5,
                       what="the label to follow the key made again")
            self.assertEqual(h.message_boxes(), [])

    def test_files_on_the_command_line(self):
        folder = os.path.join(self.dir, "my pictures")
        os.makedirs(folder)
        bitmap = h.write_bmp(os.path.join(folder, "stone wall.bmp"), 8, 8, lambda x, y: TEAL)
        with h.App().start(args=[h.unix_to_windows(bitmap)]) as app:
            h.wait_for(lambda: app.control(h.ID["IDC_APPLY"])["enabled"], what="the bitmap to be chosen")
            self.assertTrue(app.control(h.ID["IDC_PREVIEW"])["visible"])
            app.screenshot("desktop-command-line-bitmap")

        # A JPEG whose path holds characters of no ANSI code page.
        ppm = os.path.join(self.dir, "plain.ppm")
        with open(ppm, "wb") as f:
            f.write(b"P6 16 16 255\n" + bytes((200, 40, 40)) * 256)
        jpeg = os.path.join(folder, "\u5199\u771f \u0444\u043e\u0442\u043e.jpg")
        with open(jpeg, "wb") as f:
            f.write(subprocess.run(["cjpeg", ppm], check=True, stdout=subprocess.PIPE).stdout)
        with h.App().start(args=[h.unix_to_windows(jpeg)]) as app:
            h.wait_for(lambda: app.control(h.ID["IDC_SAVE_AS_BITMAP"])["visible"], what="the converter tab")
            image = app.control(h.ID["IDC_CONVERT_PREVIEW"])
            r, g, b = app.pixel(image["x"] + 8, image["y"] + 8)
            self.assertTrue(abs(r - 200) < 12 and abs(g - 40) < 12 and abs(b - 40) < 12, (r, g, b))
            self.assertEqual(h.message_boxes(), [])
            app.screenshot("desktop-command-line-jpeg")


if __name__ == "__main__":
    unittest.main(verbosity=2)
