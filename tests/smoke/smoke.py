#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Starts the real program on an X display, waits for its window by title, closes it the way a
window manager does (WM_DELETE_WINDOW) and checks that the program exits with code 0.

    smoke.py PROGRAM "WINDOW TITLE" [SECONDS [ARGUMENT...]]

The ARGUMENTs go to PROGRAM (wine, say, and the Windows program it runs).

Needs a display (run it under xvfb-run); talks to the X server through libX11 with ctypes, so it
needs no tool beyond Xvfb itself. It prints the window's size and place on the screen; with
SMOKE_SCREENSHOT=FILE.png in the environment it also saves the window as it is shown after
SMOKE_SETTLE seconds (default 2), which needs a 24-bit screen (-screen 0 1280x1024x24).
"""
import os
import ctypes
import ctypes.util
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from xscreen import ScreenDepthError, save_screen  # noqa: E402  (tests/xscreen.py)

program, title = sys.argv[1], sys.argv[2]
patience = float(sys.argv[3]) if len(sys.argv) > 3 else 10.0

x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
Window = Atom = ctypes.c_ulong
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = Window
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XInternAtom.restype = Atom
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window),
                         ctypes.POINTER(ctypes.POINTER(Window)), ctypes.POINTER(ctypes.c_uint)]
x.XGetWindowProperty.argtypes = [ctypes.c_void_p, Window, Atom, ctypes.c_long, ctypes.c_long,
                                 ctypes.c_int, Atom, ctypes.POINTER(Atom),
                                 ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.POINTER(ctypes.c_ubyte))]
x.XFree.argtypes = [ctypes.c_void_p]
x.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
x.XTranslateCoordinates.argtypes = [ctypes.c_void_p, Window, Window, ctypes.c_int, ctypes.c_int,
                                    ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                                    ctypes.POINTER(Window)]
x.XGetGeometry.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window),
                           ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                           ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint),
                           ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint)]


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", Window), ("message_type", Atom),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class Event(ctypes.Union):  # XEvent is 24 longs
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]


display = x.XOpenDisplay(None)
if not display:
    sys.exit("smoke: no X display (run under xvfb-run)")
net_wm_name = x.XInternAtom(display, b"_NET_WM_NAME", 0)
utf8 = x.XInternAtom(display, b"UTF8_STRING", 0)
wm_protocols = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
wm_delete = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)


def name_of(window):
    kind, fmt, count, after = Atom(), ctypes.c_int(), ctypes.c_ulong(), ctypes.c_ulong()
    data = ctypes.POINTER(ctypes.c_ubyte)()
    if x.XGetWindowProperty(display, window, net_wm_name, 0, 1024, 0, utf8, ctypes.byref(kind),
                            ctypes.byref(fmt), ctypes.byref(count), ctypes.byref(after),
                            ctypes.byref(data)) != 0 or not data:
        return ""
    text = ctypes.string_at(data, count.value).decode("utf-8", "replace")
    x.XFree(data)
    return text


def find(window):
    if name_of(window) == title:
        return window
    root, parent = Window(), Window()
    children, n = ctypes.POINTER(Window)(), ctypes.c_uint()
    if not x.XQueryTree(display, window, ctypes.byref(root), ctypes.byref(parent),
                        ctypes.byref(children), ctypes.byref(n)):
        return None
    found = None
    for i in range(n.value):
        found = find(children[i])
        if found:
            break
    if children:
        x.XFree(children)
    return found


started = time.monotonic()
process = subprocess.Popen([program, *sys.argv[4:]])
window = None
while window is None and time.monotonic() - started < patience:
    if process.poll() is not None:
        sys.exit(f"smoke: the program ended early with code {process.returncode}")
    window = find(x.XDefaultRootWindow(display))
    if window is None:
        time.sleep(0.1)
if window is None:
    process.kill()
    sys.exit(f"smoke: no window titled {title!r} within {patience:g} s")
print(f"smoke: window {title!r} shown after {time.monotonic() - started:.2f} s")


def geometry(window):
    """(x, y, width, height) of window on the screen."""
    root, left, top = Window(), ctypes.c_int(), ctypes.c_int()
    width, height, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
    x.XGetGeometry(display, window, ctypes.byref(root), ctypes.byref(left), ctypes.byref(top),
                   ctypes.byref(width), ctypes.byref(height), ctypes.byref(border),
                   ctypes.byref(depth))
    child = Window()
    x.XTranslateCoordinates(display, window, root, 0, 0, ctypes.byref(left), ctypes.byref(top),
                            ctypes.byref(child))
    return left.value, top.value, width.value, height.value


screenshot = os.environ.get("SMOKE_SCREENSHOT")
if screenshot:
    time.sleep(float(os.environ.get("SMOKE_SETTLE", "2")))
left, top, width, height = geometry(window)
screen = geometry(x.XDefaultRootWindow(display))
print(f"smoke: window {width} x {height} at {left},{top} on a {screen[2]} x {screen[3]} screen")
if screenshot:
    clipped = (max(left, 0), max(top, 0), min(width, screen[2] - max(left, 0)),
               min(height, screen[3] - max(top, 0)))
    try:
        save_screen(screenshot, clipped)
    except ScreenDepthError:
        sys.exit("smoke: a screenshot needs a 24-bit screen")
    print(f"smoke: screenshot {screenshot}")

event = Event()
event.client.type = 33  # ClientMessage
event.client.window = window
event.client.message_type = wm_protocols
event.client.format = 32
event.client.data[0] = wm_delete
x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
x.XFlush(display)
try:
    code = process.wait(timeout=patience)
except subprocess.TimeoutExpired:
    process.kill()
    sys.exit("smoke: the program did not exit after its window was closed")
x.XCloseDisplay(display)
print(f"smoke: exit code {code}")
sys.exit(0 if code == 0 else 1)
