#!/usr/bin/env python3
"""Draws every picture the program shows and writes them into assets/.

Run from the repository root:  python3 tools/draw_assets.py

Only the standard library is used. The output is deterministic: every run
writes the same bytes. Pictures:

  assets/toymouse.ico, mouse_white_tilted.ico, mouse_grey_tilted.ico,
  mouse_upright.ico           -- 32x32 and 16x16, 16 colours, 1-bit mask
  assets/flags/<country>.ico  -- twelve flags, same icon format
  assets/portrait.gif         -- 69x64, GIF87a, 256 colours, interlaced
  assets/assets.qrc           -- Qt resource list of all of the above
  packaging/icons/NxN.png     -- the application icon, N = 16, 24, 32, 48, 64, 128, 256,
                                 8-bit RGBA
  packaging/icons/scalable.svg -- the same icon as a scalable picture

After writing, the script reads every file back with its own small parsers
and checks it; if ImageMagick's `identify` is installed it is asked too.
"""

import math
import os
import shutil
import struct
import subprocess
import sys
import zlib
from xml.etree import ElementTree

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ASSETS = os.path.join(ROOT, "assets")

# ---------------------------------------------------------------------------
# Shapes: each is a function (x, y) -> bool in drawing units.
# ---------------------------------------------------------------------------


def ellipse(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def superellipse(cx, cy, rx, ry, power):
    """A rounded rectangle-like oval: |dx/rx|^p + |dy/ry|^p <= 1."""
    return lambda x, y: abs((x - cx) / rx) ** power + abs((y - cy) / ry) ** power <= 1.0


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def polygon(points):
    """Even-odd point-in-polygon test."""
    pts = list(points)

    def inside(x, y):
        result = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y):
                cross_x = xi + (y - yi) * (xj - xi) / (yj - yi)
                if x < cross_x:
                    result = not result
            j = i
        return result

    return inside


