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

    def test_buttons_menus_and_boxes_by_keyboard_alone(self):
        with h.App().start() as app:
            app.point_at_main()
            app.keys("Tab", "Return")  # the tab strip, then "Open a bitmap"
            dialog = app.window(lambda w: w["text"] == "Open", "the Open dialog")
            app.keys("ctrl+a")
            app.type(self.path)
            app.close(dialog, "Return")
            h.wait_for(lambda: app.control(h.ID["IDC_APPLY"])["enabled"], what="Apply to be enabled")
            app.point_at_main()
            # The focus is back on "Open a bitmap": two Tabs reach "Apply wallpaper".
            app.keys("Tab", "Tab", "Return")
            menu = app.window(lambda w: w["class"] == "#32768", "the popup menu")
            app.close(menu, "Escape")  # writes nothing
            self.assertIsNone(h.reg_query("BackBitmap"))
            app.point_at_main()
            app.keys("Return")
            menu = app.window(lambda w: w["class"] == "#32768", "the popup menu again")
            app.close(menu, "b")
            h.wait_for(lambda: h.reg_query("BackBitmap") == self.path, what="BackBitmap to be written")
            self.assertEqual(h.reg_query("BackBitmapIE5"), self.path)
            app.point_at_main()
            # Still on "Apply wallpaper": back one to "Remove wallpaper", and
            # the question comes each time, whatever closed the one before.
            app.keys("shift+Tab", "space")
            for key in ("Escape", "n"):
                box = app.window(lambda w: w["class"] == "#32770", "the question")
                self.assertEqual(box["text"], "Really?")
                app.close(box, key)
                h.stays_absent(h.message_boxes, 0.3, "the question again",
                               "a key that both closed the box and pressed the button would reopen it at once")
                app.point_at_main()
                app.keys("Return")
            box = app.window(lambda w: w["class"] == "#32770", "the question a third time")
            app.close(box, "Return")  # Yes, the default
            h.wait_for(lambda: h.reg_query("BackBitmap") == "", what="the removal")
            self.assertEqual(h.reg_query("BackBitmapIE5"), "")

    def test_a_held_enter_presses_once_and_answers_nothing(self):
        """Held for over a second, as a user leaning on the key would: the
        key repeats all the while, and the menu and the box it opens must
        still wait for a press of their own."""
        h.reg_set("BackBitmap", self.path)
        with h.App().start(args=(self.path,)) as app:  # chosen: Apply is enabled
            h.wait_for(lambda: app.control(h.ID["IDC_APPLY"])["enabled"], what="Apply to be enabled")
            app.point_at_main()
            app.keys("Tab", "Tab")  # "Open a bitmap", then "Remove wallpaper"
            for opens, is_it in (("the question", lambda w: w["class"] == "#32770"),
                                 ("the popup menu", lambda w: w["class"] == "#32768")):
                h.run("xdotool", "keydown", "Return", "sleep", "1.2", "keyup", "Return")
                opened = app.window(is_it, opens)
                h.stays_absent(lambda: all(w["hwnd"] != opened["hwnd"] for w in h.top_windows()), 0.3,
                               opens + " closing", "the held key's repeats are queued already when it opens")
                self.assertEqual(h.reg_query("BackBitmap"), self.path)
                self.assertIsNone(h.reg_query("BackBitmapIE5"))
                app.close(opened, "Escape")
                app.point_at_main()
                app.keys("Tab")  # on to "Apply wallpaper"


if __name__ == "__main__":
    unittest.main(verbosity=2)
