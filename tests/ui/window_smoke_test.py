#!/usr/bin/env python3
"""Starts the real program under Xvfb in a fresh program directory and waits for its window;
drives it with xdotool under a window manager and a tray, and through the accessibility bus as a
screen reader does."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import fcntl

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from atspi_reader import Reader, bus_address, missing_reader_tools, start_bus_launcher  # noqa: E402

TITLE = "Tarnel个人知识管理系统 2.1.0"
# The start page opens first and stays open: the caption names it whenever no other window is
# current.
START_CAPTION = "起始页 - " + TITLE
# The reading area's tool file that the install puts beside the program.
SHIPPED_TOOLBAR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources",
                               "toolbar.cfg")


def answers(display):
    return subprocess.run(["xwininfo", "-root"], env=dict(os.environ, DISPLAY=display),
                          capture_output=True).returncode == 0


def start_display(attempts=3):
    """An Xvfb on a free display that answers; another server started at the same moment may
    take the display it chose, so a server that does not answer is replaced."""
    for _ in range(attempts):
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten",
             "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as displays:
            display = ":" + displays.readline().strip()
        try:
            wait_for("the display " + display,
                     lambda: answers(display) or server.poll() is not None, 10)
        except AssertionError:
            pass
        if server.poll() is None and answers(display):
            return server, display
        server.kill()
        server.wait(10)
    raise AssertionError("no Xvfb display answered")


def window_titles(display):
    tree = subprocess.run(["xwininfo", "-root", "-tree"], env=dict(os.environ, DISPLAY=display),
                          capture_output=True, text=True, encoding="utf-8", errors="replace")
    return tree.stdout


def x(display, *command):
    return subprocess.run(list(command), env=dict(os.environ, DISPLAY=display),
                          capture_output=True, text=True, encoding="utf-8", errors="replace").stdout


def wait_for(what, condition, limit=15):
    """The condition's first true value."""
    deadline = time.monotonic() + limit
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)


def frame_id(display):
    found = x(display, "xdotool", "search", "--name", "^(起始页 - )?" + TITLE + "$").split()
    return found[0] if found else None


def hidden(display, window):
    return "_NET_WM_STATE_HIDDEN" in x(display, "xprop", "-id", window, "_NET_WM_STATE")


def mapped(display, window):
    return "Map State: IsViewable" in x(display, "xwininfo", "-id", window)


def caption(display, window):
    return x(display, "xdotool", "getwindowname", window).rstrip("\n")


def keep_trying(what, act, condition, attempts=3, limit=5):
    """Acts until the condition holds; for idempotent key sequences sent while the program may
    still be busy with the events before them."""
    for _ in range(attempts - 1):
        act()
        try:
            wait_for(what, condition, limit)
            return
        except AssertionError:
            pass
    act()
    wait_for(what, condition, limit)


def tray_icon(display, panel):
    for line in x(display, "xwininfo", "-tree", "-id", panel).splitlines():
        if '"Tarnel": ("Tarnel" "Tarnel")' in line:
            return line.split()[0]
    return None


def answer_message_box(display, key):
    box = lambda: x(display, "xdotool", "search", "--onlyvisible", "--name", "^Tarnel$").split()
    wait_for("the message box", box, 20)
    x(display, "xdotool", "windowactivate", "--sync", box()[0])
    x(display, "xdotool", "key", key)


def check_tree_keys(display, frame, data):
    """The tree has the focus at start: Enter opens a category's window, Del recycles it."""
    x(display, "xdotool", "windowactivate", "--sync", frame)
    keep_trying("the category window in the caption",
                lambda: x(display, "xdotool", "key", "--clearmodifiers", "Home", "Down", "Return"),
                lambda: caption(display, frame) == "读书笔记 - " + TITLE)
    x(display, "xdotool", "key", "--clearmodifiers", "Delete")
    answer_message_box(display, "Return")
    recycled = os.path.join(data, "Resource", "回收站", "1_读书笔记")
    wait_for("the category in the recycle folder", lambda: os.path.isdir(recycled))
    if os.path.exists(os.path.join(data, "Resource", "分类列表", "读书笔记")):
        raise AssertionError("the recycled category's folder is still in place")
    wait_for("the caption back on the start page",
             lambda: caption(display, frame) == START_CAPTION)


