#!/usr/bin/env python3
"""Stages a program directory with cmake --install, makes a newer one from it, publishes the
update between them with scripts/make-update-site and serves the site on 127.0.0.1. Under Xvfb
and a private session bus, with the old main program running, the installed Update is walked
through its wizard by mouse clicks on its buttons, found as a screen reader finds them (AT-SPI):
Next, Next, OK on the message that the main program is closed, Finish. Then the installed files,
their modes and the merged settings are checked, and the new main program, started by Finish,
answers on its socket. Screenshots of the wizard's pages go to the given folder.

A missing tool fails the test: it is no reason to skip."""
import fcntl
import functools
import http.server
import os
import pathlib
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading

HERE = pathlib.Path(__file__).resolve().parent
SOURCE = HERE.parent.parent
sys.path[:0] = [str(HERE.parent / "ui"), str(HERE.parent / "lustra"), str(HERE.parent / "support")]
import atspi_reader as reader  # noqa: E402
import skin_smoke_test as screen  # noqa: E402
import window_smoke_test as smoke  # noqa: E402

TOOLS = ("Xvfb", "xdotool", "xwininfo", "xprop", "xwd", "dbus-run-session", "gdbus",
         "at-spi-bus-launcher")
APPLICATION = "UpdateTarnel"
TITLE = "在线升级"
NEXT, FINISH = "下一步 >", "完成"
OK_NAMES = ("确定", "OK", "&OK")
RELEASE_NOTES_VERSION = "版本:2.1.1"
# The top of the wizard's picture, left of its pages.
PICTURE_TOP = (32, 84, 160)
NEW_HELP = "help/whats_new.txt"
NEW_HELP_BYTES = "Tarnel 2.1.1: 新功能\n".encode("utf-8")


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def missing_tools():
    path = os.environ["PATH"] + ":" + reader.LIBEXEC
    return [tool for tool in TOOLS if not shutil.which(tool, path=path)]


class Accessible(reader.Reader):
    """The AT-SPI tree of the update program, picked by its name among the applications."""

    def __init__(self, address, name):
        self.address = address

        def registered():
            for app in self._children("org.a11y.atspi.Registry",
                                      "/org/a11y/atspi/accessible/root"):
                self.app = app
                if self.name(app[1]) == name:
                    return True
            return False
        smoke.wait_for(name + " on the accessibility bus", registered, 20)

    def name(self, path):
        answer = self.call(path, "org.freedesktop.DBus.Properties.Get",
                           "org.a11y.atspi.Accessible", "Name")
        return re.search(r"<'(.*)'>", answer).group(1)

    def find(self, names, role):
        for path, found_role, found_name in self.nodes():
            if found_name in names and found_role == role:
                return path
        return None


def click(display, accessible, names, role="push button", what=None):
    """Waits for the control and clicks the middle of it with the mouse."""
    names = (names,) if isinstance(names, str) else names
    found = []
    smoke.wait_for(what or "the button " + names[0],
                   lambda: found.append(accessible.find(names, role)) or found[-1], 30)
    x, y = accessible.centre(found[-1])
    smoke.x(display, "xdotool", "mousemove", str(x), str(y), "click", "1")


def wait_for_name(accessible, name, role, what):
    smoke.wait_for(what, lambda: accessible.find((name,), role), 60)


