#!/usr/bin/env python3
"""Draws the program's toolbar strips and icons and writes them under ui/images/.

Every picture is a list of simple shapes on a 16 x 16 design grid, rendered at each size the
program needs with 4 x 4 supersampling. Toolbar strips are 32-bit BMPs whose pixels are either
opaque or fully transparent (alpha 0 and magenta, so that either an alpha-aware image list or the
mask colour 255,0,255 gives the same picture). Icons are 32-bit ICO files with 16, 24, 32 and 48
pixel images. Standard library only; run from anywhere: python3 scripts/make_images.py
"""

import math
import os
import struct
import sys

GRID = 16.0
SUPERSAMPLE = 4
MASK_COLOUR = (255, 0, 255)

# The toolbar's commands, left to right (separators are the main window's business).
TOOLBAR_COMMANDS = [1010, 1021, 1022, 1012, 1013, 1053, 1055, 1056, 1054, 1058, 5104]
TOOLBAR_SIZES = [16, 24, 32]
ICON_SIZES = [16, 24, 32, 48]

OUTLINE = (38, 44, 62)
FLOPPY_BLUE = (45, 98, 168)
FLOPPY_SHUTTER = (196, 202, 210)
LABEL = (248, 247, 240)
FOLDER = (242, 192, 64)
FOLDER_DARK = (204, 150, 36)
GREEN = (52, 160, 72)
RED = (206, 52, 44)
AMBER = (250, 196, 40)
STICK = (72, 84, 104)
METAL = (196, 200, 206)
SCREEN = (86, 150, 214)
SCREEN_LIGHT = (150, 200, 240)
GREY = (118, 124, 136)
TRAY = (150, 110, 70)


# --- shapes: each answers whether a design-grid point is covered, and gives its bounds ---------


