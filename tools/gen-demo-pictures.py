#!/usr/bin/env python3
"""Draws the demo's sample pictures and writes them, with a list naming them, into a folder.

Each picture is drawn here as a PPM file; ImageMagick's convert turns it into the format the
demo shows (BMP, GIF, PCX, JPEG). The list "demo.wcl" covers the three placement modes; its
lines name the pictures by their Windows path under Wine's Z: drive. The viewer shows a list's
last line first, so the lines are written in reverse order of the show.

Usage: gen-demo-pictures.py OUTPUT_FOLDER
"""

import math
import os
import subprocess
import sys


def ppm(path, width, height, pixel):
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (width, height))
        row = bytearray()
        for y in range(height):
            for x in range(width):
                row += bytes(pixel(x, y))
        f.write(row)


def clamp(v):
    return max(0, min(255, int(v)))


def sunset(x, y, w=640, h=480):
    """A sky fading from orange to purple, a sun, and a dark sea with a reflection."""
    horizon = h * 0.62
    if y < horizon:
        t = y / horizon
        r, g, b = 255 - 90 * t, 170 - 120 * t, 60 + 110 * t
        d = math.hypot(x - w * 0.5, y - horizon * 0.78)
        if d < 60:
            r, g, b = 255, 230 - d, 120
        return clamp(r), clamp(g), clamp(b)
    t = (y - horizon) / (h - horizon)
    glitter = 60 if abs(x - w * 0.5) < 40 * (1 - t * 0.5) and (y // 3) % 2 == 0 else 0
    return clamp(30 + glitter + 20 * (1 - t)), clamp(40 + glitter * 0.8), clamp(90 - 40 * t)


def tile(x, y):
    """A 96 x 96 tile: a blue and white checker with a red diamond in the middle."""
    if abs(x - 48) + abs(y - 48) < 22:
        return (200, 30, 40)
    return (30, 70, 160) if (x // 24 + y // 24) % 2 else (235, 235, 245)


def badge(x, y):
    """160 x 100: green stripes with a yellow disc, shown fitted to the screen."""
    if math.hypot(x - 80, y - 50) < 30:
        return (250, 220, 40)
    return (20, 120 + 60 * ((x // 10) % 2), 60)


def mountains(x, y, w=1024, h=768):
    """Larger than the screen: a sky, two ridges and a meadow, to zoom and pan."""
    ridge1 = h * 0.45 + 90 * math.sin(x / 110.0) + 40 * math.sin(x / 37.0)
    ridge2 = h * 0.60 + 60 * math.sin(x / 80.0 + 1.3)
    if y > ridge2:
        return (60, clamp(150 + (y - ridge2) / 4), 50)
    if y > ridge1:
        return (95, 90, 110)
    t = y / h
    return (clamp(120 + 80 * t), clamp(170 + 60 * t), 235)


# (file name, size, drawing, placement key), in the order of the show.
PICTURES = [
    ("sunset.bmp", (640, 480), sunset, "centred"),
    ("tiles.gif", (96, 96), tile, "tiled"),
    ("badge.pcx", (160, 100), badge, "stretched"),
    ("mountains.jpg", (1024, 768), mountains, "centred"),
]

CONVERT_PREFIX = {".bmp": "BMP3:", ".gif": "GIF:", ".pcx": "PCX:", ".jpg": "JPEG:"}


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = []
    for name, (w, h), draw, key in PICTURES:
        source = os.path.join(out, os.path.splitext(name)[0] + ".ppm")
        ppm(source, w, h, draw)
        target = os.path.join(out, name)
        extra = ["-type", "TrueColor"] if name.endswith(".bmp") else []
        subprocess.run(["convert", source] + extra +
                       [CONVERT_PREFIX[os.path.splitext(name)[1]] + target], check=True)
        os.remove(source)
        lines.append("%s=%s\r\n" % (key, windows_path(target)))
    with open(os.path.join(out, "demo.wcl"), "w", newline="") as f:
        f.writelines(reversed(lines))
    print(os.path.join(out, "demo.wcl"))


if __name__ == "__main__":
    main()
