#!/usr/bin/env python3
"""Writes the pictures of the screen saver's resources (saver/saver.rc) into a folder:

  saver.ico    100: the program icon, a monitor showing a night landscape with a moon,
               32 x 32 and 16 x 16, 16 colours

Usage: saver/pictures.py OUTPUT_FOLDER
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cmake"))
import resgen  # noqa: E402


def monitor(size):
    """A monitor on a stand: silver case, black screen edge, a navy sky with a yellow moon and
    white stars over green hills. Drawn in proportion, so that one function gives both sizes."""
    g = [["."] * size for _ in range(size)]
    s = size / 32.0
    left, right = round(1 * s), size - 1 - round(1 * s)
    top, bottom = round(2 * s), round(23 * s)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = y in (top, bottom) or x in (left, right)
            g[y][x] = "k" if edge else "s"
    sl, sr, st, sb = left + max(1, round(2 * s)), right - max(1, round(2 * s)), \
        top + max(1, round(2 * s)), bottom - max(1, round(2 * s))
    for y in range(st, sb + 1):
        for x in range(sl, sr + 1):
            edge = y in (st, sb) or x in (sl, sr)
            g[y][x] = "d" if edge else "n"
    # the moon: a yellow disc with a bite taken out by the sky
    mx, my, r = sl + (sr - sl) * 0.7, st + (sb - st) * 0.35, 3.2 * s
    for y in range(st + 1, sb):
        for x in range(sl + 1, sr):
            if (x - mx) ** 2 + (y - my) ** 2 <= r * r and \
                    (x - mx - r * 0.6) ** 2 + (y - my + r * 0.4) ** 2 > r * r * 0.5:
                g[y][x] = "y"
    for fx, fy in ((0.15, 0.2), (0.35, 0.4), (0.5, 0.15), (0.25, 0.55)):
        g[round(st + (sb - st) * fy)][round(sl + (sr - sl) * fx)] = "w"
    for x in range(sl + 1, sr):
        hill = sb - 1 - int((2.5 + 2 * abs(((x - sl) % (12 * s)) / (12 * s) - 0.5)) * s)
        for y in range(max(hill, st + 1), sb):
            g[y][x] = "G" if (x + y) % 4 else "g"
    # the stand
    cx = size // 2
    for y in range(bottom + 1, size - round(3 * s)):
        for x in range(cx - round(2 * s), cx + round(2 * s)):
            g[y][x] = "d"
    for y in range(size - round(3 * s), size - round(1 * s)):
        for x in range(cx - round(7 * s), cx + round(7 * s)):
            g[y][x] = "k" if y == size - round(1 * s) - 1 else "s"
    return ["".join(r) for r in g]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    resgen.write_icon(os.path.join(out, "saver.ico"), [monitor(32), monitor(16)])


if __name__ == "__main__":
    main()
