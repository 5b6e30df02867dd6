"""Converting as a user does it: open a JPEG through the real Open dialog,
see it in the preview, save it through the real Save dialog, then apply the
saved bitmap to Explorer from the first tab and remove both again."""
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

    def test_open_save_apply_and_remove(self):
        saved = os.path.join(self.dir, "holiday photo.bmp")
        with h.App().start() as app:
            app.point_at_main()
            app.keys("alt+g")
            h.wait_for(lambda: app.control(h.ID["IDC_OPEN_GIFJPEG"])["visible"], what="the converter tab")
            app.choose("IDC_OPEN_GIFJPEG", "Open", h.unix_to_windows(self.jpeg))
            frame = app.control(h.ID["IDC_CONVERT_PREVIEW"])
            self.assertEqual((frame["w"], frame["h"]), (441, 185))
            h.time.sleep(0.3)
            top_left = app.pixel(frame["x"] + 2, frame["y"] + 2)
            self.assertLess(top_left[0], 90)  # the blue end of the gradient, unscaled at the corner
            app.screenshot("convert-preview")

            # Typed without the extension: the program adds ".bmp".
            app.choose("IDC_SAVE_AS_BITMAP", "Save As", h.unix_to_windows(saved[:-4]))
            h.wait_for(lambda: os.path.exists(saved), what="the BMP file")
            identify = subprocess.run(["identify", "-format", "%w %h %m", saved], stdout=subprocess.PIPE,
                                      text=True, check=True).stdout
            self.assertTrue(identify.startswith("600 300 BMP"), identify)

            app.keys("alt+c")
            h.wait_for(lambda: app.control(h.ID["IDC_APPLY"])["visible"], what="the first tab")
            # "Apply wallpaper" opens only after a bitmap was chosen on this tab.
            app.click(h.ID["IDC_OPEN_PICTURE"])
            dialog = h.wait_for(lambda: next((w for w in h.top_windows() if w["text"] == "Open"), None),
                                what="the Open dialog")
            h.run("xdotool", "mousemove", str(dialog["x"] + dialog["w"] // 2), str(dialog["y"] + dialog["h"] // 2))
            app.keys("ctrl+a")
            app.type(h.unix_to_windows(saved))
            app.keys("Return")
            h.wait_for(lambda: app.control(h.ID["IDC_APPLY"])["enabled"], what="Apply to be enabled")
            app.click(h.ID["IDC_APPLY"])
            h.wait_for(lambda: any(w["class"] == "#32768" for w in h.top_windows()), what="the popup menu")
            app.keys("w")
            h.wait_for(lambda: h.reg_query("BackBitmap") == h.unix_to_windows(saved), what="the Explorer value")
            self.assertIsNone(h.reg_query("BackBitmapIE5"))
            self.assertEqual(app.control(h.ID["IDC_EXPLORER_FILENAME"])["text"], "holiday photo.bmp")

            app.click(h.ID["IDC_REMOVE_WALLPAPER"])
            caption, _ = app.answer_box("Return")
            self.assertEqual(caption, "Really?")
            h.wait_for(lambda: h.reg_query("BackBitmap") == "", what="the values to be emptied")
            self.assertEqual(h.reg_query("BackBitmapIE5"), "")


if __name__ == "__main__":
    unittest.main(verbosity=2)