class Rect:
    def __init__(self, x0, y0, x1, y1, radius=0.0):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, radius

    def bounds(self):
        return self.x0, self.y0, self.x1, self.y1

    def inset(self, d):
        return Rect(self.x0 + d, self.y0 + d, self.x1 - d, self.y1 - d, max(0.0, self.r - d))

    def covers(self, x, y):
        if x < self.x0 or x > self.x1 or y < self.y0 or y > self.y1:
            return False
        r = self.r
        if r <= 0:
            return True
        cx = min(max(x, self.x0 + r), self.x1 - r)
        cy = min(max(y, self.y0 + r), self.y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Ellipse:
    def __init__(self, cx, cy, rx, ry=None):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, rx if ry is None else ry

    def bounds(self):
        return self.cx - self.rx, self.cy - self.ry, self.cx + self.rx, self.cy + self.ry

    def inset(self, d):
        return Ellipse(self.cx, self.cy, self.rx - d, self.ry - d)

    def covers(self, x, y):
        if self.rx <= 0 or self.ry <= 0:
            return False
        return ((x - self.cx) / self.rx) ** 2 + ((y - self.cy) / self.ry) ** 2 <= 1.0


class Polygon:
    def __init__(self, points):
        self.points = points

    def bounds(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return min(xs), min(ys), max(xs), max(ys)

    def covers(self, x, y):
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


class Stroke:
    """The points within half a width of a polyline (closed when asked)."""

    def __init__(self, points, width, closed=False):
        self.segments = list(zip(points, points[1:] + (points[:1] if closed else [])))
        self.half = width / 2.0

    def bounds(self):
        xs = [p[0] for s in self.segments for p in s]
        ys = [p[1] for s in self.segments for p in s]
        return min(xs) - self.half, min(ys) - self.half, max(xs) + self.half, max(ys) + self.half

    def covers(self, x, y):
        for (ax, ay), (bx, by) in self.segments:
            dx, dy = bx - ax, by - ay
            length2 = dx * dx + dy * dy
            t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
            px, py = ax + t * dx - x, ay + t * dy - y
            if px * px + py * py <= self.half * self.half:
                return True
        return False


class Ring:
    """An annulus, optionally only between two angles (degrees, clockwise from east)."""

    def __init__(self, cx, cy, outer, inner, start=0.0, end=360.0):
        self.cx, self.cy, self.outer, self.inner, self.start, self.end = cx, cy, outer, inner, start, end

    def bounds(self):
        return self.cx - self.outer, self.cy - self.outer, self.cx + self.outer, self.cy + self.outer

    def covers(self, x, y):
        d2 = (x - self.cx) ** 2 + (y - self.cy) ** 2
        if d2 > self.outer ** 2 or d2 < self.inner ** 2:
            return False
        angle = math.degrees(math.atan2(y - self.cy, x - self.cx)) % 360.0
        return self.start <= angle <= self.end


# --- rendering ---------------------------------------------------------------------------------


class Picture:
    """Shapes painted in order, each in one colour."""

    def __init__(self, size):
        self.size = size
        self.layers = []
        # Outlines stay about one pixel wide whatever the size.
        self.line = max(1.0, size / 24.0) * GRID / size

    def fill(self, shape, colour):
        self.layers.append((shape, colour))

    def boxed(self, shape, colour, outline=OUTLINE):
        """A shape with a dark outline of about one pixel."""
        self.fill(shape, outline)
        self.fill(shape.inset(self.line), colour)

    def render(self):
        """Rows of (r, g, b, a) tuples, top row first, straight (not premultiplied) alpha."""
        n, s = self.size, SUPERSAMPLE
        scale = GRID / n
        rows = []
        for py in range(n):
            row = []
            for px in range(n):
                r = g = b = a = 0.0
                for sy in range(s):
                    y = (py + (sy + 0.5) / s) * scale
                    for sx in range(s):
                        x = (px + (sx + 0.5) / s) * scale
                        colour = None
                        for shape, c in reversed(self.layers):
                            x0, y0, x1, y1 = shape.bounds()
                            if x0 <= x <= x1 and y0 <= y <= y1 and shape.covers(x, y):
                                colour = c
                                break
                        if colour:
                            r += colour[0]
                            g += colour[1]
                            b += colour[2]
                            a += 1
                if a:
                    row.append((round(r / a), round(g / a), round(b / a), round(255 * a / (s * s))))
                else:
                    row.append((0, 0, 0, 0))
            rows.append(row)
        return rows


# --- the pictures --------------------------------------------------------------------------------


def floppy(p, x0, y0, x1, y1):
    """A floppy disk in the box (x0, y0)-(x1, y1): body, shutter with its window, label."""
    w, h = x1 - x0, y1 - y0
    p.fill(Polygon([(x0, y0), (x1 - w * 0.14, y0), (x1, y0 + h * 0.14), (x1, y1), (x0, y1)]), OUTLINE)
    d = p.line
    p.fill(Polygon([(x0 + d, y0 + d), (x1 - w * 0.14 - d * 0.4, y0 + d), (x1 - d, y0 + h * 0.14 + d * 0.4),
                    (x1 - d, y1 - d), (x0 + d, y1 - d)]), FLOPPY_BLUE)
    p.fill(Rect(x0 + w * 0.25, y0 + d, x1 - w * 0.25, y0 + h * 0.36), FLOPPY_SHUTTER)
    p.fill(Rect(x0 + w * 0.52, y0 + h * 0.08, x1 - w * 0.32, y0 + h * 0.30), OUTLINE)
    p.fill(Rect(x0 + w * 0.16, y0 + h * 0.52, x1 - w * 0.16, y1 - d), LABEL)
    p.fill(Rect(x0 + w * 0.26, y0 + h * 0.64, x1 - w * 0.26, y0 + h * 0.64 + d), FLOPPY_BLUE)
    p.fill(Rect(x0 + w * 0.26, y0 + h * 0.80, x1 - w * 0.36, y0 + h * 0.80 + d), FLOPPY_BLUE)


def arrow(p, tail, head, width, colour=GREEN):
    """A straight arrow from tail to head with a triangular head, outlined."""
    (tx, ty), (hx, hy) = tail, head
    length = math.hypot(hx - tx, hy - ty)
    ux, uy = (hx - tx) / length, (hy - ty) / length
    nx, ny = -uy, ux
    head_len = width * 1.6
    bx, by = hx - ux * head_len, hy - uy * head_len
    hw, sw = width * 1.15, width * 0.42
    shape = [
        (tx + nx * sw, ty + ny * sw), (bx + nx * sw, by + ny * sw), (bx + nx * hw, by + ny * hw), (hx, hy),
        (bx - nx * hw, by - ny * hw), (bx - nx * sw, by - ny * sw), (tx - nx * sw, ty - ny * sw),
    ]
    p.fill(Polygon(shape), colour)
    p.fill(Stroke(shape, p.line, closed=True), OUTLINE)


def usb_stick(p, x0, y0, x1, y1):
    """A USB stick lying left to right: metal plug on the left, body on the right."""
    h = y1 - y0
    plug = (x1 - x0) * 0.3
    p.boxed(Rect(x0, y0 + h * 0.22, x0 + plug + p.line, y1 - h * 0.22), METAL)
    p.fill(Rect(x0 + plug * 0.3, y0 + h * 0.36, x0 + plug * 0.55, y0 + h * 0.48), OUTLINE)
    p.fill(Rect(x0 + plug * 0.3, y1 - h * 0.48, x0 + plug * 0.55, y1 - h * 0.36), OUTLINE)
    p.boxed(Rect(x0 + plug, y0, x1, y1, radius=h * 0.18), STICK)
    p.fill(Ellipse(x1 - h * 0.32, y0 + h * 0.5, h * 0.11), AMBER)


def app_icon(n):
    p = Picture(n)
    floppy(p, 1.0, 1.0, 15.0, 15.0)
    # Stacked slot marks on the label: many floppies in one stick.
    p.fill(Rect(12.2, 9.2, 14.2, 14.2), AMBER)
    p.fill(Stroke([(12.2, 9.2), (14.2, 9.2), (14.2, 14.2), (12.2, 14.2)], p.line, closed=True), OUTLINE)
    return p


def computer_icon(n):
    p = Picture(n)
    p.boxed(Rect(1.0, 1.5, 15.0, 11.5, radius=0.8), GREY)
    p.fill(Rect(2.6, 3.0, 13.4, 10.0), SCREEN)
    p.fill(Polygon([(2.6, 3.0), (8.0, 3.0), (2.6, 7.0)]), SCREEN_LIGHT)
    p.boxed(Rect(6.0, 11.0, 10.0, 13.5), GREY)
    p.boxed(Rect(3.0, 13.0, 13.0, 15.0, radius=0.6), GREY)
    return p


def drive_icon(n):
    p = Picture(n)
    usb_stick(p, 0.8, 4.0, 15.2, 12.0)
    return p


def folder(p, x0, y0, x1, y1):
    w = x1 - x0
    p.boxed(Rect(x0, y0, x0 + w * 0.45, y0 + 3.0, radius=0.6), FOLDER_DARK)
    p.boxed(Rect(x0, y0 + 1.6, x1, y1, radius=0.6), FOLDER)


def tool_upload_directory(n):
    p = Picture(n)
    folder(p, 0.5, 2.0, 15.5, 14.5)
    arrow(p, (8.0, 13.0), (8.0, 5.2), 3.2)
    return p


def tool_open(n):
    p = Picture(n)
    floppy(p, 0.5, 4.5, 11.5, 15.5)
    arrow(p, (7.0, 9.0), (15.0, 1.0), 3.4)
    return p


def tool_save(n):
    p = Picture(n)
    floppy(p, 0.5, 4.5, 11.5, 15.5)
    arrow(p, (15.0, 1.0), (7.5, 8.5), 3.4, colour=SCREEN)
    return p


def tool_format_drive(n):
    p = Picture(n)
    usb_stick(p, 0.5, 8.0, 13.0, 15.0)
    bolt = [(10.5, 0.5), (15.5, 0.5), (12.8, 4.0), (15.2, 4.0), (8.8, 10.5), (10.8, 5.6), (8.4, 5.6)]
    p.fill(Polygon(bolt), RED)
    p.fill(Stroke(bolt, p.line, closed=True), OUTLINE)
    return p


def tool_refresh(n):
    p = Picture(n)
    cx, cy, outer, inner, end = 8.0, 8.0, 6.6, 3.4, 320.0
    p.fill(Ring(cx, cy, outer, inner, 50.0, end), OUTLINE)
    p.fill(Ring(cx, cy, outer - p.line, inner + p.line, 50.0 + 6.0, end), GREEN)
    # The head sits on the arc's end and points along it, clockwise.
    a = math.radians(end)
    mid = (outer + inner) / 2.0
    ex, ey = cx + mid * math.cos(a), cy + mid * math.sin(a)
    rx, ry = math.cos(a), math.sin(a)
    tx, ty = -math.sin(a), math.cos(a)
    spread = (outer - inner) * 1.05
    head = [(ex + rx * spread, ey + ry * spread), (ex + tx * 4.2, ey + ty * 4.2), (ex - rx * spread, ey - ry * spread)]
    p.fill(Polygon(head), GREEN)
    p.fill(Stroke(head, p.line, closed=True), OUTLINE)
    return p


def tool_big_icon(n):
    p = Picture(n)
    p.boxed(Rect(1.5, 1.5, 14.5, 14.5, radius=1.0), SCREEN)
    p.fill(Rect(4.0, 4.0, 12.0, 12.0), LABEL)
    return p


def tool_small_icon(n):
    p = Picture(n)
    for x, y in [(1.0, 1.0), (9.0, 1.0), (1.0, 9.0), (9.0, 9.0)]:
        p.boxed(Rect(x, y, x + 6.0, y + 6.0, radius=0.6), SCREEN)
    return p


def tool_list(n):
    p = Picture(n)
    for column in (1.0, 9.0):
        for row in (1.0, 6.0, 11.0):
            p.fill(Rect(column, row, column + 3.0, row + 3.0), FLOPPY_BLUE)
            p.fill(Rect(column + 4.0, row + 1.0, column + 6.5, row + 2.0), OUTLINE)
    return p


def tool_detail(n):
    p = Picture(n)
    p.boxed(Rect(0.5, 0.5, 15.5, 15.5), LABEL)
    p.fill(Rect(0.5, 0.5, 15.5, 4.0), OUTLINE)
    p.fill(Rect(1.5, 1.5, 14.5, 3.0), GREY)
    for row in (6.0, 9.0, 12.0):
        p.fill(Rect(2.0, row, 4.5, row + 1.6), SCREEN)
        p.fill(Rect(5.5, row + 0.2, 14.0, row + 1.4), OUTLINE)
    return p


def gear_outline(cx, cy, outer, inner, teeth):
    points = []
    for i in range(teeth * 4):
        angle = math.radians(i * 360.0 / (teeth * 4) - 90.0 + 360.0 / (teeth * 8))
        radius = outer if (i % 4) in (1, 2) else inner
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return points


def tool_settings(n):
    p = Picture(n)
    teeth = gear_outline(8.0, 8.0, 7.5, 5.6, 8)
    p.fill(Polygon(teeth), GREY)
    p.fill(Stroke(teeth, p.line, closed=True), OUTLINE)
    p.fill(Ellipse(8.0, 8.0, 2.6), OUTLINE)
    p.fill(Ellipse(8.0, 8.0, 2.6 - p.line), LABEL)
    return p


def tool_backup(n):
    p = Picture(n)
    p.boxed(Rect(0.5, 8.5, 15.5, 15.5, radius=0.6), TRAY)
    p.fill(Rect(3.0, 10.5, 13.0, 11.5), OUTLINE)
    floppy(p, 1.5, 0.5, 9.5, 8.5)
    arrow(p, (12.2, 0.8), (12.2, 10.0), 3.0)
    return p


TOOLBAR_PICTURES = {
    1010: tool_upload_directory,
    1021: tool_open,
    1022: tool_save,
    1012: tool_format_drive,
    1013: tool_refresh,
    1053: tool_big_icon,
    1055: tool_small_icon,
    1056: tool_list,
    1054: tool_detail,
    1058: tool_settings,
    5104: tool_backup,
}

ICONS = {"app.ico": app_icon, "computer.ico": computer_icon, "drive.ico": drive_icon}


# --- file formats --------------------------------------------------------------------------------


def bgra_bottom_up(rows, hard_edges):
    """32-bit pixel data, bottom row first, as BMP and ICO store it."""
    data = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            if hard_edges:
                if a < 128:
                    r, g, b, a = MASK_COLOUR + (0,)
                else:
                    a = 255
            data += bytes((b, g, r, a))
    return bytes(data)


def bitmap_info_header(width, height):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, width * height * 4, 2835, 2835, 0, 0)


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    pixels = bgra_bottom_up(rows, hard_edges=True)
    header = bitmap_info_header(width, height)
    offset = 14 + len(header)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(header)
        f.write(pixels)


def icon_image(rows):
    """One ICO entry: header with doubled height, 32-bit colour, then the 1-bit AND mask."""
    size = len(rows)
    colour = bgra_bottom_up(rows, hard_edges=False)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return bitmap_info_header(size, size * 2) + colour + bytes(mask)


def write_ico(path, images):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for size, rows in images:
        blob = icon_image(rows)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        for entry in entries:
            f.write(entry)
        for blob in blobs:
            f.write(blob)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "ui", "images")
    os.makedirs(out, exist_ok=True)
    for size in TOOLBAR_SIZES:
        strip = [[] for _ in range(size)]
        for command in TOOLBAR_COMMANDS:
            for y, row in enumerate(TOOLBAR_PICTURES[command](size).render()):
                strip[y].extend(row)
        write_bmp(os.path.join(out, "toolbar%d.bmp" % size), strip)
    for name, draw in ICONS.items():
        write_ico(os.path.join(out, name), [(size, draw(size).render()) for size in ICON_SIZES])
    print("wrote %d toolbar strips and %d icons to %s" % (len(TOOLBAR_SIZES), len(ICONS), out), file=sys.stderr)


if __name__ == "__main__":
    main()