def check_point_editing(display, frame, cli, program_dir):
    """A point opened from its category's list is typed into and saved with Ctrl+S."""
    x(display, "xdotool", "windowactivate", "--sync", frame)
    keep_trying("the category window of the point",
                lambda: x(display, "xdotool", "key", "--clearmodifiers", "Home", "Down", "Return"),
                lambda: caption(display, frame) == "工作 - " + TITLE)
    point_caption = "笔记.rtf - " + TITLE
    # The list is some Tab presses away from the tree; Home and Return there open the first row.
    for _ in range(10):
        x(display, "xdotool", "key", "--clearmodifiers", "Tab", "Home", "Return")
        try:
            wait_for("the point's window", lambda: caption(display, frame) == point_caption, 2)
            break
        except AssertionError:
            pass
    wait_for("the point's window", lambda: caption(display, frame) == point_caption, 2)
    geometry = x(display, "xdotool", "getwindowgeometry", frame)
    width, height = (int(v) for v in geometry.split("Geometry: ")[1].split()[0].split("x"))
    x(display, "xdotool", "mousemove", "--window", frame, str(width * 2 // 3), str(height // 2),
      "click", "1")
    x(display, "xdotool", "key", "--clearmodifiers", "ctrl+End")
    x(display, "xdotool", "type", "--delay", "30", " typed")
    x(display, "xdotool", "key", "--clearmodifiers", "ctrl+s")
    content = os.path.join(program_dir, "Data", "Resource", "分类列表", "工作", "笔记.rtf")

    def saved_text():
        return subprocess.run([cli, "rtf-text", content], capture_output=True,
                              text=True).stdout.strip()

    try:
        wait_for("the typed text saved", lambda: saved_text() == "Hello typed", 10)
    except AssertionError:
        raise AssertionError("the saved point holds %r" % saved_text())


def check_tray(display, frame, panel):
    """The close button hides the frame to the tray; a double-click on the icon shows it."""
    x(display, "xdotool", "windowactivate", "--sync", frame)
    x(display, "xdotool", "key", "--clearmodifiers", "alt+F4")
    wait_for("the frame hidden", lambda: not mapped(display, frame))
    icon = tray_icon(display, panel)
    x(display, "xdotool", "mousemove", "--window", icon, "4", "4", "click", "--repeat", "2",
      "--delay", "80", "1")
    wait_for("the frame shown", lambda: mapped(display, frame))


def start_helper(command, env, what, ready):
    """Starts a desktop helper and waits until it is ready; one that ends first says why."""
    log = tempfile.TemporaryFile()
    helper = subprocess.Popen(command, env=env, stdout=log, stderr=log)
    try:
        wait_for(what, lambda: ready() or helper.poll() is not None, 30)
    finally:
        if helper.poll() is not None or not ready():
            log.seek(0)
            print(what, "ended with", helper.poll(), log.read().decode(errors="replace"))
    if helper.poll() is not None:
        raise AssertionError(what + " did not start")
    return helper


def check_desktop(program, display, env, program_dir):
    """Tray docking and the hand-over to a running instance, under a window manager and a tray."""
    helpers = [start_helper(["openbox"], env, "openbox",
                            lambda: "Openbox" in window_titles(display))]
    helpers.append(start_helper(["trayer", "--edge", "top", "--align", "right"], env, "trayer",
                                lambda: '"panel": ("panel" "trayer")' in window_titles(display)))
    cli = os.path.join(os.path.dirname(program), "..", "cli", "tarnel-kb")
    for command in (["add-category", "/", "读书笔记"], ["add-category", "/", "工作"],
                    ["add-point", "/工作", "笔记", "--text", "Hello"]):
        subprocess.run([cli, "--program-dir", program_dir, "--yes"] + command, env=env,
                       check=True, capture_output=True)
    with open(os.path.join(program_dir, "tarnel.ini"), "a", encoding="gb18030") as ini:
        ini.write("[STARTUP]\nCLOSE_TIP_SELECTION=1\n")
    tarnel = subprocess.Popen([program], cwd=program_dir, env=env)
    try:
        wait_for("the frame", lambda: frame_id(display), 30)
        # A search stops at a window that goes away meanwhile: it is tried until it finds the panel,
        # and the panel is the one that search found (a second search can meet the same gap).
        panel = wait_for("the panel",
                         lambda: x(display, "xdotool", "search", "--name", "^panel$").split())[0]
        wait_for("the tray icon docked", lambda: tray_icon(display, panel))
        # The caption names the start page once it has loaded.
        # A search stops at a caption that changes meanwhile: the first id found is kept.
        frame = wait_for("the start page loaded", lambda: frame_id(display), 30)
        check_tree_keys(display, frame, os.path.join(program_dir, "Data"))
        check_point_editing(display, frame, cli, program_dir)
        check_tray(display, frame, panel)
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
            answer_message_box(display, "Return")
            code = blocked.wait(10)
        finally:
            if blocked.poll() is None:
                blocked.kill()
    for helper in helpers:
        helper.terminate()
        helper.wait(10)
    if code != 1:
        raise AssertionError("start beside a lock holder ended with %d" % code)


# Run as the superuser, the program itself starts the browser engine without its sandbox.
def program_env(display, program_dir, **more):
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=program_dir,
               XDG_DATA_HOME=os.path.join(program_dir, "home"),
               ASAN_OPTIONS="detect_leaks=0:new_delete_type_mismatch=0", **more)
    if os.geteuid() == 0:
        env.pop("QTWEBENGINE_DISABLE_SANDBOX", None)
    else:
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
    return env


