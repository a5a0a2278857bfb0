#!/usr/bin/env python3
"""Drives the Lustra gallery under Xvfb with xdotool: hover, click, press and slide off, expand,
tick in the open drop-down; checks the events it prints and the pixels of its grabbed window.
Then, on a private session bus, reads the controls as a screen reader does (AT-SPI, through
gdbus) and presses them by their actions."""
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from atspi_reader import Reader, bus_address, missing_reader_tools, start_bus_launcher  # noqa: E402

HOT_BACKGROUND = (240, 224, 208)
BAR_GREEN = (0, 168, 0)


def start_display():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as displays:
        number = displays.readline().strip()
    return server, ":" + number


class Gallery:
    def __init__(self, program, env):
        self.process = subprocess.Popen([program], env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True, encoding="utf-8")
        self.lines = queue.Queue()
        self.seen = []
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))

    def send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()

    def wait_for(self, wanted, timeout=10):
        """Lines up to and including the first that starts with wanted."""
        got = []
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.01, deadline - time.monotonic()))
            except queue.Empty:
                raise AssertionError("no line %r; got %r" % (wanted, got))
            got.append(line)
            self.seen.append(line)
            if line.startswith(wanted):
                return got

    def where(self):
        self.send("where")
        places = {}
        for line in self.wait_for("where done"):
            if line.startswith("at "):
                _, name, gx, gy, wx, wy = line.split()
                places[name] = (int(gx), int(gy), int(wx), int(wy))
        return places

    def settle(self):
        """Waits until the window has taken every event sent so far."""
        time.sleep(0.3)
        self.send("popup")
        return self.wait_for("popup")

    def grab(self, path):
        self.send("grab " + path)
        self.wait_for("grabbed")
        return read_ppm(path)


def read_ppm(path):
    with open(path, "rb") as picture:
        data = picture.read()
    fields = data.split(maxsplit=4)
    assert fields[0] == b"P6", fields[0]
    width, height = int(fields[1]), int(fields[2])
    pixels = fields[4]
    return lambda x, y: tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3])


def xdotool(display, *args):
    subprocess.run(["xdotool", *map(str, args)], env=dict(os.environ, DISPLAY=display), check=True)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def events(lines, prefix):
    return [line for line in lines if line.startswith(prefix)]


def run(program, display, folder):
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=folder,
               ASAN_OPTIONS="detect_leaks=0")
    gallery = Gallery(program, env)
    try:
        gallery.wait_for("ready")
        time.sleep(0.5)
        places = gallery.where()

        def move(name):
            xdotool(display, "mousemove", places[name][0], places[name][1])

        # hover: the first button turns hot and is painted in the hot colours
        move("free")
        gallery.settle()
        move("tool:1")
        lines = gallery.wait_for("hot 1")
        gallery.settle()
        pixel = gallery.grab(os.path.join(folder, "hot.ppm"))
        x, y = places["tool:1:corner"][2:]
        check(pixel(x, y) == HOT_BACKGROUND, "hot background at tool 1: %r" % (pixel(x, y),))
        x, y = places["tool:2:corner"][2:]
        check(pixel(x, y) == (255, 255, 255), "tool 2 is not hot: %r" % (pixel(x, y),))
        fx, fy = places["progress:filled"][2:]
        ex, ey = places["progress:empty"][2:]
        check(pixel(fx, fy) == BAR_GREEN, "progress bar at x=100: %r" % (pixel(fx, fy),))
        check(pixel(ex, ey) == (255, 255, 255), "progress beyond the bar: %r" % (pixel(ex, ey),))

        # a click reports the item
        xdotool(display, "click", 1)
        lines = gallery.wait_for("click 1")

        # press on one button, slide off onto another, release: no click
        xdotool(display, "mousedown", 1)
        move("tool:2")
        xdotool(display, "mouseup", 1)
        lines = gallery.settle()
        check(not events(lines, "click"), "a press slid off clicked: %r" % lines)
        # the locked item and the separator are never clicked
        for name in ("tool:3", "tool:separator"):
            move(name)
            xdotool(display, "click", 1)
            lines = gallery.settle()
            check(not events(lines, "click"), "%s clicked: %r" % (name, lines))
        # leaving the pane clears the hot item
        move("tool:2")
        gallery.wait_for("hot 2")
        move("free")
        gallery.wait_for("hot none")

        # expand the first tree row by its button
        move("tree:button:0")
        xdotool(display, "click", 1)
        lines = gallery.wait_for("list 1125 0")
        gallery.send("rows")
        rows = gallery.wait_for("rows")[-1]
        check(rows == "rows Root A A1 A2 Root B", "rows after expanding: %r" % rows)
        # tick a row's check box
        places = gallery.where()
        move("tree:check:1")
        xdotool(display, "click", 1)
        gallery.wait_for("list 1126 1")

        # open the drop-down, tick in it: it stays open and the face changes
        move("combo")
        xdotool(display, "click", 1)
        time.sleep(0.5)
        lines = gallery.settle()
        check(lines[-1] == "popup open", "the drop-down did not open: %r" % lines)
        places = gallery.where()
        move("popup:check:1")
        xdotool(display, "click", 1)
        lines = gallery.wait_for("combo-check")
        check(lines[-1] == "combo-check 乙;", "check text: %r" % lines[-1])
        lines = gallery.settle()
        check(lines[-1] == "popup open", "the tick closed the drop-down: %r" % lines)
        move("popup:check:2")
        xdotool(display, "click", 1)
        lines = gallery.wait_for("combo-check")
        check(lines[-1] == "combo-check 乙; 丙;", "check text: %r" % lines[-1])
        move("popup:text:0")
        xdotool(display, "click", 1)
        time.sleep(0.3)
        lines = gallery.settle()
        check(lines[-1] == "popup closed", "a click on a text keeps it open: %r" % lines)

        gallery.send("quit")
        code = gallery.process.wait(20)
        check(code == 0, "the gallery ended with %d" % code)
        return 0
    except AssertionError as fault:
        print("FAILED:", fault)
        print("lines seen:", gallery.seen)
        return 1
    finally:
        if gallery.process.poll() is None:
            gallery.process.kill()
            gallery.process.wait(10)


