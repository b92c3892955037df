"""Starts the real program on a folder and reads its accessibility tree
over AT-SPI, as a screen reader would, at start, after Get Names and after
a build: every visible control is named and has its role, nothing hidden
is in the tree, the folder is read-only text, the progress display is one
progress bar with a value, the status is a status bar whose every change,
the end of a build included, is announced, the folder window is a
dialog, and the calculator link window, opened by --link, names its own. Run under a session bus (dbus-run-session); it starts its own X
server."""

import os
import subprocess
import sys
import tempfile
import time

import gi
gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

TIMEOUT_S = 20


def poll(what, find):
    """find() until it returns something, pumping the events that keep the
    tree current, for at most TIMEOUT_S."""
    deadline = time.monotonic() + TIMEOUT_S
    while time.monotonic() < deadline:
        while GLib.MainContext.default().iteration(False):
            pass
        found = find()
        if found:
            return found
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")


def nodes(root):
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        node.clearCache()
        yield node
        stack.extend(node[i] for i in range(node.childCount))


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def described(node):
    return (node.getRoleName(), node.name)


def window(app, role, name=None):
    for child in nodes(app):
        if child.getRoleName() == role and showing(child) and name in (None, child.name):
            return child
    return None


def check(window_node, expected, hidden=None):
    """Every control shown in the window has a name, and the expected
    (role, name) pairs are all among them; when hidden is given, it lists
    every (role, name) in the tree that is not shown."""
    everything = [n for n in nodes(window_node) if n is not window_node]
    unseen = [described(n) for n in everything if not showing(n)]
    assert hidden is None or unseen == hidden, f"in the tree but not shown: {unseen}"
    shown = [n for n in everything if showing(n)]
    controls = [n for n in shown if n.getRoleName() not in ("filler", "panel", "label", "list item",
                                                             "table cell", "tree item", "scroll bar")]
    seen = [described(n) for n in controls]
    unnamed = [role for role, name in seen if not name]
    missing = [pair for pair in expected if pair not in seen]
    assert not unnamed and not missing, f"unnamed: {unnamed}, missing: {missing}, shown: {seen}"
    return {name: n for n, (role, name) in zip(controls, seen)}


def press(node):
    node.queryAction().doAction(0)


def start_x_server():
    """Xvfb on a free display, which it names once it accepts clients."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp",
                               "-screen", "0", "1024x768x24"], pass_fds=[write_end])
    os.close(write_end)
    with os.fdopen(read_end) as display:
        number = display.readline().strip()
    if not number:
        server.kill()
        server.wait()
        raise AssertionError("Xvfb did not start")
    return server, ":" + number


def main():
    program = sys.argv[1]
    folder = tempfile.mkdtemp()
    with open(os.path.join(folder, "A.000"), "w") as file:
        file.write("HP39AscA 3 Ant\r\n")
    server, display = start_x_server()
    # Under the sanitizers, the X and D-Bus libraries' allocations at exit
    # are no concern of this test.
    env = dict(os.environ, DISPLAY=display, QUILLMERE_SERIAL_DEVICES=folder, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               ASAN_OPTIONS="detect_leaks=0")
    env.pop("WAYLAND_DISPLAY", None)
    process = subprocess.Popen([program, "--link", folder], env=env)
    try:
        app = poll("the program on the bus", lambda: next(
            (a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "Quillmere"), None))
        main_window = poll("the main window", lambda: window(app, "frame", "Quillmere"))
        link = poll("the calculator link window", lambda: window(app, "frame", "Calculator link"))
        check(link, [("list", "Serial device"), ("push button", "Refresh"), ("combo box", "Speed"),
                     ("text", "Folder"), ("check box", "Take files sent from the calculator"),
                     ("push button", "Start"), ("push button", "Stop"),
                     ("tree", "Transfers")])
        shown = [("text", "Folder"), ("push button", "Change folder"), ("push button", "Create directory"),
                 ("push button", "Exit"), ("push button", "Move up"), ("push button", "Move down"),
                 ("list", "Files in order of preference"), ("push button", "Get names"),
                 ("progress bar", "Progress"), ("status bar", "Ready")]
        controls = check(main_window, shown, [("list", "Titles in order of preference")])
        assert controls["Progress"].queryValue().currentValue == 0.0
        assert controls["Progress"].childCount == 0
        counted = ("label", "There are 1 files in this folder")
        assert counted in [described(n) for n in nodes(main_window)], "the count is blank at start"
        folder_state = controls["Folder"].getState()
        assert folder_state.contains(pyatspi.STATE_READ_ONLY) and not folder_state.contains(
            pyatspi.STATE_EDITABLE), "the folder is announced as editable"

        press(controls["Get names"])
        poll("the titles shown", lambda: any(
            described(n) == ("list item", "Ant") and showing(n) for n in nodes(main_window)))
        check(main_window, shown + [("list", "Titles in order of preference")], [])
        announced = []
        pyatspi.Registry.registerEventListener(
            lambda event: announced.append(described(event.source)),
            "object:property-change:accessible-name")
        press(controls["Create directory"])
        poll("the end of the build announced", lambda: ("status bar", "Ready") in announced)
        assert all(role in ("status bar", "progress bar") for role, _ in announced), announced
        controls = check(main_window, shown, [])
        assert controls["Progress"].queryValue().currentValue == 100.0

        press(controls["Change folder"])
        dialog = poll("the folder window", lambda: window(app, "dialog"))
        assert dialog.name == "Select Folder", dialog.name
        check(dialog, [("combo box", "Drive"), ("tree", "Folders"), ("text", "Folder path"),
                       ("push button", "OK"), ("push button", "Cancel")])
        poll("the status announced", lambda: any(
            described(n) == ("status bar", "Changing folder") for n in nodes(main_window)))

        press(controls["Exit"])
        assert process.wait(TIMEOUT_S) == 0
    finally:
        for child in (process, server):
            if child.poll() is None:
                child.kill()
                child.wait()
        for name in os.listdir(folder):
            os.remove(os.path.join(folder, name))
        os.rmdir(folder)
    print("the accessibility tree names every visible control")


if __name__ == "__main__":
    main()
