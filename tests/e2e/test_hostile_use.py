"""What a hurried user does: cancel every dialog, and click twice quickly."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402

NONE = "No toolbar wallpaper set"


class HostileUse(unittest.TestCase):
    def setUp(self):
        h.reset_toolbar_key()
        self.dir = h.workdir()
        self.bitmap = h.write_bmp(os.path.join(self.dir, "tile.bmp"), 8, 8, lambda x, y: (90, 60, 30))

    def test_cancelling_every_dialog_changes_nothing(self):
        h.reg_set("BackBitmap", h.unix_to_windows(self.bitmap))
        with h.App().start() as app:
            app.close(app.dialog("IDC_OPEN_PICTURE", "Open"), "Escape")
            self.assertFalse(app.control(h.ID["IDC_APPLY"])["enabled"])
            app.keys("alt+g")
            h.wait_for(lambda: app.control(h.ID["IDC_OPEN_GIFJPEG"])["visible"], what="the converter tab")
            app.close(app.dialog("IDC_OPEN_GIFJPEG", "Open"), "Escape")
            bitmap = h.write_bmp(os.path.join(self.dir, "picture.bmp"), 4, 4, lambda x, y: (1, 2, 3))
            d = app.dialog("IDC_OPEN_GIFJPEG", "Open")
            app.keys("ctrl+a")
            app.type(h.unix_to_windows(bitmap))
            app.close(d, "Return")
            app.close(app.dialog("IDC_SAVE_AS_BITMAP", "Save As"), "Escape")
            self.assertEqual(sorted(os.listdir(self.dir)), ["picture.bmp", "tile.bmp"])
            self.assertEqual(h.message_boxes(), [])
            self.assertEqual(h.reg_query("BackBitmap"), h.unix_to_windows(self.bitmap))
            self.assertEqual(app.control(h.ID["IDC_EXPLORER_FILENAME"])["text"], "tile.bmp")

    def test_a_second_quick_click_does_not_stack_dialogs(self):
        with h.App().start() as app:
            main, button = app.main(), app.control(h.ID["IDC_REMOVE_WALLPAPER"])
            h.run("xdotool", "mousemove", str(main["cx"] + button["x"] + 20), str(main["cy"] + button["y"] + 20),
                  "click", "--repeat", "2", "--delay", "60", "1")
            h.wait_for(lambda: h.message_boxes(), what="the question")
            h.stays_absent(lambda: len(h.message_boxes()) > 1, 0.5, "a second question",
                           "the second click came 60 ms after the first")
            app.answer_box("Escape")
            h.stays_absent(h.message_boxes, 0.5, "another question",
                           "a click held back while the box was open is handled as soon as it closes")
            self.assertIsNone(h.reg_query("BackBitmap"))

    def test_odd_command_lines_get_boxes_that_fit_and_say_what_they_are(self):
        screen_w = int(h.run("xdotool", "getdisplaygeometry").stdout.split()[0])
        long_name = "C:\\" + "d" * 1015 + ".bmp"  # 1,024 characters, no blank to wrap at
        for args, says in (((long_name,), "characters long"), (("/?",), "To start Velmora with a picture")):
            with h.App().start(args=args) as app:
                box = h.wait_for(lambda: (h.message_boxes() or [None])[0], what="the box")
                self.assertIn(says, h.box_text(box))
                self.assertLessEqual(box["w"], screen_w, "the box fits on the screen")
                self.assertGreaterEqual(box["x"], 0)
                app.answer_box("Return")
                self.assertTrue(app.control(h.ID["IDC_OPEN_PICTURE"])["visible"])
                self.assertFalse(app.control(h.ID["IDC_APPLY"])["enabled"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
