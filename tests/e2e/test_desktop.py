"""Velmora among other programs: files handed over on the command line, as
"Open with" and "Send To" do."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402

TEAL = (0, 128, 128)


class Desktop(unittest.TestCase):
    def setUp(self):
        h.reset_toolbar_key()
        self.dir = h.workdir()

    def tearDown(self):
        h.reset_toolbar_key()

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
