"""Drives the real velmora.exe in the test run's Wine prefix: real input on
the X display (xdotool), the window read back through velmora-inspect, the
registry through Wine's reg tool, and screenshots of the display."""
import json
import os
import struct
import subprocess
import tempfile
import time

STATE = os.environ["VELMORA_WINE_STATE"]
BUILD = os.environ["VELMORA_BUILD_DIR"]
SOURCE = os.environ["VELMORA_SOURCE_DIR"]
EXE = os.path.join(BUILD, "velmora.exe")
INSPECT = os.path.join(BUILD, "tools", "velmora-inspect.exe")
TOOLBAR = r"HKCU\Software\Microsoft\Internet Explorer\Toolbar"
SHOTS = os.path.join(BUILD, "screenshots")

# The test prefix's environment, from the one script that sets it.
ENV = dict(v.split("=", 1) for v in subprocess.run(
    ["bash", "-c", '. "$0" "$1" && env -0', os.path.join(SOURCE, "tools", "wine-env.sh"), STATE],
    check=True, capture_output=True, text=True).stdout.split("\0") if v)


def run(*args, check=True, timeout=60):
    """Output comes back through files, not pipes: a Wine call that starts
    Wine's desktop process hands it our pipe, and a pipe read would then
    wait for that process to end."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(list(args), env=ENV, timeout=timeout, stdin=subprocess.DEVNULL,
                              stdout=out, stderr=err)
        out.seek(0)
        err.seek(0)
        result = subprocess.CompletedProcess(done.args, done.returncode,
                                             out.read().decode("utf-8", "replace"),
                                             err.read().decode("utf-8", "replace"))
    if check:
        result.check_returncode()
    return result


def wine(*args, **kw):
    return run("wine", *args, **kw)


def unix_to_windows(path):
    """Z: is the whole Unix file system in a Wine prefix."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# The registry of the test prefix.

def reg_set(name, data, kind="REG_SZ"):
    wine("reg", "add", TOOLBAR, "/v", name, "/t", kind, "/d", data, "/f")


def reg_query(name):
    """The value's text, "" for an empty value, None when it is missing."""
    out = wine("reg", "query", TOOLBAR, "/v", name, check=False).stdout
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if parts and parts[0].lower() == name.lower():
            return parts[2] if len(parts) > 2 else ""
    return None


def reset_toolbar_key():
    wine("reg", "delete", TOOLBAR, "/f", check=False)
    wine("reg", "add", TOOLBAR, "/f")


# Pictures the tests make themselves.

