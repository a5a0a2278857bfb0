#!/usr/bin/env python3
"""Starts the real program under Xvfb in a fresh program directory and waits for its window."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

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


def main(program):
    if not shutil.which("Xvfb") or not shutil.which("xwininfo"):
        print("Xvfb or xwininfo is missing")
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
    finally:
        server.terminate()
        server.wait(10)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