def save_shot(display, window, path):
    """Saves the screen and checks that the wizard's picture is painted inside the window."""
    shot = screen.screenshot(display)
    shot.save_png(path)
    x, y, width, height = screen.geometry(display, window)
    picture = [(px, py) for py in range(y, y + height // 2) for px in range(x, x + width // 3)
               if shot.pixel(px, py) == PICTURE_TOP]
    check(picture, "%s: no picture in the window at %r" % (path, (x, y, width, height)))


def serve(folder):
    handler = functools.partial(QuietHandler, directory=str(folder))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def stage(cmake, build, folder):
    """The new program directory as installed, and an old one: the same but an older main
    program, no new help file and settings that point at the site."""
    new, old, site = folder / "new", folder / "old", folder / "site"
    installed = subprocess.run([cmake, "--install", build, "--prefix", str(new)],
                               capture_output=True, text=True)
    check(installed.returncode == 0, "cmake --install failed:\n" + installed.stdout +
          installed.stderr)
    for name in ("Tarnel", "Update", "libLustra.so", "tarnel.ini", "toolbar.cfg"):
        check((new / name).is_file(), "the staged program directory lacks " + name)
    shutil.copytree(new, old, symlinks=True)
    (new / NEW_HELP).parent.mkdir(exist_ok=True)
    (new / NEW_HELP).write_bytes(NEW_HELP_BYTES)
    with open(old / "Tarnel", "ab") as program:
        program.write(b"old build")
    return new, old, site


def publish(new, old, site, address):
    with open(old / "tarnel.ini", "a", encoding="gb18030") as settings:
        settings.write("[SOFT_INFORMATION]\nSOFT_VERSION=210\nUPDATE_SITE=%s\n" % address)
    notes = site.parent / "notes.txt"
    notes.write_text("Tarnel 2.1.1: a faster start. https://example.org/notes\n")
    made = subprocess.run([str(SOURCE / "scripts" / "make-update-site"), "--version", "211",
                           "--min-version", "210", "--notes", str(notes), str(old), str(new),
                           str(site)],
                          capture_output=True, text=True)
    check(made.returncode == 0, "make-update-site failed:\n" + made.stdout + made.stderr)


def ask(socket_path, line, timeout=5):
    """The answer line of a running main program; None when none listens."""
    try:
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as channel:
            channel.settimeout(timeout)
            channel.connect(socket_path)
            channel.sendall(line.encode() + b"\n")
            answer = b""
            while not answer.endswith(b"\n"):
                piece = channel.recv(64)
                if not piece:
                    break
                answer += piece
            return answer.decode().strip()
    except OSError:
        return None


def lock_free(lock_path):
    with open(lock_path, "a") as lock:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            return False
        fcntl.flock(lock, fcntl.LOCK_UN)
        return True


def check_installed(new, old, address):
    check((old / "Tarnel").read_bytes() == (new / "Tarnel").read_bytes(),
          "the main program was not replaced")
    check((old / NEW_HELP).read_bytes() == NEW_HELP_BYTES, "the new help file is not there")
    modes = {name: os.stat(old / name).st_mode & 0o777 for name in ("Tarnel", NEW_HELP,
                                                                     "tarnel.ini")}
    check(modes == {"Tarnel": 0o755, NEW_HELP: 0o644, "tarnel.ini": 0o600}, "modes %r" % modes)
    settings = (old / "tarnel.ini").read_text(encoding="gb18030")
    for line in ("SOFT_VERSION=211", "UPDATE_SITE=" + address, "Data_Path=%s/Data" % old):
        check(line in settings.splitlines(), "the merged settings lack %s:\n%s" % (line, settings))
    check(not (old / "UpdateWork").exists(), "the work folder is still there")


def walk(display, env, new, old, runtime, shots, address):
    socket_path = str(runtime / "Tarnel.socket")
    tarnel = subprocess.Popen([str(old / "Tarnel")], cwd=old, env=env)
    update = None
    try:
        smoke.wait_for("the old main program on its socket",
                       lambda: ask(socket_path, "show") == "shown" or tarnel.poll() is not None,
                       30)
        check(tarnel.poll() is None, "the old main program ended with %r" % tarnel.poll())
        update = subprocess.Popen([str(old / "Update")], cwd=old, env=env)
        found = []
        smoke.wait_for("the window " + TITLE, lambda: found.extend(smoke.x(
            display, "xdotool", "search", "--onlyvisible", "--name", "^" + TITLE + "$").split())
            or found or update.poll() is not None, 30)
        check(update.poll() is None, "Update ended with %r" % update.poll())
        window = found[0]
        icon = smoke.x(display, "xprop", "-id", window, "_NET_WM_ICON")
        check(icon.startswith("_NET_WM_ICON(CARDINAL) = "), "no window icon: %r" % icon[:80])
        accessible = Accessible(reader.bus_address(), APPLICATION)

        click(display, accessible, NEXT)
        wait_for_name(accessible, RELEASE_NOTES_VERSION, "label", "the release notes page")
        save_shot(display, window, str(shots / "release_notes_page.png"))
        click(display, accessible, NEXT)
        click(display, accessible, OK_NAMES, what="the message that the main program is closed")
        check(tarnel.wait(30) == 0, "the old main program ended with %r" % tarnel.poll())
        wait_for_name(accessible, FINISH, "push button", "the end page")
        save_shot(display, window, str(shots / "end_page.png"))
        check_installed(new, old, address)

        click(display, accessible, FINISH)
        check(update.wait(30) == 0, "Update ended with %r" % update.poll())
        smoke.wait_for("the new main program on its socket",
                       lambda: ask(socket_path, "show") == "shown", 30)
    finally:
        for process in (update, tarnel):
            if process and process.poll() is None:
                process.kill()
                process.wait(10)
        # The new main program was started by Update, not by this test: it is asked to end.
        if ask(socket_path, "exit-for-update") is not None:
            smoke.wait_for("the new main program ended",
                           lambda: lock_free(str(runtime / "Tarnel")), 15)


def run(cmake, build, shots):
    """Runs inside the private session bus."""
    shots = pathlib.Path(shots)
    shots.mkdir(parents=True, exist_ok=True)
    server, display = smoke.start_display()
    launcher = subprocess.Popen([shutil.which("at-spi-bus-launcher", path=reader.LIBEXEC),
                                 "--launch-immediately"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    try:
        with tempfile.TemporaryDirectory() as work:
            folder = pathlib.Path(work)
            runtime = folder / "runtime"
            runtime.mkdir(mode=0o700)
            new, old, site = stage(cmake, build, folder)
            site_server = serve(site)
            try:
                address = "http://127.0.0.1:%d" % site_server.server_address[1]
                publish(new, old, site, address)
                env = {name: value for name, value in os.environ.items()
                       if not name.lower().endswith("_proxy")}
                # The old Tarnel shows its start page in the browser engine, whose sandbox does
                # not run as root, and whose own libraries trip the sanitizer's type check.
                env.update(DISPLAY=display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=str(runtime),
                           XDG_DATA_HOME=str(runtime / "home"),
                           ASAN_OPTIONS="detect_leaks=0:new_delete_type_mismatch=0",
                           QTWEBENGINE_DISABLE_SANDBOX="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
                walk(display, env, new, old, runtime, shots, address)
            finally:
                site_server.shutdown()
    except AssertionError as failure:
        print("FAILED:", failure)
        return 1
    finally:
        launcher.terminate()
        launcher.wait(10)
        server.terminate()
        server.wait(10)
    return 0


def main(cmake, build, shots):
    missing = missing_tools()
    if missing:
        print("missing: " + ", ".join(missing) + " (see scripts/packages.txt)")
        return 1
    return subprocess.run(["dbus-run-session", "--", sys.executable, __file__, "--bus", cmake,
                           build, shots]).returncode


if __name__ == "__main__":
    if sys.argv[1] == "--bus":
        sys.exit(run(*sys.argv[2:5]))
    sys.exit(main(*sys.argv[1:4]))
