#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the real program the way a screen reader (Orca) meets it: over the desktop's
accessibility bus (AT-SPI), not through Qt inside the process.

    atspi_check.py PROGRAM [--screenshot FILE.png]

Run it inside a D-Bus session on an X display, e.g.
    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- atspi_check.py build/app/huffman-lab

It starts PROGRAM with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 and checks that
  - the lever switch is a check box named after the skip action, checked only after a toggle,
    with a state-change event when the screen reader's own toggle action flips it;
  - the verdict label offers its text as its name, and every press of the homework button sends
    a name-change event, also when the verdict is the same as before;
  - the file dialog behind "Обзор" speaks Russian ("Открыть", "Отмена", "Перейти к:").
With --screenshot it also writes the open file dialog as a PNG (through libX11, no other tool).
Prints what the bus showed; exits non-zero on the first check that fails.
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from xscreen import ScreenDepthError, save_screen  # noqa: E402  (tests/xscreen.py)

program = sys.argv[1]
screenshot = sys.argv[sys.argv.index("--screenshot") + 1] if "--screenshot" in sys.argv else None

events = []


def on_event(event):
    events.append((event.type, event.source_name, str(event.detail1)))


def pump(seconds):
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def wait_for(what, test, seconds=15.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        pump(0.1)
        try:
            result = test()
        except Exception:  # the tree changes under us while the program works
            result = None
        if result:
            return result
    fail("timed out waiting for " + what)


def fail(message):
    print("atspi_check: FAILED: " + message, flush=True)
    child.kill()
    sys.exit(1)


def show(label, value):
    print("  %-34s %s" % (label, value), flush=True)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "huffman-lab":
            return app
    return None


def find(root, role, name=None, prefix=None):
    def matches(node):
        if node is None or node.getRole() != role:
            return False
        if name is not None:
            return node.name == name
        return prefix is None or node.name.startswith(prefix)
    return pyatspi.findDescendant(root, matches, True)


def descendants(root, predicate):
    # pyatspi's own walk stops at a child a list view reports but cannot give (a file view's
    # empty cell): skip those.
    found = []
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        try:
            if node is not root and predicate(node):
                found.append(node)
            stack.extend(node[i] for i in range(node.childCount))
        except Exception:
            continue
    return found


def act(node, *wanted):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for i, name in enumerate(names):
        if name.lower() in wanted:
            action.doAction(i)
            return name
    fail("%s has no action %s, only %s" % (node.name, wanted, names))


def states(node):
    state = node.getState()
    return {pyatspi.stateToString(s) for s in state.getStates()}


def count(kind, source):
    return sum(1 for e in events if e[0] == kind and e[1] == source)


# The bus and its registry first, so that the program finds them when it starts.
pyatspi.Registry.registerEventListener(on_event, "object:property-change:accessible-name",
                                       "object:state-changed:checked")
environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
child = subprocess.Popen([program], env=environment)

app = wait_for("the program on the accessibility bus", application, 30)
print("atspi_check: %s on the bus, toolkit %s" % (app.name, app.toolkitName), flush=True)

# The lever switch.
lever = wait_for("the switch", lambda: find(app, pyatspi.ROLE_CHECK_BOX,
                                            name="Пропустить домашнее задание"))
show("switch:", "%s '%s', %s" % (lever.getRoleName(), lever.name, lever.description))
if "checked" in states(lever):
    fail("the switch starts checked")
show("switch action:", act(lever, "toggle"))
wait_for("the switch checked", lambda: "checked" in states(lever))
wait_for("a checked-state event", lambda: count("object:state-changed:checked", lever.name) >= 1)
show("switch after toggle:", "checked, %d state-change event(s)" %
     count("object:state-changed:checked", lever.name))

# The verdict, read and announced at each press.
verdict = find(app, pyatspi.ROLE_LABEL, prefix="Необходимо выполнить")
if verdict is None:
    fail("no label with the homework notice as its name")
show("verdict before:", "'%s'" % verdict.name)
button = find(app, pyatspi.ROLE_PUSH_BUTTON, name="Выполнить выбранное действие")
for press in (1, 2):
    act(button, "press")
    wait_for("name-change event %d" % press,
             lambda: count("object:property-change:accessible-name",
                           "Домашнее задание не выполнено!") >= press)
    pump(0.3)
    if count("object:property-change:accessible-name", "Домашнее задание не выполнено!") != press:
        fail("%d name-change events after %d presses" % (
            count("object:property-change:accessible-name", "Домашнее задание не выполнено!"),
            press))
if verdict.name != "Домашнее задание не выполнено!":
    fail("the verdict label is named '%s'" % verdict.name)
show("verdict after two presses:", "'%s', %d name-change event(s)" % (
    verdict.name, count("object:property-change:accessible-name", verdict.name)))

# The file dialog, in Russian.
tab = find(app, pyatspi.ROLE_PAGE_TAB, name="Лабораторное задание")
act(tab, "press", "switch")
browse = wait_for("the browse button",
                  lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, name="Обзор"))
act(browse, "press")
dialog = wait_for("the file dialog", lambda: find(app, pyatspi.ROLE_DIALOG,
                                                  name="Выбери файл для открытия"))
texts = set()
for role in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_LABEL):
    for node in descendants(dialog, lambda n, r=role: n.getRole() == r):
        texts.add(node.name)
show("file dialog:", "'%s': %s" % (dialog.name, ", ".join(sorted(t for t in texts if t))))
for wanted in ("Открыть", "Отмена", "Перейти к:"):
    if wanted not in texts:
        fail("the file dialog has no '%s'" % wanted)
if screenshot:
    pump(1.0)  # let it paint
    extents = dialog.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    try:
        save_screen(screenshot, (extents.x, extents.y, extents.width, extents.height))
    except ScreenDepthError:
        fail("screenshot needs a 24-bit screen (xvfb-run -s '-screen 0 1280x1024x24')")
    show("screenshot:", screenshot)
act(find(dialog, pyatspi.ROLE_PUSH_BUTTON, name="Отмена"), "press")
wait_for("the dialog to close",
         lambda: find(app, pyatspi.ROLE_DIALOG, name="Выбери файл для открытия") is None)

child.terminate()
child.wait(10)
print("atspi_check: passed", flush=True)
