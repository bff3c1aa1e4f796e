#!/usr/bin/env python3
"""Writes the pictures of the installer's resources (setup/setup.rc) and of Vantiro.exe
(setup/vantiro/vantiro.rc) into a folder:

  setup.ico          102: the installer's icon, 32 x 32 and 16 x 16, a box with an arrow
  setup-dialog.ico   103: the icon in the main dialog, 32, 40, 48 and 64 pixels, the same box
  drive.bmp          302: 16 x 16 hard-disk picture on black (drawn with OR over its mask)
  drivemask.bmp      2005: its mask, white where the background shows, black under the disk
  folder-open.bmp    304: 16 x 16 open folder (the tree's selected image)
  folder-closed.bmp  305: 16 x 16 closed folder (the tree's normal image); both have the
                     transparent colour in their first (bottom-left) pixel
  vantiro.ico        Vantiro.exe's icon (index 0, also the icon of ".wcl" lists)

Usage: setup/pictures.py OUTPUT_FOLDER
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cmake"))
import resgen  # noqa: E402


def grid(size, fill):
    return [[fill] * size for _ in range(size)]


def rows(g):
    return ["".join(r) for r in g]


def box_icon(size):
    """A brown carton with a green arrow pointing into it."""
    g = grid(size, ".")
    s = size / 32.0
    top, bottom, left, right = int(14 * s), int(29 * s), int(4 * s), int(27 * s)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = y in (top, bottom) or x in (left, right)
            g[y][x] = "k" if edge else ("o" if (y - top) % max(1, int(5 * s)) else "y")
    mid = (left + right) // 2
    for y in range(int(1 * s), top + int(4 * s)):
        for x in range(mid - int(2 * s), mid + int(2 * s) + 1):
            g[y][x] = "G"
    tip = top + int(4 * s)
    for k in range(int(6 * s)):
        for x in range(mid - k, mid + k + 1):
            y = tip - k
            if 0 <= y < size and 0 <= x < size:
                g[y][x] = "g"
    return rows(g)


def drive():
    g = grid(16, "k")
    for y in range(5, 12):
        for x in range(1, 15):
            edge = y in (5, 11) or x in (1, 14)
            g[y][x] = "d" if edge else "s"
    for x in range(3, 9):
        g[9][x] = "d"
    g[9][12] = "g"
    return rows(g)


def drive_mask():
    picture = drive()
    return ["".join("w" if ch == "k" else "k" for ch in r) for r in picture]


def folder(open_):
    """A yellow folder on teal ('t', the first pixel: made transparent when loaded)."""
    g = grid(16, "t")
    for x in range(1, 7):
        g[3][x] = "k"
    for y in range(4, 14):
        for x in range(1, 15):
            edge = y in (4, 13) or x in (1, 14)
            g[y][x] = "k" if edge else "y"
    if open_:
        for y in range(7, 14):
            shift = (13 - y) // 2
            for x in range(3 + shift, 16 - shift if shift else 15):
                if x < 16:
                    g[y][x] = "k" if y in (7, 13) else "w"
        g[15][0] = "t"
    return rows(g)


def vantiro_icon():
    """32 x 32: a stack of three pictures fanned out."""
    g = grid(32, ".")
    for k, colour in enumerate(("r", "g", "b")):
        ox, oy = 3 + 5 * k, 3 + 5 * k
        for y in range(oy, oy + 16):
            for x in range(ox, ox + 16):
                g[y][x] = "k" if y in (oy, oy + 15) or x in (ox, ox + 15) else colour
    return rows(g)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    resgen.write_icon(os.path.join(out, "setup.ico"), [box_icon(32), box_icon(16)])
    # The main dialog's picture, drawn for 96, 120, 144 and 192 DPI; the dialog loads the size
    # nearest to its own DPI.
    resgen.write_icon(os.path.join(out, "setup-dialog.ico"),
                      [box_icon(32), box_icon(40), box_icon(48), box_icon(64)])
    resgen.write_bmp(os.path.join(out, "drive.bmp"), drive())
    resgen.write_bmp(os.path.join(out, "drivemask.bmp"), drive_mask())
    resgen.write_bmp(os.path.join(out, "folder-open.bmp"), folder(True))
    resgen.write_bmp(os.path.join(out, "folder-closed.bmp"), folder(False))
    resgen.write_icon(os.path.join(out, "vantiro.ico"), [vantiro_icon()])


if __name__ == "__main__":
    main()
