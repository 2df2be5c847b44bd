"""Pictures the stand-in serves: the logo PNG (written here with zlib) and the
avatar JPEG (a small stored file: 200x100, red | blue | green columns at
0-49, 50-149 and 150-199, so a centred square crop is all blue)."""

import os
import struct
import zlib

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "assets")

LOGO_FILL = (255, 128, 0, 200)    # translucent orange
LOGO_BORDER = (255, 255, 255, 255)  # opaque white, 4 pixels wide
LOGO_BORDER_WIDTH = 4


def png_rgba(width, height, pixel):
    """A PNG (colour type 6, 8 bits) whose pixel(x, y) returns (r, g, b, a)."""
    if not (0 < width <= 4096 and 0 < height <= 4096):
        raise ValueError("picture size out of range: %dx%d" % (width, height))
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter type None
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def logo_png(width=200, height=80):
    """The platform logo: orange translucent box with a white frame."""
    b = LOGO_BORDER_WIDTH

    def pixel(x, y):
        if x < b or y < b or x >= width - b or y >= height - b:
            return LOGO_BORDER
        return LOGO_FILL

    return png_rgba(width, height, pixel)


def png_size(data):
    """(width, height) of PNG bytes, or None."""
    if len(data) < 24 or data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


_avatar = None


def avatar_jpeg():
    global _avatar
    if _avatar is None:
        with open(os.path.join(ASSETS, "avatar.jpg"), "rb") as f:
            _avatar = f.read()
    return _avatar
