#!/usr/bin/env python3
"""Draws the program's icon and toolbar images (standard library only).

Usage: draw_resources.py OUTPUT_FOLDER
Writes zuvelo.ico (32x32 and 16x16, 32-bit with alpha) and toolbar.bmp (eight 16x16 images
side by side, 4-bit, on light gray, which the toolbar maps to the button face and masks out).

Toolbar images: 0 tile (GAME, HOME), 1 back, 2 next, 3 refresh, 4 settings gear, 5 house,
6 magnifier, 7 disk.
"""
import math
import os
import struct
import sys

# The 16 standard colors: the toolbar remaps black, gray, light gray and white to the system's
# button colors, so drawings use those for outlines and shading.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
IMAGE = 16
COUNT = 8


def inside_polygon(x, y, points):
    """Even-odd rule at the point (x, y)."""
    hit = False
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


class Canvas:
    """One 16x16 image of palette indexes, sampled at pixel centres."""

    def __init__(self):
        self.pixels = [[SILVER] * IMAGE for _ in range(IMAGE)]

    def fill(self, test, color):
        for y in range(IMAGE):
            for x in range(IMAGE):
                if test(x + 0.5, y + 0.5):
                    self.pixels[y][x] = color

    def polygon(self, points, color):
        self.fill(lambda x, y: inside_polygon(x, y, points), color)

    def rect(self, x0, y0, x1, y1, color):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, color)

    def disc(self, cx, cy, r, color):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, color)

    def ring(self, cx, cy, r_in, r_out, color, gap=None):
        def test(x, y):
            d = math.hypot(x - cx, y - cy)
            if not r_in <= d <= r_out:
                return False
            if gap is None:
                return True
            angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
            return not gap[0] <= angle <= gap[1]
        self.fill(test, color)

    def outline(self, color, inside):
        """Pixels of `inside` colors that touch another color get `color`."""
        edge = []
        for y in range(IMAGE):
            for x in range(IMAGE):
                if self.pixels[y][x] not in inside:
                    continue
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                    nx, ny = x + dx, y + dy
                    if not (0 <= nx < IMAGE and 0 <= ny < IMAGE) or self.pixels[ny][nx] == SILVER:
                        edge.append((x, y))
                        break
        for x, y in edge:
            self.pixels[y][x] = color


def tile():
    c = Canvas()
    c.rect(3, 1, 13, 15, WHITE)
    c.rect(3, 12, 13, 15, GREEN)
    c.outline(BLACK, (WHITE, GREEN))
    c.disc(8, 7, 3.2, RED)
    c.disc(8, 7, 1.2, WHITE)
    return c


def arrow(pointing_left):
    c = Canvas()
    points = [(2, 8), (8, 2), (8, 5.5), (14, 5.5), (14, 10.5), (8, 10.5), (8, 14)]
    if not pointing_left:
        points = [(16 - x, y) for x, y in points]
    c.polygon(points, GREEN)
    c.outline(BLACK, (GREEN,))
    return c


def refresh():
    c = Canvas()
    c.ring(8, 8.5, 3.5, 6.2, BLUE, gap=(20, 80))
    c.polygon([(9.5, 0.5), (15.5, 3.5), (10.5, 7.5)], BLUE)
    c.outline(NAVY, (BLUE,))
    return c


def gear():
    c = Canvas()
    c.disc(8, 8, 5, GRAY)
    for k in range(8):
        a = math.radians(k * 45)
        cx, cy = 8 + 5.5 * math.cos(a), 8 + 5.5 * math.sin(a)
        c.disc(cx, cy, 1.6, GRAY)
    c.disc(8, 8, 2, SILVER)
    c.outline(BLACK, (GRAY,))
    return c


def house():
    c = Canvas()
    c.polygon([(1, 8), (8, 1.5), (15, 8)], MAROON)
    c.rect(3.5, 8, 12.5, 15, WHITE)
    c.rect(6.5, 10, 9.5, 15, OLIVE)
    c.outline(BLACK, (MAROON, WHITE))
    return c


def magnifier():
    c = Canvas()
    c.polygon([(9.5, 10.5), (10.5, 9.5), (15.5, 14.5), (14.5, 15.5)], MAROON)
    c.disc(6.5, 6.5, 5, AQUA)
    c.ring(6.5, 6.5, 3.8, 5.2, NAVY)
    return c


def disk():
    c = Canvas()
    c.rect(2, 2, 14, 14, NAVY)
    c.rect(4, 2, 12, 7, WHITE)
    c.rect(5, 9, 11, 14, GRAY)
    c.rect(9, 10, 10.5, 13, BLACK)
    return c


def toolbar_bitmap():
    images = [tile(), arrow(True), arrow(False), refresh(), gear(), house(), magnifier(), disk()]
    width = IMAGE * COUNT
    row_bytes = (width * 4 + 31) // 32 * 4
    rows = []
    for y in reversed(range(IMAGE)):  # bottom-up
        indexes = [images[x // IMAGE].pixels[y][x % IMAGE] for x in range(width)]
        packed = bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, width, 2))
        rows.append(packed.ljust(row_bytes, b"\0"))
    bits = b"".join(rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, IMAGE, 1, 4, 0, len(bits), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return header + info + palette + bits


# The icon: an upright tile, ivory face over a green back, with one red circle.
IVORY = (250, 244, 226)
JADE = (18, 122, 82)
CRIMSON = (200, 28, 36)
EDGE = (70, 60, 50)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    qx = min(max(x, x0 + r), x1 - r)
    qy = min(max(y, y0 + r), y1 - r)
    return (x - qx) ** 2 + (y - qy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1


def icon_color(u, v):
    """Color and coverage at (u, v) in the unit square, or None outside the tile."""
    body = rounded_rect(u, v, 0.16, 0.04, 0.84, 0.96, 0.1)
    if not body:
        return None
    face = rounded_rect(u, v, 0.2, 0.08, 0.8, 0.78, 0.07)
    if not face:
        return EDGE if not rounded_rect(u, v, 0.19, 0.07, 0.81, 0.93, 0.08) else JADE
    d = math.hypot(u - 0.5, v - 0.43)
    if 0.12 <= d <= 0.22 or d <= 0.06:
        return CRIMSON
    return IVORY


def icon_image(size):
    samples = 4
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            total = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    u = (x + (sx + 0.5) / samples) / size
                    v = (y + (sy + 0.5) / samples) / size
                    color = icon_color(u, v)
                    if color:
                        hits += 1
                        total = [t + c for t, c in zip(total, color)]
            if hits:
                row.append(tuple(t // hits for t in total) + (255 * hits // samples ** 2,))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    xor = b"".join(
        struct.pack("<BBBB", b, g, r, a) for row in reversed(pixels) for r, g, b, a in row)
    mask_row = (size + 31) // 32 * 4
    mask = b""
    for row in reversed(pixels):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (mask_row * 8 - 1 - x)
        mask += bits.to_bytes(mask_row, "big")
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0,
                       0, 0)
    return info + xor + mask


def icon_file():
    images = [(size, icon_image(size)) for size in (32, 16)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return data + b"".join(image for _, image in images)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "zuvelo.ico"), "wb") as out:
        out.write(icon_file())
    with open(os.path.join(folder, "toolbar.bmp"), "wb") as out:
        out.write(toolbar_bitmap())


if __name__ == "__main__":
    main()
