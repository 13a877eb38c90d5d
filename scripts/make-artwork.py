#!/usr/bin/env python3
"""Draws Folioknife's program icon, hand pointer and drag pointer.

Run it after changing a drawing; its outputs are committed under resources/.
Only the standard library is used: shapes are rasterised with 4x4 supersampling.
"""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
SS = 4


def inside_polygon(x, y, poly):
    hit = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def render(size, layers):
    """layers: list of (rgba, shape) with shape(x, y) -> bool in unit coordinates 0..1."""
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SS):
                for sx in range(SS):
                    x = (px + (sx + 0.5) / SS) / size
                    y = (py + (sy + 0.5) / SS) / size
                    cr = cg = cb = ca = 0.0
                    for (lr, lg, lb, la), shape in layers:
                        if shape(x, y):
                            alpha = la / 255.0
                            cr = lr * alpha + cr * (1 - alpha)
                            cg = lg * alpha + cg * (1 - alpha)
                            cb = lb * alpha + cb * (1 - alpha)
                            ca = alpha + ca * (1 - alpha)
                    r += cr
                    g += cg
                    b += cb
                    a += ca
            n = SS * SS
            alpha = a / n
            if alpha > 0:
                row.append((round(r / n / alpha), round(g / n / alpha), round(b / n / alpha), round(alpha * 255)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def poly(points):
    return lambda x, y: inside_polygon(x, y, points)


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def stroke_polygon(points, width):
    def shape(x, y):
        for i in range(len(points)):
            ax, ay = points[i]
            bx, by = points[(i + 1) % len(points)]
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            if (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= (width / 2) ** 2:
                return True
        return False
    return shape


def program_icon_layers():
    page = [(0.16, 0.06), (0.66, 0.06), (0.84, 0.24), (0.84, 0.94), (0.16, 0.94)]
    fold = [(0.66, 0.06), (0.84, 0.24), (0.66, 0.24)]
    layers = [
        ((255, 255, 255, 255), poly(page)),
        ((205, 220, 240, 255), poly(fold)),
        ((40, 80, 150, 255), stroke_polygon(page, 0.045)),
    ]
    for i, y in enumerate((0.34, 0.44, 0.54)):
        layers.append(((120, 140, 170, 255), rect(0.26, y, 0.74 if i % 2 == 0 else 0.62, y + 0.035)))
    # The cut: a dashed line across the page and a blade that makes it.
    for i in range(6):
        x0 = 0.08 + i * 0.145
        layers.append(((220, 60, 40, 255), rect(x0, 0.665, x0 + 0.09, 0.705)))
    blade = [(0.50, 0.80), (0.96, 0.58), (0.99, 0.66), (0.60, 0.90)]
    handle = [(0.40, 0.86), (0.52, 0.80), (0.60, 0.92), (0.48, 0.98)]
    layers += [
        ((190, 200, 210, 255), poly(blade)),
        ((70, 80, 90, 255), stroke_polygon(blade, 0.025)),
        ((230, 120, 30, 255), poly(handle)),
    ]
    return layers


def hand_layers():
    # A pointing hand, index finger up; the hot spot is the fingertip.
    finger = [(0.34, 0.04), (0.46, 0.04), (0.46, 0.45), (0.34, 0.45)]
    palm = [(0.18, 0.40), (0.80, 0.40), (0.80, 0.82), (0.66, 0.96), (0.30, 0.96), (0.18, 0.78)]
    knuckles = [rect(0.46, 0.36, 0.58, 0.52), rect(0.58, 0.40, 0.69, 0.54), rect(0.69, 0.44, 0.80, 0.56)]
    layers = [((0, 0, 0, 255), stroke_polygon(finger, 0.07)), ((0, 0, 0, 255), stroke_polygon(palm, 0.07))]
    layers += [((255, 255, 255, 255), poly(finger)), ((255, 255, 255, 255), poly(palm))]
    for k in knuckles:
        layers.append(((255, 255, 255, 255), k))
    layers.append(((0, 0, 0, 255), rect(0.455, 0.40, 0.475, 0.60)))
    layers.append(((0, 0, 0, 255), rect(0.575, 0.44, 0.595, 0.60)))
    layers.append(((0, 0, 0, 255), rect(0.685, 0.48, 0.705, 0.60)))
    return layers


def drag_layers():
    up = [(0.5, 0.04), (0.82, 0.36), (0.62, 0.36), (0.62, 0.46), (0.38, 0.46), (0.38, 0.36), (0.18, 0.36)]
    down = [(x, 1.0 - y) for x, y in up]
    return [
        ((0, 0, 0, 255), stroke_polygon(up, 0.08)),
        ((0, 0, 0, 255), stroke_polygon(down, 0.08)),
        ((60, 120, 210, 255), poly(up)),
        ((60, 120, 210, 255), poly(down)),
        ((0, 0, 0, 255), rect(0.44, 0.46, 0.56, 0.54)),
    ]


def png(pixels):
    size = len(pixels)
    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bmp_entry(pixels, bits):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    body = b""
    for row in reversed(pixels):
        if bits == 32:
            body += bytes(c for r, g, b, a in row for c in (b, g, r, a))
        else:
            line = bytes(c for r, g, b, a in row for c in ((b, g, r) if a >= 128 else (0, 0, 0)))
            body += line + b"\x00" * ((4 - len(line) % 4) % 4)
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(pixels):
        bits_row = 0
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        body += bytes(line)
        del bits_row
    return header + body


def icon_file(entries, kind, hotspot=(0, 0)):
    """entries: list of (size, data, bits). kind 1 = icon, 2 = cursor."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data, bits in entries:
        dim = 0 if size >= 256 else size
        planes, count = (hotspot if kind == 2 else (1, bits))
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, planes, count, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data, _ in entries)


def write(name, data):
    path = os.path.join(OUT, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    entries = []
    for size, bits in ((32, 24), (256, 32), (128, 32), (48, 32)):
        pixels = render(size, program_icon_layers())
        write("icons/folioknife-%d.png" % size, png(pixels))
        entries.append((size, png(pixels) if size >= 256 else bmp_entry(pixels, bits), bits))
    write("folioknife.ico", icon_file(entries, 1))
    hand = render(32, hand_layers())
    write("HAND-M.CUR", icon_file([(32, bmp_entry(hand, 32), 32)], 2, hotspot=(13, 1)))
    write("icons/hand-preview.png", png(hand))
    drag = render(32, drag_layers())
    write("drag.ico", icon_file([(32, bmp_entry(drag, 32), 32)], 1))


if __name__ == "__main__":
    main()