# The search pane's controls by their accessible names; the trees' rows are read inside the
# category tree only (the other lists and the web page are not walked).
SEARCH_TAB = "查    询"
QUERY_FIELD = "查询内容"
CATEGORY_TREE = "查询的知识分类"
SEARCH_BUTTON = "查询"
SKIPPED_ROLES = ("table", "tree table", "list", "tree", "menu bar", "menu", "tool bar",
                 "document web")


def find_nodes(reader, wanted, enter=(), limit=20):
    """The paths of the wanted nodes, each given as (roles, name), once all of them are there."""
    found = {}

    def look():
        found.clear()
        try:
            nodes = reader.nodes(max_depth=14, skip_roles=SKIPPED_ROLES, enter_names=enter)
        except subprocess.CalledProcessError:  # a node went while it was read
            return False
        for path, role, name in nodes:
            for roles, wanted_name in wanted:
                if role in roles and name == wanted_name:
                    found.setdefault(wanted_name, path)
        return len(found) == len(wanted)

    try:
        wait_for("the nodes %r on the accessibility bus" % (wanted,), look, limit)
    except AssertionError:
        raise AssertionError("found only %r of %r" % (sorted(found), wanted))
    return [found[name] for _, name in wanted]


def cell_texts(reader, table):
    try:
        return [name for _, _, name in reader.nodes(table, max_depth=1)]
    except subprocess.CalledProcessError:  # a row went while it was read
        return []


