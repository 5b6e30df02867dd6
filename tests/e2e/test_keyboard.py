"""The keyboard as in any Windows dialog: Tab to a button and press Enter or
Space, answer with Enter or Escape, and find the focus where it was after
every dialog, box and menu."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402


class Keyboard(unittest.TestCase):
    def setUp(self):
        h.reset_toolbar_key()
        self.dir = h.workdir()
        self.path = h.unix_to_windows(h.write_bmp(os.path.join(self.dir, "tile.bmp"), 8, 8, lambda x, y: (9, 99, 199)))

    def wait_window(self, predicate, what):
        window = h.wait_for(lambda: next((w for w in h.top_windows() if predicate(w)), None), what=what)
        # With no window manager the keyboard follows the pointer.
        h.run("xdotool", "mousemove", str(window["x"] + window["w"] // 2), str(window["y"] + window["h"] // 2),
              "sleep", "0.2")
        return window

    def gone(self, window, what):
        h.wait_for(lambda: all(w["hwnd"] != window["hwnd"] for w in h.top_windows()), what=what)

    def test_buttons_menus_and_boxes_by_keyboard_alone(self):
        with h.App().start() as app:
            app.point_at_main()
            app.keys("Tab", "Return")  # the tab strip, then "Open a bitmap"
            dialog = self.wait_window(lambda w: w["text"] == "Open", "the Open dialog")
            app.keys("ctrl+a")
            app.type(self.path)
            app.keys("Return")
            self.gone(dialog, "the Open dialog to close")
            h.wait_for(lambda: app.control(h.ID["IDC_APPLY"])["enabled"], what="Apply to be enabled")
            app.point_at_main()
            # The focus is back on "Open a bitmap": two Tabs reach "Apply wallpaper".
            app.keys("Tab", "Tab", "Return")
            menu = self.wait_window(lambda w: w["class"] == "#32768", "the popup menu")
            app.keys("Escape")  # closes the menu and writes nothing
            self.gone(menu, "the menu to close")
            self.assertIsNone(h.reg_query("BackBitmap"))
            app.point_at_main()
            app.keys("Return")
            menu = self.wait_window(lambda w: w["class"] == "#32768", "the popup menu again")
            app.keys("b")
            self.gone(menu, "the menu to close")
            h.wait_for(lambda: h.reg_query("BackBitmap") == self.path, what="BackBitmap to be written")
            self.assertEqual(h.reg_query("BackBitmapIE5"), self.path)
            app.point_at_main()
            # Still on "Apply wallpaper": back one to "Remove wallpaper", and
            # the question comes each time, whatever closed the one before.
            app.keys("shift+Tab", "space")
            for key in ("Escape", "n"):
                box = self.wait_window(lambda w: w["class"] == "#32770", "the question")
                self.assertEqual(box["text"], "Really?")
                app.keys(key)
                self.gone(box, "the question to close")
                h.time.sleep(0.3)
                self.assertEqual(len(h.message_boxes()), 0)
                app.point_at_main()
                app.keys("Return")
            box = self.wait_window(lambda w: w["class"] == "#32770", "the question a third time")
            app.keys("Return")  # Yes, the default
            self.gone(box, "the question to close")
            h.wait_for(lambda: h.reg_query("BackBitmap") == "", what="the removal")
            self.assertEqual(h.reg_query("BackBitmapIE5"), "")


if __name__ == "__main__":
    unittest.main(verbosity=2)
