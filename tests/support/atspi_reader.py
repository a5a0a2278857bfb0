"""Reads an application as a screen reader does: the AT-SPI tree on the accessibility bus of a
private session bus, through gdbus, and presses, ticks and types by the accessible interfaces."""
import os
import re
import shutil
import subprocess
import time

LIBEXEC = "/usr/libexec:/usr/lib/at-spi2-core"
# What a test needs to run a reader: the session bus, the accessibility bus and the D-Bus client.
READER_TOOLS = ("dbus-run-session", "gdbus", "at-spi-bus-launcher")


def missing_reader_tools():
    path = os.environ["PATH"] + ":" + LIBEXEC
    return [name for name in READER_TOOLS if not shutil.which(name, path=path)]


def start_bus_launcher():
    """The accessibility bus of the session; the caller ends it."""
    return subprocess.Popen([shutil.which("at-spi-bus-launcher", path=LIBEXEC),
                             "--launch-immediately"], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def bus_address(limit=10):
    deadline = time.monotonic() + limit
    while True:
        answer = subprocess.run(["gdbus", "call", "--session", "--dest", "org.a11y.Bus",
                                 "--object-path", "/org/a11y/bus", "--method",
                                 "org.a11y.Bus.GetAddress"], capture_output=True, text=True)
        if answer.returncode == 0:
            return re.search(r"'(.*)'", answer.stdout).group(1)
        if time.monotonic() > deadline:
            raise AssertionError("no accessibility bus: %s" % answer.stderr)
        time.sleep(0.2)


def quoted(text):
    """A GVariant string literal for gdbus."""
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'") + "'"


class Reader:
    """The AT-SPI tree of one application on the accessibility bus: the first to register, or the
    one of that name."""

    def __init__(self, address, name=None, limit=10):
        self.address = address
        deadline = time.monotonic() + limit
        while True:  # an application registers itself a moment after its window shows
            apps = self._children("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
            chosen = [app for app in apps if name is None or self._name(*app) == name]
            if chosen:
                self.app = chosen[0]
                break
            if time.monotonic() > deadline:
                raise AssertionError("%s is not on the accessibility bus" % (name or "no one"))
            time.sleep(0.2)

    def _call(self, dest, path, method, *args):
        command = ["gdbus", "call", "--address", self.address, "--dest", dest, "--object-path",
                   path, "--method", method, *args]
        return subprocess.run(command, capture_output=True, text=True, timeout=10,
                              check=True).stdout.strip()

    def _children(self, dest, path):
        found = self._call(dest, path, "org.a11y.atspi.Accessible.GetChildren")
        return re.findall(r"\('([^']*)', (?:objectpath )?'([^']*)'\)", found)

    def _name(self, dest, path):
        name = self._call(dest, path, "org.freedesktop.DBus.Properties.Get",
                          "org.a11y.atspi.Accessible", "Name")
        # gdbus quotes a string that holds an apostrophe with double quotes.
        return re.search(r"<(['\"])(.*)\1>", name, re.DOTALL).group(2)

    def call(self, path, method, *args):
        return self._call(self.app[0], path, method, *args)

    def role(self, path):
        return re.search(r"'([^']*)'", self.call(path, "org.a11y.atspi.Accessible.GetRoleName")
                         ).group(1)

    def children(self, path):
        return [child for _, child in self._children(self.app[0], path)]

    def nodes(self, path=None, depth=0, max_depth=6, skip_roles=(), enter_names=()):
        """(path, role, name) of every node under the application, depth first. Nodes of a role
        in skip_roles are listed without their children unless their name is in enter_names."""
        path = path or self.app[1]
        role = self.role(path)
        name = self._name(self.app[0], path)
        found = [(path, role, name)]
        if depth >= max_depth or (role in skip_roles and name not in enter_names):
            return found
        for child in self.children(path):
            found += self.nodes(child, depth + 1, max_depth, skip_roles, enter_names)
        return found

    def actions(self, path):
        return re.findall(r"\('([^']*)', '[^']*', '[^']*'\)",
                          self.call(path, "org.a11y.atspi.Action.GetActions"))

    def act(self, path, action):
        self.call(path, "org.a11y.atspi.Action.DoAction", str(self.actions(path).index(action)))

    def set_text(self, path, text):
        self.call(path, "org.a11y.atspi.EditableText.SetTextContents", quoted(text))

    def centre(self, path):
        x, y, width, height = map(int, re.findall(
            r"-?\d+", self.call(path, "org.a11y.atspi.Component.GetExtents", "0")))
        return x + width // 2, y + height // 2