def check_search(program, display):
    """Runs inside a private session bus: a search typed into the pane through the accessibility
    bus (the text set through the field's editable text, the tick and the button pressed by their
    actions, never by synthesised keys) opens its result window with the hit."""
    launcher = start_bus_launcher()
    try:
        with tempfile.TemporaryDirectory() as program_dir:
            shutil.copy(SHIPPED_TOOLBAR, program_dir)
            env = program_env(display, program_dir, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
            cli = os.path.join(os.path.dirname(program), "..", "cli", "tarnel-kb")
            for command in (["add-category", "/", "工作"],
                            ["add-point", "/工作", "周报", "--text", "Hello"],
                            ["add-point", "/工作", "闲谈", "--text", "Hello"]):
                subprocess.run([cli, "--program-dir", program_dir, "--yes"] + command, env=env,
                               check=True, capture_output=True)
            tarnel = subprocess.Popen([program], cwd=program_dir, env=env)
            try:
                frame = wait_for("the frame", lambda: frame_id(display), 30)
                reader = Reader(bus_address(), limit=20)
                reader.act(find_nodes(reader, [(("page tab",), SEARCH_TAB)])[0], "Press")
                field, work, button = find_nodes(
                    reader, [(("text", "entry"), QUERY_FIELD), (("tree item",), "工作"),
                             (("push button",), SEARCH_BUTTON)], enter=(CATEGORY_TREE,))
                # The caption below names the query that reached the search.
                reader.set_text(field, "周报")
                reader.act(work, "Toggle")
                reader.act(button, "Press")
                title = "标题:'周报'的查询结果"
                wait_for("the result window in the caption",
                         lambda: caption(display, frame) == title + " - " + TITLE, 20)
                results = find_nodes(reader, [(("table",), title)])[0]
                wait_for("the hit in the result list",
                         lambda: "周报.rtf" in cell_texts(reader, results))
                if "闲谈.rtf" in cell_texts(reader, results):
                    raise AssertionError("a point that does not match is in the result list")
            finally:
                tarnel.terminate()
                tarnel.wait(10)
            if tarnel.returncode not in (0, -15):
                raise AssertionError("the program ended with %d" % tarnel.returncode)
    finally:
        launcher.terminate()
        launcher.wait(10)


def main(program):
    # A missing tool is a fault of the set-up, never a reason to pass without looking.
    missing = [tool for tool in ("Xvfb", "xwininfo", "xdotool", "xprop", "openbox", "trayer")
               if not shutil.which(tool)]
    missing += missing_reader_tools()
    if missing:
        print("missing:", " ".join(missing))
        return 1
    try:
        server, display = start_display()
    except AssertionError as failure:
        print(failure)
        return 1
    try:
        with tempfile.TemporaryDirectory() as program_dir:
            shutil.copy(SHIPPED_TOOLBAR, program_dir)
            env = program_env(display, program_dir)
            tarnel = subprocess.Popen([program], cwd=program_dir, env=env)
            try:
                wait_for("a window titled " + TITLE,
                         lambda: TITLE in window_titles(display) or tarnel.poll() is not None, 30)
                if tarnel.poll() is not None:
                    print("the program ended with", tarnel.poll(), "before its window showed")
                    return 1
                wait_for("the start page in the caption",
                         lambda: START_CAPTION in window_titles(display), 30)
                engine = subprocess.run(["pgrep", "-P", str(tarnel.pid)], capture_output=True,
                                        text=True).stdout.split()
                if not engine:
                    print("no engine process runs beside the program")
                    return 1
            finally:
                tarnel.terminate()
                tarnel.wait(10)
            wait_for("the engine processes gone",
                     lambda: not any(os.path.exists("/proc/" + pid) for pid in engine), 10)
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
            shutil.copy(SHIPPED_TOOLBAR, program_dir)
            env = program_env(display, program_dir)
            try:
                check_desktop(program, display, env, program_dir)
            except AssertionError as failure:
                print(failure)
                return 1
        searched = subprocess.run(["dbus-run-session", "--", sys.executable, __file__, "--search",
                                   program, display])
        if searched.returncode != 0:
            return 1
    finally:
        server.terminate()
        server.wait(10)
    return 0


def search_main(program, display):
    try:
        check_search(program, display)
    except AssertionError as failure:
        print("search through the accessibility bus:", failure)
        return 1
    return 0


if __name__ == "__main__":
    if sys.argv[1] == "--search":
        sys.exit(search_main(*sys.argv[2:4]))
    sys.exit(main(sys.argv[1]))
