# SPDX-License-Identifier: GPL-3.0-or-later
"""A rectangle of the X screen saved as a PNG file, for the checks that run the real program on a
display (smoke/smoke.py, atspi/atspi_check.py). Talks to the X server through libX11 with ctypes
and writes the PNG itself, so it needs nothing beyond Xvfb and Python.
"""
import ctypes
import ctypes.util
import struct
import zlib


class ScreenDepthError(Exception):
    """The screen is not 24-bit (Xvfb's default is 8): start it with -screen 0 WxHx24."""


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int),
                ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
                ("data", ctypes.POINTER(ctypes.c_ubyte)), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


def save_screen(path, rectangle):
    """The screen's rectangle (x, y, width, height) as a PNG at path, read with XGetImage on the
    display of $DISPLAY. Raises ScreenDepthError on a screen that is not 24-bit."""
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(_XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    display = x11.XOpenDisplay(None)
    left, top, width, height = rectangle
    image = x11.XGetImage(display, x11.XDefaultRootWindow(display), left, top, width, height,
                          0xFFFFFFFF, 2).contents  # ZPixmap
    if image.bits_per_pixel != 32:
        raise ScreenDepthError()
    raw = ctypes.string_at(image.data, image.bytes_per_line * image.height)
    rows = []
    for y in range(image.height):
        line = raw[y * image.bytes_per_line:y * image.bytes_per_line + 4 * image.width]
        rgb = bytearray(3 * image.width)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::4], line[1::4], line[0::4]  # BGRX
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as png:
        png.write(b"\x89PNG\r\n\x1a\n")
        png.write(chunk(b"IHDR", struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0)))
        png.write(chunk(b"IDAT", zlib.compress(b"".join(rows), 9)))
        png.write(chunk(b"IEND", b""))