def _segment_distance(x, y, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
    px, py = x0 + t * dx, y0 + t * dy
    return math.hypot(x - px, y - py)


def thick_line(points, width):
    """A polyline of the given width with round ends and joints."""
    half = width / 2.0
    segs = list(zip(points, points[1:]))
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    bx0, bx1 = min(xs) - half, max(xs) + half
    by0, by1 = min(ys) - half, max(ys) + half

    def inside(x, y):
        if x < bx0 or x > bx1 or y < by0 or y > by1:
            return False
        for (x0, y0), (x1, y1) in segs:
            if _segment_distance(x, y, x0, y0, x1, y1) <= half:
                return True
        return False

    return inside


def bezier(p0, p1, p2, p3, steps=24):
    """Points along a cubic Bezier curve."""
    out = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        out.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return out


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: all(s(x, y) for s in shapes)


def subtract(shape, *holes):
    return lambda x, y: shape(x, y) and not any(h(x, y) for h in holes)


def rotated(shape, cx, cy, degrees):
    """The shape turned clockwise (on screen, y down) by `degrees` about (cx, cy)."""
    a = math.radians(degrees)
    ca, sa = math.cos(a), math.sin(a)

    def inside(x, y):
        dx, dy = x - cx, y - cy
        # Turn the sample point back to find where it lies on the unturned shape.
        return shape(cx + dx * ca + dy * sa, cy - dx * sa + dy * ca)

    return inside


def rotate_point(px, py, cx, cy, degrees):
    a = math.radians(degrees)
    dx, dy = px - cx, py - cy
    return cx + dx * math.cos(a) - dy * math.sin(a), cy + dx * math.sin(a) + dy * math.cos(a)


def star(cx, cy, outer, inner, points=5, first_angle=-90.0):
    """A star polygon; first_angle is the direction of the first point (-90 = up)."""
    pts = []
    for i in range(points * 2):
        r = outer if i % 2 == 0 else inner
        a = math.radians(first_angle + i * 180.0 / points)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(pts)


# ---------------------------------------------------------------------------
# A small indexed canvas for the icons.
# ---------------------------------------------------------------------------


class IconCanvas:
    """size x size pixels, each a palette index or None (transparent).

    Pictures are described in 32-unit drawing coordinates; `k` is the pixel
    size of one unit (1 for the 32x32 image, 0.5 for the 16x16 one). A shape
    paints a pixel when at least `cover` of its ss x ss samples fall inside.
    """

    SS = 4

    def __init__(self, size, palette):
        self.size = size
        self.k = size / 32.0
        self.palette = palette  # list of (name, (r, g, b)); entry 0 is black
        self.names = {name: i for i, (name, _) in enumerate(palette)}
        self.px = [[None] * size for _ in range(size)]

    def index(self, colour):
        return self.names[colour]

    def coverage(self, shape, x, y):
        n = self.SS
        hits = 0
        for sy in range(n):
            for sx in range(n):
                if shape((x + (sx + 0.5) / n) / self.k, (y + (sy + 0.5) / n) / self.k):
                    hits += 1
        return hits / (n * n)

    def fill(self, shape, colour, cover=0.5):
        """Paint `shape`; colour is a palette name or f(x, y) -> name (drawing units)."""
        for y in range(self.size):
            for x in range(self.size):
                if self.coverage(shape, x, y) >= cover:
                    c = colour((x + 0.5) / self.k, (y + 0.5) / self.k) if callable(colour) else colour
                    self.px[y][x] = self.index(c)

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = None if colour is None else self.index(colour)

    def get(self, x, y):
        if 0 <= x < self.size and 0 <= y < self.size:
            return self.px[y][x]
        return None

    def outline(self, colour, keep=()):
        """Turn every painted pixel that touches transparency (4-neighbours) into `colour`.

        Pixels whose colour is in `keep` stay as they are.
        """
        keep_idx = {self.index(c) for c in keep}
        edge = []
        for y in range(self.size):
            for x in range(self.size):
                v = self.px[y][x]
                if v is None or v in keep_idx:
                    continue
                if any(self.get(x + dx, y + dy) is None for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                    edge.append((x, y))
        for x, y in edge:
            self.px[y][x] = self.index(colour)

    def path_pixels(self, points):
        """The 1-pixel-wide, 8-connected run of pixels along a polyline (drawing units)."""
        run = []
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            x0, y0, x1, y1 = x0 * self.k, y0 * self.k, x1 * self.k, y1 * self.k
            n = max(1, int(math.ceil(max(abs(x1 - x0), abs(y1 - y0)) * 2)))
            for i in range(n + 1):
                p = (int(math.floor(x0 + (x1 - x0) * i / n)), int(math.floor(y0 + (y1 - y0) * i / n)))
                if not run or run[-1] != p:
                    run.append(p)
        # Drop the corner pixel of every L-shaped step so diagonals stay one pixel thin.
        out = []
        for p in run:
            if len(out) >= 2 and abs(out[-2][0] - p[0]) <= 1 and abs(out[-2][1] - p[1]) <= 1:
                out.pop()
            if p not in out:
                out.append(p)
        return out

    def path(self, points, colour, where=None):
        """Draw a 1-pixel line; `where` (palette names) limits it to pixels of those colours."""
        allowed = None if where is None else {self.index(n) for n in where}
        for x, y in self.path_pixels(points):
            if allowed is None or self.get(x, y) in allowed:
                self.put(x, y, colour)

    def pixel_map(self, rows, legend, left=0, top=0):
        """Paint hand-placed pixels: one character per pixel, '.' leaves the pixel alone."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch != ".":
                    self.put(left + i, top + j, legend[ch])


# ---------------------------------------------------------------------------
# File formats.
# ---------------------------------------------------------------------------


def _ico_image(pixels, palette_rgb):
    """One icon image: BITMAPINFOHEADER, 16-entry palette, 4-bit XOR rows, 1-bit AND rows.

    Transparent pixels (None) get index 0 in the XOR bitmap, which must be black,
    so that old-style drawing (screen AND mask XOR image) leaves the screen as is.
    """
    h = len(pixels)
    w = len(pixels[0])
    assert palette_rgb[0] == (0, 0, 0) and len(palette_rgb) <= 16
    xor_stride = ((w * 4 + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor_size = xor_stride * h
    and_size = and_stride * h
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, xor_size + and_size, 0, 0, 0, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette_rgb)
    pal += b"\0" * (64 - len(pal))
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(h)):  # bitmaps are stored bottom row first
        row = pixels[y]
        line = bytearray()
        for x in range(0, w, 2):
            hi = row[x] or 0
            lo = (row[x + 1] or 0) if x + 1 < w else 0
            line.append((hi << 4) | lo)
        line += b"\0" * (xor_stride - len(line))
        xor += line
        bits = bytearray(and_stride)
        for x in range(w):
            if row[x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pal + bytes(xor) + bytes(mask)


def write_ico(path, images):
    """images: list of (pixels, palette_rgb); pixels are rows of index or None."""
    count = len(images)
    blobs = [_ico_image(px, pal) for px, pal in images]
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    for (px, _), blob in zip(images, blobs):
        w, h = len(px[0]), len(px)
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    _write(path, bytes(out))


def read_ico(data):
    """Parse a classic icon file; returns a list of (pixels, palette_rgb, bit_count)."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert reserved == 0 and kind == 1, "not an icon file"
    result = []
    for n in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        w = w or 256
        h = h or 256
        hdr = struct.unpack_from("<IiiHHIIiiII", data, offset)
        assert hdr[0] == 40, "BITMAPINFOHEADER expected"
        assert hdr[1] == w and hdr[2] == 2 * h, "bitmap height must be doubled for the mask"
        assert hdr[4] == bits == 4 and colours == 16 and hdr[5] == 0
        assert offset + size <= len(data)
        p = offset + 40
        palette = []
        for i in range(16):
            b, g, r, _ = data[p + 4 * i: p + 4 * i + 4]
            palette.append((r, g, b))
        p += 64
        xor_stride = ((w * 4 + 31) // 32) * 4
        and_stride = ((w + 31) // 32) * 4
        assert size == 40 + 64 + (xor_stride + and_stride) * h
        pixels = [[0] * w for _ in range(h)]
        for row in range(h):
            y = h - 1 - row
            line = data[p + row * xor_stride: p + (row + 1) * xor_stride]
            for x in range(w):
                byte = line[x // 2]
                pixels[y][x] = (byte >> 4) if x % 2 == 0 else (byte & 15)
        p += xor_stride * h
        for row in range(h):
            y = h - 1 - row
            line = data[p + row * and_stride: p + (row + 1) * and_stride]
            for x in range(w):
                if line[x // 8] & (0x80 >> (x % 8)):
                    assert pixels[y][x] == 0, "transparent pixels must be black in the colour bitmap"
                    pixels[y][x] = None
        result.append((pixels, palette, bits))
    return result


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.nbits = 0

    def write(self, code, width):
        self.acc |= code << self.nbits
        self.nbits += width
        while self.nbits >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.nbits -= 8

    def finish(self):
        if self.nbits:
            self.out.append(self.acc & 0xFF)
        return bytes(self.out)


def lzw_encode(data, min_code_size):
    """GIF variant of LZW: LSB-first codes, clear code first, width grows up to 12 bits,
    and a clear code is sent whenever the table has filled up."""
    clear = 1 << min_code_size
    end = clear + 1
    bits = _BitWriter()
    width = min_code_size + 1
    next_code = end + 1
    table = {}
    bits.write(clear, width)
    if not data:
        bits.write(end, width)
        return bits.finish()
    prefix = data[0]
    for k in data[1:]:
        key = (prefix << 8) | k
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        bits.write(prefix, width)
        table[key] = next_code
        # The next code written may be the one just added: widen if it no longer fits.
        if next_code == (1 << width) and width < 12:
            width += 1
        next_code += 1
        if next_code == 4096:
            bits.write(clear, width)
            table = {}
            width = min_code_size + 1
            next_code = end + 1
        prefix = k
    bits.write(prefix, width)
    bits.write(end, width)
    return bits.finish()


def lzw_decode(blob, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    acc = 0
    nbits = 0
    pos = 0
    width = min_code_size + 1
    table = [bytes([i]) for i in range(clear)] + [b"", b""]
    prev = None
    while True:
        while nbits < width:
            if pos >= len(blob):
                raise ValueError("LZW data ended without an end code")
            acc |= blob[pos] << nbits
            pos += 1
            nbits += 8
        code = acc & ((1 << width) - 1)
        acc >>= width
        nbits -= width
        if code == clear:
            table = table[: clear + 2]
            width = min_code_size + 1
            prev = None
            continue
        if code == end:
            break
        if prev is None:
            if code >= clear:
                raise ValueError("first code after a clear must be a literal")
            out += table[code]
            prev = code
            continue
        if code < len(table):
            entry = table[code]
            new = table[prev] + entry[:1]
        elif code == len(table):
            new = table[prev] + table[prev][:1]
            entry = new
        else:
            raise ValueError("LZW code out of range")
        out += entry
        if len(table) < 4096:
            table.append(new)
            if len(table) == (1 << width) and width < 12:
                width += 1
        prev = code
    return bytes(out)


def interlaced_rows(height):
    """Row order of an interlaced GIF: every 8th from 0, every 8th from 4, every 4th from 2, every 2nd from 1."""
    order = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        order.extend(range(start, height, step))
    return order


def write_gif87a_interlaced(path, pixels, palette_rgb):
    """pixels: rows of indices 0..255; palette: up to 256 (r, g, b), padded with black."""
    h = len(pixels)
    w = len(pixels[0])
    assert len(palette_rgb) <= 256
    pal = list(palette_rgb) + [(0, 0, 0)] * (256 - len(palette_rgb))
    out = bytearray(b"GIF87a")
    # Logical screen: global colour table present, 8 bits of colour resolution, 256 entries.
    out += struct.pack("<HHBBB", w, h, 0xF7, 0, 0)
    for r, g, b in pal:
        out += bytes((r, g, b))
    # Image descriptor: no local colour table, interlaced.
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, w, h, 0x40)
    data = bytearray()
    for y in interlaced_rows(h):
        data += bytes(pixels[y])
    min_code_size = 8
    out.append(min_code_size)
    lzw = lzw_encode(bytes(data), min_code_size)
    for i in range(0, len(lzw), 255):
        chunk = lzw[i: i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    out.append(0x3B)
    _write(path, bytes(out))


def read_gif(data):
    """Parse a single-image GIF; returns (width, height, palette, interlaced, pixels, screen flags)."""
    assert data[:6] in (b"GIF87a", b"GIF89a")
    w, h, flags, _, _ = struct.unpack_from("<HHBBB", data, 6)
    p = 13
    palette = []
    if flags & 0x80:
        n = 2 << (flags & 7)
        palette = [tuple(data[p + 3 * i: p + 3 * i + 3]) for i in range(n)]
        p += 3 * n
    assert data[p] == 0x2C, "image descriptor expected"
    _, left, top, iw, ih, iflags = struct.unpack_from("<BHHHHB", data, p)
    p += 10
    assert (left, top, iw, ih) == (0, 0, w, h)
    assert not iflags & 0x80, "no local colour table expected"
    min_code_size = data[p]
    p += 1
    blob = bytearray()
    while data[p]:
        blob += data[p + 1: p + 1 + data[p]]
        p += 1 + data[p]
    p += 1
    assert data[p] == 0x3B and p == len(data) - 1, "trailer expected at the end"
    flat = lzw_decode(bytes(blob), min_code_size)
    assert len(flat) == w * h, "pixel count differs"
    interlaced = bool(iflags & 0x40)
    order = interlaced_rows(h) if interlaced else list(range(h))
    pixels = [None] * h
    for n, y in enumerate(order):
        pixels[y] = list(flat[n * w: (n + 1) * w])
    return w, h, palette, interlaced, pixels, flags


def _write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------------------
# Mouse icons.
# ---------------------------------------------------------------------------

TOY_PALETTE = [
    ("black", (0, 0, 0)),
    ("outline", (58, 58, 66)),
    ("dark", (110, 110, 118)),
    ("grey", (150, 150, 158)),
    ("light", (190, 190, 198)),
    ("belly", (222, 222, 228)),
    ("white", (255, 255, 255)),
    ("pink", (240, 160, 176)),
    ("pinkdark", (196, 104, 126)),
    ("tail", (150, 108, 118)),
]


def draw_toymouse(size):
    """A grey toy mouse in side view, facing right, with a curled tail."""
    c = IconCanvas(size, TOY_PALETTE)
    if size == 16:
        # Hand-placed: at this size a drawn-down copy loses the ear and the eye.
        c.pixel_map(["",
                     "",
                     "",
                     ".........ooo",
                     "..t.....oLppo",
                     ".t.t....oLppo",
                     ".t...oooLLLLoo",
                     ".t.ooLLLLLLLLLo",
                     ".toLLLLLLLLLLkLo",
                     "..oLLLLLLLLLLLLP",
                     "..oGGGGGGGGGGGo",
                     "..oGGGbbbbbbbo",
                     "...ooooooooooo",
                     "....pp.....pp"],
                    {"o": "outline", "L": "light", "G": "grey", "b": "belly", "p": "pink",
                     "P": "pinkdark", "k": "black", "t": "tail"})
        return c

    # Tail: from the back of the body round in a curl above and to the left.
    tail_pts = bezier((7.0, 23.0), (1.5, 24.0), (0.0, 15.0), (4.0, 12.0), 20) + \
        bezier((4.0, 12.0), (7.5, 9.5), (10.5, 13.5), (7.5, 15.5), 12)[1:]
    c.fill(thick_line(tail_pts, 1.35), "tail", cover=0.4)

    back = ellipse(14.0, 20.0, 10.2, 7.8)
    head = ellipse(21.5, 19.5, 6.5, 5.6)
    snout = polygon([(22.0, 14.6), (30.4, 21.4), (22.0, 25.0)])
    body = union(back, head, snout)
    feet = union(ellipse(9.0, 28.0, 2.8, 1.7), ellipse(20.0, 27.6, 2.8, 1.7))
    belly = ellipse(16.0, 27.5, 10.0, 4.2)

    def body_shade(x, y):
        # Light from the top left: lighter back, darker lower edge, pale belly.
        if belly(x, y):
            return "belly"
        t = y + 0.12 * (x - 14.0)
        return "light" if t < 19.5 else ("grey" if t < 24.5 else "dark")

    c.fill(feet, "pink")
    c.fill(body, body_shade)
    c.outline("outline", keep=("tail",))

    # Ear: outlined disc with a pink inside, drawn over the head.
    c.fill(ellipse(18.5, 11.8, 4.7, 4.9), "outline")
    c.fill(ellipse(18.5, 11.8, 3.7, 3.9), "light")
    c.fill(ellipse(18.9, 12.3, 2.3, 2.6), "pink")
    # Eye with a highlight (the mouse looks right) and a pink nose.
    c.fill(ellipse(24.5, 17.6, 1.45, 1.7), "black")
    c.put(25, 17, "white")
    c.fill(ellipse(29.8, 21.2, 1.3, 1.3), "pinkdark", cover=0.3)
    return c


MOUSE_WHITE = [
    ("black", (0, 0, 0)),
    ("outline", (40, 44, 52)),
    ("line", (104, 110, 120)),
    ("shade2", (168, 174, 184)),
    ("shade1", (214, 218, 226)),
    ("body", (246, 247, 250)),
    ("white", (255, 255, 255)),
    ("cable", (70, 74, 82)),
    ("cablehi", (130, 136, 146)),
]

MOUSE_GREY = [
    ("black", (0, 0, 0)),
    ("outline", (30, 32, 38)),
    ("line", (64, 68, 76)),
    ("shade2", (110, 114, 122)),
    ("shade1", (140, 144, 152)),
    ("body", (170, 174, 182)),
    ("white", (206, 210, 218)),
    ("cable", (56, 58, 66)),
    ("cablehi", (120, 124, 132)),
]


def draw_computer_mouse(size, palette, tilt, cable_pts, cable_step, cx=16.0, cy=19.0):
    """A two-button computer mouse seen from above, turned clockwise by `tilt` degrees.

    The mouse is described upright around (cx, cy); `cable_pts` is the cable's
    path in picture coordinates, starting under the mouse's front end; the
    cable is two pixels thick, its second pixel row offset by `cable_step`.
    """
    c = IconCanvas(size, palette)
    rx, ry, power = 7.7, 11.4, 2.4

    def egg(x, y):
        # Upright mouse body: a rounded oval, a little wider at the back than the front.
        dx, dy = x - cx, y - cy
        half_width = rx * (1.0 + 0.08 * dy / ry)
        return abs(dx / half_width) ** power + abs(dy / ry) ** power <= 1.0

    body = rotated(egg, cx, cy, tilt)

    def upright_coords(x, y):
        a = math.radians(-tilt)
        dx, dy = x - cx, y - cy
        return dx * math.cos(a) - dy * math.sin(a), dx * math.sin(a) + dy * math.cos(a)

    def shade(x, y):
        # Light falls from the mouse's own upper left whatever its turn.
        ux, uy = upright_coords(x, y)
        edge = abs(ux / rx) ** power + abs(uy / ry) ** power
        side = ux / rx + uy / (2 * ry)
        if side > 0.45 and edge > 0.42:
            return "shade2"
        if side > 0.05 and edge > 0.30:
            return "shade1"
        if side < -0.35 and uy < 0 and edge > 0.25:
            return "white"
        return "body"

    # Cable: a lighter line with a dark one beside it reads as a round wire.
    sx, sy = cable_step
    c.path([(x + sx, y + sy) for x, y in cable_pts], "cable")
    c.path(cable_pts, "cablehi")
    c.fill(body, shade, cover=0.56)  # above one half: no lone pixel at the round tip
    c.outline("outline", keep=("cable", "cablehi"))

    # Buttons: a gently curved line across the front third, split down the middle.
    turned = lambda pts: [rotate_point(x, y, cx, cy, tilt) for x, y in pts]
    split_y = cy - 3.0
    across = [(cx - rx + i * 2 * rx / 12, split_y - 1.2 + 1.2 * ((i - 6) / 6.0) ** 2) for i in range(13)]
    down = [(cx, cy - ry), (cx, split_y - 1.2)]
    inside = ("body", "white", "shade1", "shade2")
    c.path(turned(across), "line", where=inside)
    c.path(turned(down), "line", where=inside)
    return c


# Hand-placed 16x16 versions: at this size the drawn-down outline turns lumpy.
# o outline, c cable, l button line, h highlight, w body, s and d shades.
MOUSE_LEGEND = {"o": "outline", "c": "cable", "l": "line", "h": "white", "w": "body",
                "s": "shade1", "d": "shade2"}

TILTED_16 = [".............ccc",
             "..........ccc...",
             ".......ccc......",
             "......c.........",
             ".....ocooo......",
             "....ohlwwwo.....",
             "....ohlwlllo....",
             "...ohhllwwso....",
             "...ollwwwwwso...",
             "....ohwwwwwso...",
             "....owwwwwwso...",
             "....owwwwwsdo...",
             ".....owwwssdo...",
             "......owssddo...",
             ".......ooooo...."]

UPRIGHT_16 = [".......c",
              "........c",
              "........c",
              ".......c",
              ".....oocoo",
              "....ohhlwwo",
              "...ohwwlwwso",
              "...ohwwlwwso",
              "...olllllllo",
              "...ohwwwwwso",
              "...owwwwwwso",
              "...owwwwwsso",
              "...owwwwwsdo",
              "....owwwsdo",
              ".....ooooo"]


def _mouse_16(palette, rows):
    c = IconCanvas(16, palette)
    c.pixel_map(rows, MOUSE_LEGEND)
    return c


def _tilted_cable():
    # Leaves the front end along the mouse's own axis, then curves off to the right.
    return bezier((11.1, 9.8), (9.0, 5.5), (16.0, 2.0), (22.0, 4.5), 16) + \
        bezier((22.0, 4.5), (26.0, 6.2), (28.5, 2.0), (31.8, 1.5), 10)[1:]


def white_tilted(size):
    if size == 16:
        return _mouse_16(MOUSE_WHITE, TILTED_16)
    return draw_computer_mouse(size, MOUSE_WHITE, -28.0, _tilted_cable(), (0.0, 1.0))


def grey_tilted(size):
    if size == 16:
        return _mouse_16(MOUSE_GREY, TILTED_16)
    return draw_computer_mouse(size, MOUSE_GREY, -28.0, _tilted_cable(), (0.0, 1.0))


def upright(size):
    if size == 16:
        return _mouse_16(MOUSE_WHITE, UPRIGHT_16)
    # Centred on pixel column 16 so the button split is symmetric.
    cx = 16.5
    cable = bezier((cx, 9.0), (cx, 5.0), (cx - 3.0, 4.0), (cx - 2.0, 2.0), 12) + \
        bezier((cx - 2.0, 2.0), (cx - 1.4, 0.8), (cx + 0.5, 0.5), (cx + 1.0, -1.0), 8)[1:]
    return draw_computer_mouse(size, MOUSE_WHITE, 0.0, cable, (1.0, 0.0), cx=cx)


# ---------------------------------------------------------------------------
# Flags. The flag fills a 32x22 (or 16x11) rectangle, centred vertically.
# Each flag is drawn in flag coordinates: (0, 0)..(W, H) in pixels of that
# rectangle; the canvas offsets it.
# ---------------------------------------------------------------------------

FLAG_RECT = {32: (0, 5, 32, 22), 16: (0, 2, 16, 11)}  # left, top, width, height


class FlagCanvas(IconCanvas):
    """IconCanvas whose shapes are given in pixel coordinates of the flag rectangle."""

    def __init__(self, size, palette):
        super().__init__(size, palette)
        self.left, self.top, self.w, self.h = FLAG_RECT[size]
        self.k = 1.0

    def coverage(self, shape, x, y):
        n = self.SS
        hits = 0
        for sy in range(n):
            for sx in range(n):
                if shape(x - self.left + (sx + 0.5) / n, y - self.top + (sy + 0.5) / n):
                    hits += 1
        return hits / (n * n)

    def fill(self, shape, colour, cover=0.5):
        for y in range(self.top, self.top + self.h):
            for x in range(self.left, self.left + self.w):
                if self.coverage(shape, x, y) >= cover:
                    self.px[y][x] = self.index(colour)

    def box(self, x0, y0, x1, y1, colour):
        """Fill whole pixels x0..x1-1, y0..y1-1 of the flag."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.px[self.top + y][self.left + x] = self.index(colour)

    def flag_map(self, rows, legend):
        self.pixel_map(rows, legend, self.left, self.top)

    def frame(self):
        """Darken the flag's outer ring of pixels so white parts keep an edge."""
        darker = {}
        for i, (name, _) in enumerate(self.palette):
            if name + "_edge" in self.names:
                darker[i] = self.names[name + "_edge"]
        for y in range(self.top, self.top + self.h):
            for x in range(self.left, self.left + self.w):
                if x in (self.left, self.left + self.w - 1) or y in (self.top, self.top + self.h - 1):
                    v = self.px[y][x]
                    if v in darker:
                        self.px[y][x] = darker[v]


def flag_palette(colours):
    """Black first (for transparent pixels), then each colour and a darker edge shade of it."""
    pal = [("black", (0, 0, 0))]
    for name, rgb in colours:
        pal.append((name, rgb))
        pal.append((name + "_edge", tuple(int(v * 0.72) for v in rgb)))
    assert len(pal) <= 16
    return pal


WHITE = ("white", (255, 255, 255))


def nordic_cross(size, field, cross, rows, cols, inner=None):
    """Field with an off-centre cross.

    `rows` and `cols` give the band widths from the top and from the hoist:
    (field, cross, field) or, with `inner` (Norway), (field, border, inner,
    border, field) where the inner cross sits on a bordered one.
    """
    pal = flag_palette([field, cross] + ([inner] if inner else []))
    c = FlagCanvas(size, pal)
    assert sum(rows) == c.h and sum(cols) == c.w
    c.box(0, 0, c.w, c.h, field[0])
    if inner:
        c.box(0, rows[0], c.w, c.h - rows[4], cross[0])
        c.box(cols[0], 0, c.w - cols[4], c.h, cross[0])
        c.box(0, rows[0] + rows[1], c.w, rows[0] + rows[1] + rows[2], inner[0])
        c.box(cols[0] + cols[1], 0, cols[0] + cols[1] + cols[2], c.h, inner[0])
    else:
        c.box(0, rows[0], c.w, rows[0] + rows[1], cross[0])
        c.box(cols[0], 0, cols[0] + cols[1], c.h, cross[0])
    c.frame()
    return c


# Band widths follow each flag's official proportions, rounded to whole pixels
# (Denmark 12+4+12 by 12+4+21, Finland 4+3+4 by 5+3+10, Norway 6+1+2+1+6 by
# 6+1+2+1+12, Sweden 4+2+4 by 5+2+9), with crosses kept a little bolder at 16.
def denmark(size):
    rows, cols = ((9, 4, 9), (9, 4, 19)) if size == 32 else ((4, 2, 5), (4, 2, 10))
    return nordic_cross(size, ("red", (200, 16, 46)), WHITE, rows, cols)


def finland(size):
    rows, cols = ((8, 6, 8), (9, 6, 17)) if size == 32 else ((4, 3, 4), (4, 3, 9))
    return nordic_cross(size, WHITE, ("blue", (0, 47, 108)), rows, cols)


def norway(size):
    if size == 32:
        rows, cols = (8, 1, 4, 1, 8), (8, 1, 4, 1, 18)
    else:
        rows, cols = (4, 1, 1, 1, 4), (4, 1, 1, 1, 9)
    return nordic_cross(size, ("red", (186, 12, 47)), WHITE, rows, cols, ("blue", (0, 32, 91)))


def sweden(size):
    rows, cols = ((9, 4, 9), (10, 4, 18)) if size == 32 else ((4, 2, 5), (5, 2, 9))
    return nordic_cross(size, ("blue", (0, 106, 167)), ("yellow", (254, 204, 0)), rows, cols)


def horizontal_bands(size, colours, rows):
    c = FlagCanvas(size, flag_palette(colours))
    y = 0
    for (name, _), n in zip(colours, rows):
        c.box(0, y, c.w, y + n, name)
        y += n
    assert y == c.h
    c.frame()
    return c


def vertical_bands(size, colours, cols):
    c = FlagCanvas(size, flag_palette(colours))
    x = 0
    for (name, _), n in zip(colours, cols):
        c.box(x, 0, x + n, c.h, name)
        x += n
    assert x == c.w
    c.frame()
    return c


def germany(size):
    colours = [("black", (0, 0, 0)), ("red", (221, 0, 0)), ("gold", (255, 206, 0))]
    # "black" is already palette entry 0; its edge shade is a soft dark grey.
    pal = [("black", (0, 0, 0)), ("black_edge", (40, 40, 40)),
           ("red", (221, 0, 0)), ("red_edge", (160, 0, 0)),
           ("gold", (255, 206, 0)), ("gold_edge", (196, 150, 0))]
    c = FlagCanvas(size, pal)
    rows = (7, 8, 7) if size == 32 else (4, 3, 4)
    y = 0
    for (name, _), n in zip(colours, rows):
        c.box(0, y, c.w, y + n, name)
        y += n
    c.frame()
    return c


def russia(size):
    return horizontal_bands(size, [WHITE, ("blue", (0, 57, 166)), ("red", (213, 43, 30))],
                            (7, 8, 7) if size == 32 else (4, 3, 4))


def italy(size):
    return vertical_bands(size, [("green", (0, 146, 70)), WHITE, ("red", (206, 43, 55))],
                          (11, 10, 11) if size == 32 else (5, 6, 5))


def japan(size):
    c = FlagCanvas(size, flag_palette([WHITE, ("red", (188, 0, 45))]))
    c.box(0, 0, c.w, c.h, "white")
    if size == 32:
        # The disc is 3/5 of the height across, centred.
        c.fill(ellipse(16.0, 11.0, 6.9), "red")
    else:
        c.flag_map(["",
                     "",
                     "",
                     "......rrrr",
                     ".....rrrrrr",
                     ".....rrrrrr",
                     ".....rrrrrr",
                     "......rrrr",
                     ], {"r": "red"})
    c.frame()
    return c


def turkey(size):
    c = FlagCanvas(size, flag_palette([("red", (227, 10, 23)), WHITE]))
    c.box(0, 0, c.w, c.h, "red")
    if size == 32:
        # Official layout (G = height): outer circle 1/2 G across, centred 1/2 G
        # from the hoist; inner circle 2/5 G across, 1/16 G further out; the star
        # 1/4 G across. Everything is drawn 10% larger, the star more, so it reads.
        g = c.h * 1.1
        ox, oy = 0.5 * c.h, 0.5 * c.h
        crescent = subtract(ellipse(ox, oy, 0.25 * g), ellipse(ox + 0.0625 * g, oy, 0.2 * g))
        c.fill(crescent, "white", cover=0.45)
        c.fill(star(ox + 0.33 * g, oy, 0.155 * g, 0.065 * g, first_angle=180.0), "white", cover=0.4)
    else:
        c.flag_map(["",
                     "",
                     "....www",
                     "...ww",
                     "..ww......w",
                     "..ww....wwwww",
                     "..ww.....www",
                     "...ww....w.w",
                     "....www",
                     ], {"w": "white"})
    c.frame()
    return c


def united_kingdom(size):
    pal = flag_palette([("blue", (1, 33, 105)), WHITE, ("red", (200, 16, 46))])
    c = FlagCanvas(size, pal)
    w, h = c.w, c.h
    c.box(0, 0, w, h, "blue")
    if size == 32:
        unit = h / 30.0  # the flag's own construction unit: height / 30
        cx, cy = w / 2.0, h / 2.0

        # Red saltire, 2 units wide beside the diagonal: walking from a corner to
        # the centre, the red lies on the right-hand side, so the broad white is
        # uppermost next to the hoist and the four red pieces turn like a pinwheel.
        def red_piece(x0, y0):
            dx, dy = cx - x0, cy - y0
            length = math.hypot(dx, dy)
            nx, ny = -dy / length, dx / length  # the walker's right, with y pointing down
            a = (x0 + nx * unit, y0 + ny * unit)
            b = (cx + nx * unit, cy + ny * unit)
            quarter = rect(min(x0, cx), min(y0, cy), max(x0, cx), max(y0, cy))
            return intersect(thick_line([a, b], 2 * unit), quarter)

        # White saltire, 6 units wide, corner to corner, then the red pieces.
        c.fill(union(thick_line([(0, 0), (w, h)], 6 * unit), thick_line([(0, h), (w, 0)], 6 * unit)), "white")
        pieces = union(red_piece(0, 0), red_piece(w, 0), red_piece(0, h), red_piece(w, h))
        c.fill(pieces, "red", cover=0.4)
        # The white-bordered red cross on top (10 and 6 units wide, on whole pixels).
        c.box(0, 7, w, 15, "white")
        c.box(12, 0, 20, h, "white")
        c.box(0, 9, w, 13, "red")
        c.box(14, 0, 18, h, "red")
    else:
        # At 16 pixels the diagonals are placed by hand: two white pixels per row
        # with the red one beside them on the pinwheel side; the picture is the
        # same when turned half round, like the real flag.
        c.flag_map(["wwbbbbwrrwbbbrww",
                     "brwwbbwrrwbbrwwb",
                     "bbrwwbwrrwrwwbbb",
                     "bbbbrwwrrwwwbbbb",
                     "wwwwwwwrrwwwwwww",
                     "rrrrrrrrrrrrrrrr",
                     "wwwwwwwrrwwwwwww",
                     "bbbbwwwrrwwrbbbb",
                     "bbbwwrwrrwbwwrbb",
                     "bwwrbbwrrwbbwwrb",
                     "wwrbbbwrrwbbbbww",
                     ], {"w": "white", "r": "red", "b": "blue"})
    c.frame()
    return c


def canada(size):
    pal = flag_palette([("red", (216, 6, 33)), WHITE])
    c = FlagCanvas(size, pal)
    w, h = c.w, c.h
    c.box(0, 0, w, h, "red")
    if size == 32:
        c.box(8, 0, 24, h, "white")  # red, white, red in the ratio 1:2:1
        # A simplified maple leaf, described on a 100x100 grid then fitted to the centre.
        half = [(50, 0), (58, 16), (67, 11), (63, 40), (76, 28), (80, 20), (86, 30), (99, 25),
                (93, 47), (100, 54), (73, 71), (77, 81), (54, 77), (54, 100)]
        leaf = half + [(100 - x, y) for x, y in reversed(half)]
        scale = 13.0 / 100.0
        ox, oy = 16.0 - 50 * scale, 4.0
        c.fill(polygon([(ox + x * scale, oy + y * scale) for x, y in leaf]), "red", cover=0.45)
    else:
        c.flag_map(["....wwwwwwww....",
                     "....wwwwwwww....",
                     "....wwwrrwww....",
                     "....wrwrrwrw....",
                     "....wrrrrrrw....",
                     "....wwrrrrww....",
                     "....wrrrrrrw....",
                     "....wwwrrwww....",
                     "....wwwwwwww....",
                     "....wwwwwwww....",
                     "....wwwwwwww....",
                     ], {"w": "white", "r": "red"})
    c.frame()
    return c


def usa(size):
    pal = flag_palette([("red", (178, 34, 52)), WHITE, ("blue", (60, 59, 110))])
    c = FlagCanvas(size, pal)
    w, h = c.w, c.h
    # Thirteen stripes do not fit 22 or 11 rows evenly; eleven stripes of 2 (or 1)
    # pixels keep red at the top and the bottom and read the same at this size.
    stripe = 2 if size == 32 else 1
    for i in range(11):
        c.box(0, i * stripe, w, (i + 1) * stripe, "red" if i % 2 == 0 else "white")
    # Blue canton over the top six stripes, stars as staggered white dots.
    if size == 32:
        c.box(0, 0, 14, 12, "blue")
        for y in range(1, 12, 2):
            for x in range(1 + (y // 2) % 2, 14, 2):
                if x < 13:
                    c.box(x, y, x + 1, y + 1, "white")
    else:
        c.box(0, 0, 7, 6, "blue")
        for y in range(1, 6, 2):
            for x in range(1, 7, 2):
                c.box(x, y, x + 1, y + 1, "white")
    c.frame()
    return c


FLAGS = [
    ("denmark", denmark), ("finland", finland), ("germany", germany), ("italy", italy),
    ("japan", japan), ("norway", norway), ("russia", russia), ("sweden", sweden),
    ("turkey", turkey), ("united_kingdom", united_kingdom), ("canada", canada), ("usa", usa),
]

MOUSE_ICONS = [
    ("toymouse", draw_toymouse), ("mouse_white_tilted", white_tilted),
    ("mouse_grey_tilted", grey_tilted), ("mouse_upright", upright),
]


# ---------------------------------------------------------------------------
# The portrait: drawn in true colour with 4x4 supersampling, then reduced to
# a 256-colour palette by median cut.
# ---------------------------------------------------------------------------

PORTRAIT_W, PORTRAIT_H = 69, 64


class RGBCanvas:
    def __init__(self, w, h, ss):
        self.w, self.h, self.ss = w, h, ss
        self.sw, self.sh = w * ss, h * ss
        self.buf = [[(0.0, 0.0, 0.0)] * self.sw for _ in range(self.sh)]

    def paint(self, shape, colour, alpha=1.0, box=None):
        """Paint in picture pixel units; colour is (r, g, b) or f(x, y) -> (r, g, b)."""
        s = self.ss
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        for sy in range(max(0, int(y0 * s)), min(self.sh, int(math.ceil(y1 * s)))):
            y = (sy + 0.5) / s
            row = self.buf[sy]
            for sx in range(max(0, int(x0 * s)), min(self.sw, int(math.ceil(x1 * s)))):
                x = (sx + 0.5) / s
                if shape(x, y):
                    col = colour(x, y) if callable(colour) else colour
                    if alpha >= 1.0:
                        row[sx] = col
                    else:
                        old = row[sx]
                        row[sx] = tuple(o + (n - o) * alpha for o, n in zip(old, col))

    def pixels(self):
        s = self.ss
        out = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r = g = b = 0.0
                for sy in range(y * s, y * s + s):
                    for sx in range(x * s, x * s + s):
                        pr, pg, pb = self.buf[sy][sx]
                        r += pr
                        g += pg
                        b += pb
                n = s * s
                row.append((int(round(r / n)), int(round(g / n)), int(round(b / n))))
            out.append(row)
        return out


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def draw_portrait():
    """A friendly cartoon teacher, head and shoulders, on a soft background."""
    cv = RGBCanvas(PORTRAIT_W, PORTRAIT_H, 4)
    cx = 28.5  # the face's centre line; the visible area is the top-left 57x49

    # Background: soft blue, lighter behind the head.
    def background(x, y):
        d = math.hypot((x - cx) / 40.0, (y - 20.0) / 36.0)
        return mix((236, 243, 250), (176, 204, 230), d)

    cv.paint(lambda x, y: True, background)

    skin = (246, 206, 174)
    skin_shadow = (222, 168, 134)
    hair = (112, 70, 42)
    hair_light = (160, 108, 66)
    hair_dark = (74, 44, 26)

    def hair_colour(x, y):
        # A soft sheen on the upper left of the hair.
        d = math.hypot(x - (cx - 7.0), y - 9.0)
        base = mix(hair_light, hair, d / 9.0)
        return mix(base, hair_dark, (y - 26.0) / 14.0)

    # Hair behind the head (falls to the shoulders) and a bun on top.
    back_hair = union(ellipse(cx, 21.0, 16.5, 17.5), ellipse(cx, 33.0, 15.0, 8.0))
    cv.paint(back_hair, hair_colour)
    cv.paint(ellipse(cx, 4.8, 5.6, 4.4), hair_colour)

    # Shoulders: a blue cardigan over a white blouse.
    cardigan = (66, 112, 170)
    cardigan_dark = (42, 78, 128)

    def cardigan_colour(x, y):
        return mix(cardigan, cardigan_dark, abs(x - cx) / 34.0 + (y - 40.0) / 40.0)

    shoulders = ellipse(cx, 60.0, 31.0, 21.0)
    cv.paint(shoulders, cardigan_colour)
    neck = union(rect(cx - 4.5, 32.0, cx + 4.5, 42.0), ellipse(cx, 42.0, 4.5, 3.0))
    cv.paint(neck, lambda x, y: mix(skin, skin_shadow, (36.0 - y) / 4.0 + 0.25))
    # Blouse: a white V with two collar points, and a small brooch where they meet.
    blouse = polygon([(cx - 9.0, 39.0), (cx, 52.0), (cx + 9.0, 39.0), (cx + 12.0, 64.0), (cx - 12.0, 64.0)])
    cv.paint(intersect(blouse, shoulders), (250, 250, 252))
    collar_col = lambda x, y: mix((255, 255, 255), (206, 214, 226), (y - 38.0) / 10.0)
    for side in (-1.0, 1.0):
        pts = [(cx + side * 6.0, 37.5), (cx + side * 0.5, 45.0), (cx + side * 5.0, 47.5), (cx + side * 10.5, 40.5)]
        cv.paint(polygon(pts), collar_col)
        cv.paint(thick_line(pts + pts[:1], 0.6), (150, 160, 178))
    cv.paint(ellipse(cx, 47.6, 1.5), (226, 92, 96))

    # Ears and face.
    for ex in (cx - 12.6, cx + 12.6):
        cv.paint(ellipse(ex, 23.5, 2.6, 3.6), skin_shadow)
        cv.paint(ellipse(ex + (0.5 if ex < cx else -0.5), 23.5, 1.8, 2.8), skin)
    face = superellipse(cx, 22.0, 12.4, 14.5, 2.25)

    def face_colour(x, y):
        # Lit from the upper left: shade toward the right side and the chin.
        t = (x - cx) / 12.4 * 0.55 + (y - 22.0) / 14.5 * 0.35
        return mix(skin, skin_shadow, (t - 0.05) * 1.4)

    cv.paint(face, face_colour)

    # Fringe: hair sweeping across the forehead from a parting on the left.
    def fringe(x, y):
        if not face(x, y):
            return False
        edge = 11.5 + 3.8 * math.sin((x - (cx - 12.0)) / 24.0 * math.pi) * 0.6 + (x - cx) * 0.12
        return y < edge

    cv.paint(fringe, hair_colour)
    cv.paint(thick_line(bezier((cx - 5.0, 6.5), (cx - 1.0, 8.0), (cx + 4.0, 9.0), (cx + 10.0, 12.0), 12), 0.7),
             hair_light, alpha=0.8)

    # Rosy cheeks.
    for chx in (cx - 7.5, cx + 7.5):
        cv.paint(ellipse(chx, 28.0, 3.2, 2.0), (240, 140, 140), alpha=0.35)

    # Eyebrows.
    dark_brown = (86, 52, 32)
    cv.paint(thick_line(bezier((cx - 8.8, 17.2), (cx - 7.0, 15.6), (cx - 4.6, 15.6), (cx - 3.0, 16.8), 10), 1.0), dark_brown)
    cv.paint(thick_line(bezier((cx + 3.0, 16.8), (cx + 4.6, 15.6), (cx + 7.0, 15.6), (cx + 8.8, 17.2), 10), 1.0), dark_brown)

    # Eyes: white, brown iris, dark pupil, a bright highlight.
    for ex in (cx - 5.8, cx + 5.8):
        cv.paint(ellipse(ex, 21.6, 2.5, 2.2), (255, 255, 255))
        cv.paint(ellipse(ex + 0.2, 21.8, 1.6, 1.8), (92, 64, 40))
        cv.paint(ellipse(ex + 0.2, 21.9, 0.85, 0.95), (28, 20, 16))
        cv.paint(ellipse(ex - 0.45, 21.1, 0.5, 0.5), (255, 255, 255))
        # Upper lid line.
        cv.paint(thick_line(bezier((ex - 2.7, 21.4), (ex - 1.5, 18.9), (ex + 1.5, 18.9), (ex + 2.7, 21.4), 10), 0.7),
                 (60, 38, 26))

    # Round glasses: thin frames joined by a bridge.
    frame_col = (96, 62, 48)
    for ex in (cx - 5.8, cx + 5.8):
        ring = subtract(ellipse(ex, 21.8, 4.3, 3.9), ellipse(ex, 21.8, 3.55, 3.15))
        cv.paint(ring, frame_col)
        cv.paint(ellipse(ex - 1.6, 20.0, 1.2, 0.7), (255, 255, 255), alpha=0.35)
    cv.paint(thick_line(bezier((cx - 1.6, 21.0), (cx - 0.6, 20.0), (cx + 0.6, 20.0), (cx + 1.6, 21.0), 6), 0.7), frame_col)
    cv.paint(thick_line([(cx - 10.0, 21.2), (cx - 12.0, 21.6)], 0.7), frame_col)
    cv.paint(thick_line([(cx + 10.0, 21.2), (cx + 12.0, 21.6)], 0.7), frame_col)

    # Nose: a soft shadow on one side and a little tip.
    cv.paint(thick_line(bezier((cx + 0.6, 23.0), (cx + 1.4, 25.5), (cx + 2.0, 27.0), (cx + 0.3, 27.6), 10), 0.8),
             skin_shadow)
    cv.paint(ellipse(cx - 0.3, 26.6, 1.1, 0.8), (250, 218, 190), alpha=0.7)

    # Smile: an open "D" mouth, corners up, a strip of teeth and a tongue.
    half = 4.6

    def mouth_top(x):
        return 29.6 + 0.9 * (1.0 - ((x - cx) / half) ** 2)

    def mouth_bottom(x):
        return 29.6 + 4.0 * math.sqrt(max(0.0, 1.0 - ((x - cx) / half) ** 2))

    mouth = lambda x, y: abs(x - cx) < half and mouth_top(x) < y < mouth_bottom(x)
    cv.paint(mouth, (140, 40, 50))
    cv.paint(intersect(mouth, lambda x, y: y < mouth_top(x) + 1.3), (255, 255, 255))
    cv.paint(intersect(mouth, ellipse(cx + 0.4, 33.6, 2.7, 1.5)), (232, 112, 118))
    # Lips' edge and little dimples at the corners.
    cv.paint(thick_line([(x, mouth_bottom(x)) for x in [cx - half + i * half / 8 for i in range(17)]], 0.6),
             (196, 100, 96), alpha=0.8)
    cv.paint(thick_line(bezier((cx - half - 0.9, 29.0), (cx - half - 0.3, 29.4), (cx - half, 29.6), (cx - half + 0.2, 29.8), 4),
                        0.6), (190, 120, 100))
    cv.paint(thick_line(bezier((cx + half + 0.9, 29.0), (cx + half + 0.3, 29.4), (cx + half, 29.6), (cx + half - 0.2, 29.8), 4),
                        0.6), (190, 120, 100))
    return cv.pixels()


def median_cut(colours, limit):
    """Reduce a {colour: count} table to at most `limit` colours; returns the palette."""
    boxes = [sorted(colours.items())]
    while len(boxes) < limit:
        best = None
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = [max(c[0][ch] for c in box) - min(c[0][ch] for c in box) for ch in range(3)]
            weight = sum(n for _, n in box)
            score = max(spans) * math.sqrt(weight)
            if best is None or score > best[0]:
                best = (score, i, spans.index(max(spans)))
        if best is None or best[0] == 0:
            break
        _, i, ch = best
        box = sorted(boxes[i], key=lambda c: (c[0][ch], c[0]))
        total = sum(n for _, n in box)
        run = 0
        cut = 1
        for j, (_, n) in enumerate(box):
            run += n
            if run * 2 >= total:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes[i:i + 1] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[ch] * n for c, n in box) / total)) for ch in range(3)))
    return sorted(set(palette), key=lambda c: (0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2], c))


def quantise(rgb_rows, limit=256):
    counts = {}
    for row in rgb_rows:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    palette = sorted(counts) if len(counts) <= limit else median_cut(counts, limit)
    nearest = {}
    for c in counts:
        nearest[c] = min(range(len(palette)),
                         key=lambda i: (2 * (palette[i][0] - c[0]) ** 2 + 4 * (palette[i][1] - c[1]) ** 2
                                        + 3 * (palette[i][2] - c[2]) ** 2, i))
    return [[nearest[c] for c in row] for row in rgb_rows], palette


# ---------------------------------------------------------------------------
# The application icon: the toy mouse of toymouse.ico, for the desktop's menus
# and docks. At 16 and 32 pixels it is the window icon's own pixels, at 24 a
# hand-placed picture in the same style; every larger size is drawn again from
# the same shapes, anti-aliased for that size, with an outline at least one and
# a half pixels wide. The SVG holds the same shapes for any other size.
# ---------------------------------------------------------------------------

APP_ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
APP_ICON_DIR = os.path.join(ROOT, "packaging", "icons")
TOY = dict(TOY_PALETTE)


class Sdf:
    """A shape as a signed distance in drawing units (negative inside) and its bounding box."""

    def __init__(self, distance, box):
        self.distance = distance
        self.box = box  # x0, y0, x1, y1

    def grown(self, by):
        x0, y0, x1, y1 = self.box
        return Sdf(lambda x, y: self.distance(x, y) - by, (x0 - by, y0 - by, x1 + by, y1 + by))


def sdf_ellipse(cx, cy, rx, ry):
    def distance(x, y):
        # The implicit function over the length of its gradient: exact enough within a
        # few pixels of the edge, which is all the edge's coverage and the outline need.
        dx, dy = (x - cx) / rx, (y - cy) / ry
        f = dx * dx + dy * dy - 1.0
        g = 2.0 * math.hypot(dx / rx, dy / ry)
        return f / g if g > 1e-9 else -min(rx, ry)

    return Sdf(distance, (cx - rx, cy - ry, cx + rx, cy + ry))


def sdf_polygon(points):
    inside = polygon(points)
    edges = list(zip(points, points[1:] + points[:1]))
    xs, ys = [p[0] for p in points], [p[1] for p in points]

    def distance(x, y):
        d = min(_segment_distance(x, y, x0, y0, x1, y1) for (x0, y0), (x1, y1) in edges)
        return -d if inside(x, y) else d

    return Sdf(distance, (min(xs), min(ys), max(xs), max(ys)))


def sdf_line(points, width):
    segs = list(zip(points, points[1:]))
    half = width / 2.0
    xs, ys = [p[0] for p in points], [p[1] for p in points]

    def distance(x, y):
        return min(_segment_distance(x, y, x0, y0, x1, y1) for (x0, y0), (x1, y1) in segs) - half

    return Sdf(distance, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half))


def sdf_union(*shapes):
    boxes = [s.box for s in shapes]
    return Sdf(lambda x, y: min(s.distance(x, y) for s in shapes),
               (min(b[0] for b in boxes), min(b[1] for b in boxes),
                max(b[2] for b in boxes), max(b[3] for b in boxes)))


class RGBACanvas:
    """size x size straight-alpha pixels; shapes in 32-unit drawing coordinates."""

    def __init__(self, size):
        self.size = size
        self.k = size / 32.0
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def fill(self, shape, colour):
        """Paint `shape` over what is there; colour is (r, g, b) or f(x, y) -> (r, g, b)."""
        k = self.k
        x0, y0, x1, y1 = shape.box
        for py in range(max(0, int(y0 * k) - 1), min(self.size, int(math.ceil(y1 * k)) + 1)):
            y = (py + 0.5) / k
            row = self.px[py]
            for px in range(max(0, int(x0 * k) - 1), min(self.size, int(math.ceil(x1 * k)) + 1)):
                x = (px + 0.5) / k
                cover = 0.5 - shape.distance(x, y) * k
                if cover <= 0.0:
                    continue
                cover = min(1.0, cover)
                r, g, b = colour(x, y) if callable(colour) else colour
                dr, dg, db, da = row[px]
                a = cover + da * (1.0 - cover)
                row[px] = (tuple((c * cover + d * da * (1.0 - cover)) / a for c, d in ((r, dr), (g, dg), (b, db)))
                           + (a,))

    def rgba(self):
        return [[tuple(int(round(c)) for c in (r, g, b)) + (int(round(a * 255)),) for r, g, b, a in row]
                for row in self.px]


def toy_shapes():
    """The toy mouse of draw_toymouse as distance shapes, in the same drawing units."""
    tail = bezier((7.0, 23.0), (1.5, 24.0), (0.0, 15.0), (4.0, 12.0), 20) + \
        bezier((4.0, 12.0), (7.5, 9.5), (10.5, 13.5), (7.5, 15.5), 12)[1:]
    return {
        "tail": tail,
        "body": sdf_union(sdf_ellipse(14.0, 20.0, 10.2, 7.8), sdf_ellipse(21.5, 19.5, 6.5, 5.6),
                          sdf_polygon([(22.0, 14.6), (30.4, 21.4), (22.0, 25.0)])),
        "feet": [(9.0, 28.0, 2.8, 1.7), (20.0, 27.6, 2.8, 1.7)],
        "belly": (16.0, 27.5, 10.0, 4.2),
        "ear": (18.5, 11.8, 4.7, 4.9),
        "eye": (24.5, 17.6, 1.45, 1.7),
        "nose": (29.8, 21.2, 1.3),
    }


# The body's shading bands: lighter back, darker lower edge, as in the window icon. A band's
# edge is the line y + 0.12 (x - 14) = t.
BANDS = ((19.5, "grey"), (24.5, "dark"))
BAND_SLOPE = 0.12


def draw_app_icon(size):
    c = RGBACanvas(size)
    s = toy_shapes()
    # The outline: one pixel at the small sizes, thicker as the picture grows.
    line = max(1.5, size * 0.02) / c.k

    c.fill(sdf_line(s["tail"], 1.35 + 2 * line * 0.8), TOY["outline"])
    c.fill(sdf_line(s["tail"], 1.35), TOY["tail"])
    feet = [sdf_ellipse(*f) for f in s["feet"]]
    for foot in feet:
        c.fill(foot.grown(line), TOY["outline"])
    c.fill(s["body"].grown(line), TOY["outline"])
    for foot in feet:
        c.fill(foot, TOY["pink"])
    belly = sdf_ellipse(*s["belly"])
    norm = math.hypot(1.0, BAND_SLOPE)

    def shade(x, y):
        colour = TOY["light"]
        t = y + BAND_SLOPE * (x - 14.0)
        for edge, name in BANDS:
            colour = mix(colour, TOY[name], 0.5 + (t - edge) / norm * c.k)
        return mix(colour, TOY["belly"], 0.5 - belly.distance(x, y) * c.k)

    c.fill(s["body"], shade)
    ex, ey, erx, ery = s["ear"]
    c.fill(sdf_ellipse(ex, ey, erx, ery), TOY["outline"])
    c.fill(sdf_ellipse(ex, ey, erx - line, ery - line), TOY["light"])
    c.fill(sdf_ellipse(ex + 0.4, ey + 0.5, (erx - line) * 0.62, (ery - line) * 0.67), TOY["pink"])
    c.fill(sdf_ellipse(*s["eye"]), TOY["black"])
    ix, iy, irx, iry = s["eye"]
    c.fill(sdf_ellipse(ix + 0.55, iy - 0.55, 0.5, 0.5), TOY["white"])
    nx, ny, nr = s["nose"]
    c.fill(sdf_ellipse(nx, ny, nr, nr), TOY["pinkdark"])
    return c.rgba()


def toymouse_rgba(size):
    """The window icon's own pixels at 16 or 32, opaque or clear."""
    canvas = draw_toymouse(size)
    palette = [rgb for _, rgb in canvas.palette]
    return [[(0, 0, 0, 0) if v is None else palette[v] + (255,) for v in row] for row in canvas.px]


def _png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_bytes(rgba_rows):
    """8-bit RGBA, no filtering, no metadata: the same pixels give the same bytes."""
    h, w = len(rgba_rows), len(rgba_rows[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + _png_chunk(b"IDAT", zlib.compress(raw, 9)) + _png_chunk(b"IEND", b""))


def read_png(data):
    """Reads back what png_bytes writes; returns rows of (r, g, b, a)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
    p, chunks = 8, {}
    while p < len(data):
        length, = struct.unpack_from(">I", data, p)
        kind, body = data[p + 4:p + 8], data[p + 8:p + 8 + length]
        crc, = struct.unpack_from(">I", data, p + 8 + length)
        assert crc == zlib.crc32(kind + body) & 0xFFFFFFFF, "bad chunk checksum"
        chunks[kind] = chunks.get(kind, b"") + body
        p += 12 + length
    w, h, depth, kind, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    assert (depth, kind, interlace) == (8, 6, 0) and b"IEND" in chunks
    raw = zlib.decompress(chunks[b"IDAT"])
    stride = 1 + 4 * w
    assert len(raw) == stride * h
    rows = []
    for y in range(h):
        line = raw[y * stride: (y + 1) * stride]
        assert line[0] == 0, "unfiltered rows expected"
        rows.append([tuple(line[1 + 4 * x: 5 + 4 * x]) for x in range(w)])
    return rows


def _n(v):
    return ("%.2f" % v).rstrip("0").rstrip(".")


def app_icon_svg():
    """The same shapes as draw_app_icon, as a scalable picture in the same 32-unit space."""
    s = toy_shapes()
    line = 0.64  # the outline of the 256-pixel picture
    hexc = lambda name: "#%02x%02x%02x" % TOY[name]
    ell = lambda cx, cy, rx, ry, extra: '<ellipse cx="%s" cy="%s" rx="%s" ry="%s" %s/>' % (
        _n(cx), _n(cy), _n(rx), _n(ry), extra)
    tail = " ".join("%s,%s" % (_n(x), _n(y)) for x, y in s["tail"])
    back, head, snout = (14.0, 20.0, 10.2, 7.8), (21.5, 19.5, 6.5, 5.6), "22,14.6 30.4,21.4 22,25"
    body = [ell(*back, "%s"), ell(*head, "%s"), '<polygon points="%s" %%s/>' % snout]
    outline = 'fill="%s" stroke="%s" stroke-width="%s" stroke-linejoin="round"' % (
        hexc("outline"), hexc("outline"), _n(2 * line))

    def band(edge):
        left, right = edge + BAND_SLOPE * 14.0, edge - BAND_SLOPE * 18.0
        return "0,%s 32,%s 32,32 0,32" % (_n(left), _n(right))

    ex, ey, erx, ery = s["ear"]
    ix, iy, _, _ = s["eye"]
    nx, ny, nr = s["nose"]
    lines = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">',
        '  <title>Мышь</title>',
        '  <defs>',
        '    <clipPath id="body">',
        "      " + "".join(b % "" for b in body),
        '    </clipPath>',
        '  </defs>',
        '  <g fill="none" stroke-linecap="round" stroke-linejoin="round">',
        '    <polyline points="%s" stroke="%s" stroke-width="%s"/>' % (tail, hexc("outline"), _n(1.35 + 1.6 * line)),
        '    <polyline points="%s" stroke="%s" stroke-width="1.35"/>' % (tail, hexc("tail")),
        '  </g>',
    ]
    lines += ["  " + ell(*f, outline) for f in s["feet"]]
    lines += ["  " + b % outline for b in body]
    lines += ["  " + ell(*f, 'fill="%s"' % hexc("pink")) for f in s["feet"]]
    lines += [
        '  <g clip-path="url(#body)">',
        '    <rect width="32" height="32" fill="%s"/>' % hexc("light"),
        '    <polygon points="%s" fill="%s"/>' % (band(BANDS[0][0]), hexc(BANDS[0][1])),
        '    <polygon points="%s" fill="%s"/>' % (band(BANDS[1][0]), hexc(BANDS[1][1])),
        "    " + ell(*s["belly"], 'fill="%s"' % hexc("belly")),
        '  </g>',
        "  " + ell(ex, ey, erx, ery, 'fill="%s"' % hexc("outline")),
        "  " + ell(ex, ey, erx - line, ery - line, 'fill="%s"' % hexc("light")),
        "  " + ell(ex + 0.4, ey + 0.5, (erx - line) * 0.62, (ery - line) * 0.67, 'fill="%s"' % hexc("pink")),
        "  " + ell(*s["eye"], 'fill="%s"' % hexc("black")),
        "  " + ell(ix + 0.55, iy - 0.55, 0.5, 0.5, 'fill="%s"' % hexc("white")),
        "  " + ell(nx, ny, nr, nr, 'fill="%s"' % hexc("pinkdark")),
        "</svg>",
        "",
    ]
    return "\n".join(lines)

# Hand-placed 24x24: drawn down from the shapes, the outline breaks and the eye smears.
APP_ICON_24 = [
    "........................",
    "........................",
    "........................",
    "............oooo........",
    "...........oLLLLo.......",
    "..........oLLpppLo......",
    "...ttt....oLpppppo......",
    "..t...t...oLpppppo......",
    ".t....oooooLppppLo......",
    ".t...oLLLLLoLppLooo.....",
    ".t..oLLLLLLLooooLLLo....",
    ".t.oLLLLLLLLLLLLLLkko...",
    ".t.oLLLLLLLLLLLLLLkwLo..",
    ".t.oLLLLLLLLLLLLLGkkGo..",
    ".t.oLGGGGGGGGGGGGGGGGGoP",
    "..tGGGGGGGGGGGGGGGGGGGPP",
    "...toGGGGGGGGGGGGGGGoo.P",
    ".....oGGGGbbbbbbbGDoo...",
    "......obbbbbbbbbbbo.....",
    ".....oppbbooooobppo.....",
    ".....oooo.....oooo......",
    "........................",
    "........................",
    "........................",
]
APP_ICON_LEGEND = {"o": "outline", "L": "light", "G": "grey", "D": "dark", "b": "belly", "p": "pink",
                   "P": "pinkdark", "k": "black", "w": "white", "t": "tail"}


def app_icon_rgba(size):
    """The picture at one size: hand-placed pixels up to 32, drawn from the shapes above that."""
    if size in (16, 32):
        return toymouse_rgba(size)
    if size == 24:
        return [[(0, 0, 0, 0) if ch == "." else TOY[APP_ICON_LEGEND[ch]] + (255,) for ch in row]
                for row in APP_ICON_24]
    return draw_app_icon(size)


# ---------------------------------------------------------------------------
# Writing everything, then checking it.
# ---------------------------------------------------------------------------


def icon_images(draw):
    images = []
    for size in (32, 16):
        canvas = draw(size)
        images.append((canvas.px, [rgb for _, rgb in canvas.palette]))
    return images


def qrc_text(files):
    lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '    <qresource prefix="/">']
    lines += ["        <file>%s</file>" % f for f in files]
    lines += ["    </qresource>", "</RCC>", ""]
    return "\n".join(lines)


def main():
    written = {}  # relative path -> what was drawn, for the checks
    for name, draw in MOUSE_ICONS:
        rel = name + ".ico"
        images = icon_images(draw)
        write_ico(os.path.join(ASSETS, rel), images)
        written[rel] = ("ico", images)
    for name, draw in FLAGS:
        rel = "flags/" + name + ".ico"
        images = icon_images(draw)
        write_ico(os.path.join(ASSETS, rel), images)
        written[rel] = ("ico", images)
    pixels, palette = quantise(draw_portrait())
    write_gif87a_interlaced(os.path.join(ASSETS, "portrait.gif"), pixels, palette)
    written["portrait.gif"] = ("gif", (pixels, palette))
    _write(os.path.join(ASSETS, "assets.qrc"), qrc_text(list(written)).encode("utf-8"))

    app_icons = {size: app_icon_rgba(size) for size in APP_ICON_SIZES}
    for size, rows in app_icons.items():
        _write(os.path.join(APP_ICON_DIR, "%dx%d.png" % (size, size)), png_bytes(rows))
    _write(os.path.join(APP_ICON_DIR, "scalable.svg"), app_icon_svg().encode("utf-8"))

    check(written)
    check_app_icons(app_icons)
    print("wrote and checked %d pictures in %s and %d in %s"
          % (len(written), os.path.relpath(ASSETS, os.getcwd()),
             len(app_icons) + 1, os.path.relpath(APP_ICON_DIR, os.getcwd())))


def check(written):
    for rel, (kind, drawn) in written.items():
        with open(os.path.join(ASSETS, rel), "rb") as f:
            data = f.read()
        if kind == "ico":
            images = read_ico(data)
            assert len(images) == 2, rel
            assert [len(px) for px, _, _ in images] == [32, 16], rel
            assert [len(px[0]) for px, _, _ in images] == [32, 16], rel
            for (px, pal, bits), (want_px, want_pal) in zip(images, drawn):
                assert bits == 4, rel
                assert px == want_px, rel + ": pixels differ after reading back"
                assert pal[: len(want_pal)] == want_pal, rel
                assert any(v is not None for row in px for v in row), rel + ": empty picture"
                assert any(v is None for row in px for v in row), rel + ": no transparent pixels"
        else:
            want_px, want_pal = drawn
            assert data[:6] == b"GIF87a", rel
            w, h, palette, interlaced, px, flags = read_gif(data)
            assert (w, h) == (PORTRAIT_W, PORTRAIT_H), rel
            assert flags & 0x80 and (flags & 7) == 7 and len(palette) == 256, rel
            assert interlaced, rel
            assert px == want_px, rel + ": pixels differ after decoding"
            assert palette[: len(want_pal)] == want_pal, rel

    # The LZW coder must also survive data that fills the code table several times.
    seed = 12345
    noise = bytearray()
    for _ in range(30000):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise.append((seed >> 16) % 7 if len(noise) % 3 else (seed >> 8) & 0xFF)
    assert lzw_decode(lzw_encode(bytes(noise), 8), 8) == bytes(noise)

    qrc = open(os.path.join(ASSETS, "assets.qrc"), encoding="utf-8").read()
    for rel in written:
        assert "<file>%s</file>" % rel in qrc, rel

    identify = shutil.which("identify")
    if identify:
        for rel, (kind, _) in written.items():
            out = subprocess.run([identify, "-format", "%w %h\n", os.path.join(ASSETS, rel)],
                                 capture_output=True, text=True, check=True).stdout.split()
            sizes = list(zip(out[::2], out[1::2]))
            want = [("32", "32"), ("16", "16")] if kind == "ico" else [("69", "64")]
            assert sizes == want, "%s: identify reports %s" % (rel, sizes)



def check_app_icons(drawn):
    for size, want in drawn.items():
        path = os.path.join(APP_ICON_DIR, "%dx%d.png" % (size, size))
        with open(path, "rb") as f:
            rows = read_png(f.read())
        assert rows == want, path + ": pixels differ after reading back"
        assert len(rows) == size and all(len(row) == size for row in rows), path
        alphas = {p[3] for row in rows for p in row}
        assert 0 in alphas and 255 in alphas, path + ": no clear or no opaque pixels"
    svg = ElementTree.parse(os.path.join(APP_ICON_DIR, "scalable.svg")).getroot()
    assert svg.tag == "{http://www.w3.org/2000/svg}svg" and svg.get("viewBox") == "0 0 32 32"

    identify = shutil.which("identify")
    if identify:
        for size in drawn:
            path = os.path.join(APP_ICON_DIR, "%dx%d.png" % (size, size))
            out = subprocess.run([identify, "-format", "%w %h %[channels]", path],
                                 capture_output=True, text=True, check=True).stdout.split()
            assert out[:2] == [str(size)] * 2 and out[2].startswith("srgba"), (path, out)


if __name__ == "__main__":
    sys.exit(main())