def read_aloud(program, display, folder):
    """Runs inside a private session bus: what a screen reader finds, and its presses."""
    launcher = start_bus_launcher()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=folder,
               ASAN_OPTIONS="detect_leaks=0", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    gallery = Gallery(program, env)
    try:
        gallery.wait_for("ready")
        reader = Reader(bus_address())
        time.sleep(0.5)
        places = gallery.where()
        named = {}
        for path, role, name in reader.nodes():
            named.setdefault(name, (path, role))  # the drop-down is named after its combo
        for name, role in (("保存", "push button"), ("Open", "push button"),
                           ("Locked", "push button"), ("Help", "push button"),
                           ("Root A", "tree item"), ("Root B", "tree item"),
                           ("check combo", "combo box"), ("progress", "progress bar")):
            check(named.get(name, (None, None))[1] == role, "%s as %s: %r" % (name, role, named))
        open_button = named["Open"][0]
        gx, gy = places["tool:2"][:2]
        cx, cy = reader.centre(open_button)
        check(abs(cx - gx) <= 1 and abs(cy - gy) <= 1, "Open at %r, drawn at %r" % (
            (cx, cy), (gx, gy)))
        reader.act(open_button, "Press")
        gallery.wait_for("click 2")
        reader.act(named["Locked"][0], "Press")
        lines = gallery.settle()
        check(not events(lines, "click"), "the locked item was pressed: %r" % lines)
        reader.act(named["Root A"][0], "expand")
        gallery.wait_for("list 1125 0")
        reader.act(named["Root B"][0], "Toggle")
        gallery.wait_for("list 1126 3")
        gallery.send("quit")
        check(gallery.process.wait(20) == 0, "the gallery did not end well")
        return 0
    except AssertionError as fault:
        print("FAILED (screen reader):", fault)
        print("lines seen:", gallery.seen)
        return 1
    finally:
        if gallery.process.poll() is None:
            gallery.process.kill()
            gallery.process.wait(10)
        launcher.terminate()
        launcher.wait(10)


def main(program):
    # A missing tool is a fault of the set-up, never a reason to pass without looking.
    missing = [name for name in ("Xvfb", "xdotool") if not shutil.which(name)]
    missing += missing_reader_tools()
    if missing:
        print("missing:", " ".join(missing))
        return 1
    server, display = start_display()
    try:
        with tempfile.TemporaryDirectory() as folder:
            code = run(program, display, folder)
            if code != 0:
                return code
            return subprocess.run(["dbus-run-session", "--", sys.executable, __file__,
                                   "--reader", program, display, folder]).returncode
    finally:
        server.terminate()
        server.wait(10)


if __name__ == "__main__":
    if sys.argv[1] == "--reader":
        sys.exit(read_aloud(*sys.argv[2:5]))
    sys.exit(main(sys.argv[1]))