def write_bmp(path, width, height, pixel):
    """A 24-bit bitmap; pixel(x, y) gives (r, g, b)."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)
    return path


def workdir():
    return tempfile.mkdtemp(prefix="velmora-e2e-", dir=BUILD)


# The running program.

def inspect(*args):
    done = wine(INSPECT, *args, check=False)
    # A listing of every window always succeeds; a failed one would read as
    # "nothing open" and let a check for what must not be open pass.
    if args[0] == "windows" and done.returncode != 0:
        raise AssertionError("velmora-inspect could not list the windows: " + done.stderr)
    return [json.loads(line) for line in done.stdout.splitlines() if line.startswith("{")]


def top_windows():
    return inspect("windows")


def message_boxes():
    return [w for w in top_windows() if w["class"] == "#32770"]


def box_text(box):
    """The prompt of a message box: its longest static text."""
    texts = [c["text"] for c in inspect("controls", "#%d" % box["hwnd"]) if c["class"] == "Static"]
    return max(texts, key=len) if texts else ""


def wait_for(predicate, timeout=15, what="condition"):
    end = time.time() + timeout
    while time.time() < end:
        result = predicate()
        if result:
            return result
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def stays_absent(present, seconds, what, why):
    """The one fixed wait, for what must not happen; why says why the time is enough."""
    end = time.time() + seconds
    while not present():
        if time.time() >= end:
            return
        time.sleep(0.1)
    raise AssertionError("%s appeared within %g s (%s)" % (what, seconds, why))


class App:
    def __init__(self):
        self.proc = None
        self.pids = set()  # Windows process ids of what this App started

    def start(self, expect_main=True, args=()):
        before = {w["pid"] for w in top_windows()}
        self.log = tempfile.TemporaryFile()  # what Wine says of the program, shown if its window goes
        self.proc = subprocess.Popen(["wine", EXE, *args], env=ENV, stdout=subprocess.DEVNULL,
                                     stderr=self.log, cwd=BUILD)
        # The launcher may hand the program over to another Unix process, so
        # remember the program by its own process id, read from its first window.
        # On a busy 2-core machine with two Wine prefixes up, a start was seen
        # to take over 15 s; the wait ends as soon as the window is there.
        first = wait_for(lambda: [w for w in top_windows()
                                  if w["pid"] not in before and w["class"] in ("VelmoraMain", "#32770")],
                         timeout=60, what="a window of the program")
        self.pids = {w["pid"] for w in first}
        if expect_main:
            wait_for(lambda: any(w["class"] == "VelmoraMain" and w["pid"] in self.pids for w in top_windows()),
                     what="the main window")
        return self

    def main(self):
        for w in top_windows():
            if w["class"] == "VelmoraMain" and (not self.pids or w["pid"] in self.pids):
                return w
        self.log.seek(0)
        raise AssertionError("no main window; Wine said: " + self.log.read().decode("utf-8", "replace")[-2000:])

    def controls(self):
        return {c["id"]: c for c in inspect("controls", "#%d" % self.main()["hwnd"])[1:]}

    def control(self, cid):
        return self.controls()[cid]

    def click(self, cid, button=1):
        main, c = self.main(), self.control(cid)
        self.click_at(main["cx"] + c["x"] + c["w"] // 2, main["cy"] + c["y"] + c["h"] // 2, button)

    def click_at(self, x, y, button=1):
        run("xdotool", "mousemove", str(x), str(y), "click", str(button))

    def point_at(self, window):
        """With no window manager the keyboard focus follows the pointer."""
        run("xdotool", "mousemove", str(window["x"] + window["w"] // 2), str(window["y"] + window["h"] // 2))

    def point_at_main(self):
        main = self.main()
        run("xdotool", "mousemove", str(main["cx"] + 5), str(main["cy"] + 5))

    def keys(self, *keys):
        run("xdotool", "key", "--delay", "80", *keys)

    def type(self, text):
        run("xdotool", "type", "--delay", "20", text)

    def answer_box(self, key="Return"):
        """Closes the first message box with a key, pointer over it; returns its text."""
        box = wait_for(lambda: (message_boxes() or [None])[0], what="a message box")
        text = box_text(box)
        self.point_at(box)
        self.keys(key)
        wait_for(lambda: all(b["hwnd"] != box["hwnd"] for b in message_boxes()), what="the box to close")
        return box["text"], text

    def window(self, predicate, what):
        """Waits for a top-level window; the pointer goes over it, as a user's would."""
        window = wait_for(lambda: next((w for w in top_windows() if predicate(w)), None), what=what)
        self.point_at(window)
        return window

    def dialog(self, button, title):
        """Clicks a button and waits for the dialog it opens."""
        self.click(ID[button])
        return self.window(lambda w: w["text"] == title, "the %s dialog" % title)

    def close(self, window, *keys):
        if keys:
            self.keys(*keys)
        wait_for(lambda: all(w["hwnd"] != window["hwnd"] for w in top_windows()), what="a window to close")

    def choose(self, button, title, path):
        """Types a full path into the dialog a button opens, and presses Return."""
        dialog = self.dialog(button, title)
        self.keys("ctrl+a")
        self.type(path)
        self.close(dialog, "Return")

    def screenshot(self, name, client=False):
        """The window with a margin, or its client area alone: what the program draws."""
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, name + ".png")
        main = self.main()
        border = main["cx"] - main["x"]
        crop = ((main["w"] - 2 * border, main["h"] - (main["cy"] - main["y"]) - border, main["cx"], main["cy"])
                if client else (main["w"] + 8, main["h"] + 8, max(main["x"] - 4, 0), max(main["y"] - 4, 0)))
        run("import", "-window", "root", "-crop", "%dx%d+%d+%d" % crop, path)
        return path

    def pixel(self, x, y):
        """The colour on screen at a point of the main window's client area."""
        main = self.main()
        out = run("import", "-window", "root", "-crop", "1x1+%d+%d" % (main["cx"] + x, main["cy"] + y),
                  "-depth", "8", "txt:-").stdout
        for line in out.splitlines():
            if line.startswith("0,0:"):
                rgb = line.split("(")[1].split(")")[0].split(",")
                return tuple(int(float(v)) for v in rgb[:3])
        raise AssertionError("no pixel read")

    def stop(self):
        for pid in self.pids:
            wine("taskkill", "/F", "/PID", str(pid), check=False)
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
        if self.proc:
            self.proc.wait(timeout=10)
        # A process killed under Wine may leave its windows behind for a moment.
        wait_for(lambda: not any(w["pid"] in self.pids for w in top_windows()), what="the program to end")
        self.proc = None

    def __enter__(self):
        return self

    def __exit__(self, kind, value, trace):
        try:
            self.stop()
        except AssertionError:
            if kind is None:
                raise  # otherwise the test's own failure is the one worth seeing


def _control_ids():
    """The control identifiers, read from the window's design so they never drift."""
    import re
    text = open(os.path.join(SOURCE, "app", "design.h")).read()
    body = re.sub(r"//[^\n]*", "", re.search(r"enum Id : int \{(.*?)\};", text, re.S).group(1))
    ids, value = {}, 0
    for token in filter(None, (t.strip() for t in body.split(","))):
        name, _, number = (p.strip() for p in token.partition("="))
        value = int(number) if number else value
        ids[name] = value
        value += 1
    return ids


ID = _control_ids()
