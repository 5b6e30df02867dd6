"""Converting as a user does it: open a JPEG through the real Open dialog,
see it in the preview, save it through the real Save dialog, then apply the
saved bitmap, now the chosen one, to Explorer from the first tab."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402


class ConvertJourney(unittest.TestCase):
    def setUp(self):
        h.reset_toolbar_key()
        self.dir = h.workdir()
        self.jpeg = os.path.join(self.dir, "holiday photo.jpg")
        # Larger than the 441 x 185 frame: the preview must clip, the file keep it all.
        subprocess.run(["convert", "-size", "600x300", "gradient:#2050c0-#f0c020", "-quality", "95", self.jpeg],
                       check=True)

    def test_open_save_and_apply(self):
        saved = os.path.join(self.dir, "holiday photo.bmp")
        with h.App().start() as app:
            app.point_at_main()
            app.keys("alt+g")
            h.wait_for(lambda: app.control(h.ID["IDC_OPEN_GIFJPEG"])["visible"], what="the converter tab")
            app.choose("IDC_OPEN_GIFJPEG", "Open", h.unix_to_windows(self.jpeg))
            frame = app.control(h.ID["IDC_CONVERT_PREVIEW"])
            self.assertEqual((frame["w"], frame["h"]), (441, 185))
            # The blue end of the gradient, unscaled at the corner.
            h.wait_for(lambda: app.pixel(frame["x"] + 2, frame["y"] + 2)[0] < 90, what="the preview's blue corner")
            app.screenshot("convert-preview")

            # Typed without the extension: the program adds ".bmp".
            app.choose("IDC_SAVE_AS_BITMAP", "Save As", h.unix_to_windows(saved[:-4]))
            h.wait_for(lambda: os.path.exists(saved), what="the BMP file")
            identify = h.run("identify", "-format", "%w %h %m", saved).stdout
            self.assertTrue(identify.startswith("600 300 BMP"), identify)

            # The saved bitmap is now the chosen one: "Apply wallpaper" writes it.
            app.keys("alt+c")
            h.wait_for(lambda: app.control(h.ID["IDC_APPLY"])["visible"], what="the first tab")
            self.assertTrue(app.control(h.ID["IDC_APPLY"])["enabled"])
            app.click(h.ID["IDC_APPLY"])
            h.wait_for(lambda: any(w["class"] == "#32768" for w in h.top_windows()), what="the popup menu")
            app.keys("w")
            h.wait_for(lambda: h.reg_query("BackBitmap") == h.unix_to_windows(saved), what="the Explorer value")
            self.assertIsNone(h.reg_query("BackBitmapIE5"))
            self.assertEqual(app.control(h.ID["IDC_EXPLORER_FILENAME"])["text"], "holiday photo.bmp")


if __name__ == "__main__":
    unittest.main(verbosity=2)
