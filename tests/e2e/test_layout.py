"""The window as a user sees it: controls where the design puts them at 96
and 144 dots per inch, only the chosen tab's controls shown, the keyboard
order and tab shortcuts, the fixed texts, and each tab against a reference."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness as h  # noqa: E402

# A control of each tab and of the frame, in client twips: the tab control
# sits at (180, 120), the frame at (1020, 1380) inside it.
PLACES = {
    "IDC_APPLY": (180 + 6180, 120 + 600, 1515, 615),
    "IDC_PREVIEW": (180 + 1020 + 540, 120 + 1380 + 720, 4950, 2520),
    "IDC_PREVIEW_OUTLINE": (180 + 1020 + 532, 120 + 1380 + 712, 4985, 2555),  # placed at start-up
    "IDC_CONVERT_PREVIEW": (180 + 660, 120 + 2880, 6615, 2775),
    "IDC_ABOUT": (180 + 120, 120 + 1080, 7695, 4875),
}
TABS = {0: "IDC_APPLY", 1: "IDC_CONVERT_PREVIEW", 2: "IDC_ABOUT"}


def pixels(twips, ppi):
    return (twips * ppi + 720) // 1440


def set_density(ppi):
    h.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
           "/d", str(ppi), "/f")


class Layout(unittest.TestCase):
    def setUp(self):
        h.reset_toolbar_key()

    def check_places(self, app, ppi):
        main = app.main()
        self.assertEqual(main["w"] - 2 * (main["cx"] - main["x"]), pixels(8400, ppi))
        controls = app.controls()
        for name, place in PLACES.items():
            c = controls[h.ID[name]]
            self.assertEqual((c["x"], c["y"], c["w"], c["h"]),
                             tuple(pixels(t, ppi) for t in place), name)

    def select(self, app, tab, keys):
        app.keys(keys)
        h.wait_for(lambda: app.control(h.ID["IDC_OPEN_PICTURE"])["visible"] == (tab == 0), what="tab %d" % tab)

    def like_reference(self, app, tab):
        """Font rendering may move a few pixels; a misplaced control moves many."""
        shot = app.screenshot("reference-tab%d" % tab, client=True)
        reference = os.path.join(os.path.dirname(__file__), "reference", "tab%d.png" % tab)
        if os.environ.get("VELMORA_UPDATE_REFERENCES"):
            subprocess.run(["cp", shot, reference], check=True)
        differing = h.run("compare", "-metric", "AE", "-fuzz", "10%", shot, reference, "null:", check=False)
        return float(differing.stderr.split()[0]) < 0.01 * 560 * 427

    def focus_order(self, app, presses):
        order = []
        for _ in range(presses):
            app.keys("Tab")
            focused = [cid for cid, c in app.controls().items() if c["focused"]]
            order.append(focused[0] if focused else None)
        return order

    def test_the_window_at_96_dots_per_inch(self):
        with h.App().start() as app:
            app.point_at_main()
            self.check_places(app, 96)
            self.assertTrue(app.control(h.ID["IDC_TABSTRIP"])["focused"])
            names = ["IDC_OPEN_PICTURE", "IDC_REMOVE_WALLPAPER",  # Apply is disabled until a bitmap is open
                     "IDC_SWATCH_EXPLORER", "IDC_SWATCH_IEOE", "IDC_PREVIEW_LIST", "IDC_PREVIEW", "IDC_TABSTRIP"]
            self.assertEqual(self.focus_order(app, len(names)), [h.ID[n] for n in names])
            for tab, keys in ((0, "alt+c"), (1, "alt+g"), (2, "alt+a")):
                self.select(app, tab, keys)
                controls = app.controls()
                for other, name in TABS.items():
                    self.assertEqual(controls[h.ID[name]]["visible"], other == tab, (name, tab))
                # The first tab's preview comes with the start-up redraw, which may still be due.
                h.wait_for(lambda: self.like_reference(app, tab), what="tab %d to look as its reference" % tab)
                if tab == 1:
                    self.assertEqual(self.focus_order(app, 3),
                                     [h.ID[n] for n in ("IDC_OPEN_GIFJPEG", "IDC_SAVE_AS_BITMAP", "IDC_TABSTRIP")])
            controls = app.controls()
            self.assertIn("the OS && programs", controls[h.ID["IDC_CONVERT_INFO"]]["text"])  # one "&" shown
            self.assertEqual(controls[h.ID["IDC_ABOUT"]]["text"].count("\r\n"), 18)
            self.assertEqual(controls[h.ID["IDC_CONVERT_INSTRUCTIONS"]]["text"].count("\r\n"), 1)
            # A click on a tab header selects that tab.
            main, tabs = app.main(), controls[h.ID["IDC_TABSTRIP"]]
            app.click_at(main["cx"] + tabs["x"] + tabs["w"] // 6, main["cy"] + tabs["y"] + 12)
            h.wait_for(lambda: app.control(h.ID["IDC_OPEN_PICTURE"])["visible"], what="the first tab")

    def test_the_window_at_144_dots_per_inch(self):
        try:
            set_density(144)
            with h.App().start() as app:
                self.check_places(app, 144)
                app.screenshot("layout-144dpi-tab0")
        finally:
            set_density(96)


if __name__ == "__main__":
    unittest.main(verbosity=2)
