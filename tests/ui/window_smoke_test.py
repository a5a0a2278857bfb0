#!/usr/bin/env python3
"""Starts the real program under Xvfb in a fresh program directory and waits for its window."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import fcntl

SKIP = 77
TITLE = "Tarnel个人知识管理系统 2.1.0"


def start_display():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as displays:
        number = displays.readline().strip()
    return server, ":" + number


def window_titles(display):
    tree = subprocess.run(["xwininfo", "-root", "-tree"], env=dict(os.environ, DISPLAY=display),
                          capture_output=True, text=True, encoding="utf-8", errors="replace")
    return tree.stdout


def x(display, *command):
    return subprocess.run(list(command), env=dict(os.environ, DISPLAY=display),
                          capture_output=True, text=True, encoding="utf-8", errors="replace").stdout


def wait_for(what, condition, limit=15):
    deadline = time.monotonic() + limit
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)


def frame_id(display):
    found = x(display, "xdotool", "search", "--name", "^" + TITLE + "$").split()
    return found[0] if found else None


def hidden(display, window):
    return "_NET_WM_STATE_HIDDEN" in x(display, "xprop", "-id", window, "_NET_WM_STATE")


def check_desktop(program, display, env, program_dir):
    """Tray docking and the hand-over to a running instance, under a window manager and a tray."""
    helpers = [subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)]
    wait_for("openbox", lambda: "Openbox" in window_titles(display))
    helpers.append(subprocess.Popen(["trayer", "--edge", "top", "--align", "right"], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    wait_for("trayer", lambda: '"panel": ("panel" "trayer")' in window_titles(display))
    subprocess.run([os.path.join(os.path.dirname(program), "..", "cli", "tarnel-kb"),
                    "--program-dir", program_dir, "--yes", "add-category", "/", "读书笔记"],
                   env=env, check=True, capture_output=True)
    tarnel = subprocess.Popen([program], cwd=program_dir, env=env)
    try:
        wait_for("the frame", lambda: frame_id(display), 30)
        panel = x(display, "xdotool", "search", "--name", "^panel$").split()[0]
        wait_for("the tray icon docked",
                 lambda: '"Tarnel": ("Tarnel" "Tarnel")' in x(display, "xwininfo", "-tree",
                                                              "-id", panel))
        frame = frame_id(display)
        x(display, "xdotool", "windowminimize", frame)
        wait_for("the frame minimised", lambda: hidden(display, frame))
        second = subprocess.run([program], cwd=program_dir, env=env, timeout=20)
        if second.returncode != 0:
            raise AssertionError("second start ended with %d" % second.returncode)
        wait_for("the frame restored", lambda: not hidden(display, frame))
    finally:
        tarnel.terminate()
        tarnel.wait(10)
    runtime = env["XDG_RUNTIME_DIR"]
    with open(os.path.join(runtime, "Tarnel"), "a") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        blocked = subprocess.Popen([program], cwd=program_dir, env=env)
        try:
            box = lambda: x(display, "xdotool", "search", "--onlyvisible", "--name",
                            "^Tarnel$").split()
            wait_for("the message box", box, 20)
            x(display, "xdotool", "windowactivate", "--sync", box()[0])
            x(display, "xdotool", "key", "Return")
            code = blocked.wait(10)
        finally:
            if blocked.poll() is None:
                blocked.kill()
    for helper in helpers:
        helper.terminate()
        helper.wait(10)
    if code != 1:
        raise AssertionError("start beside a lock holder ended with %d" % code)


def main(program):
    if not all(shutil.which(tool) for tool in ("Xvfb", "xwininfo", "xdotool", "xprop", "openbox",
                                               "trayer")):
        print("Xvfb, openbox, trayer, xdotool or x11-utils is missing")
        # Under CI a missing display server is a fault of the set-up, not a reason to skip.
        return 1 if os.environ.get("CI") == "true" else SKIP
    server, display = start_display()
    try:
        with tempfile.TemporaryDirectory() as program_dir:
            env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                       XDG_RUNTIME_DIR=program_dir, ASAN_OPTIONS="detect_leaks=0")
            tarnel = subprocess.Popen([program], cwd=program_dir, env=env)
            try:
                deadline = time.monotonic() + 30
                while TITLE not in window_titles(display):
                    if tarnel.poll() is not None or time.monotonic() > deadline:
                        print("no window titled", TITLE, "; program ended:", tarnel.poll())
                        return 1
                    time.sleep(0.2)
            finally:
                tarnel.terminate()
                tarnel.wait(10)
            with open(os.path.join(program_dir, "tarnel.ini"), encoding="gb18030") as ini:
                settings = ini.read()
            expected = ("[DATA]\nData_Path=%s/Data\n[WORKSPACE]\nTAB_ALIGN=2\n"
                        "[SOFT_INFORMATION]\nSOFT_VERSION=210\n" % program_dir)
            if settings != expected:
                print("settings file:", repr(settings), "expected:", repr(expected))
                return 1
            mode = os.stat(os.path.join(program_dir, "tarnel.ini")).st_mode & 0o777
            if mode != 0o600:
                print("settings file mode %o" % mode)
                return 1
        with tempfile.TemporaryDirectory() as program_dir:
            env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                       XDG_RUNTIME_DIR=program_dir, ASAN_OPTIONS="detect_leaks=0")
            try:
                check_desktop(program, display, env, program_dir)
            except AssertionError as failure:
                print(failure)
                return 1
    finally:
        server.terminate()
        server.wait(10)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
