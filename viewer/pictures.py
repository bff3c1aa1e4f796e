#!/usr/bin/env python3
"""Writes the pictures of the viewer's resources (viewer/viewer.rc) into a folder:

  menu-<id>.bmp      16 x 16 popup-menu pictures, 16 colours, for the items 101-117, the
                     "File list" item 200 and its entries 300; drawn on silver (s), which
                     LR_LOADMAP3DCOLORS maps to the menu face
  zoomin.cur         104: a magnifier with a plus sign, hot spot (9, 8), 32 x 32 monochrome
  zoomout.cur        202: the same with a minus sign
  lumora.ico         105: the program icon, 32 x 32, 16 colours

Usage: viewer/pictures.py OUTPUT_FOLDER
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cmake"))
import resgen  # noqa: E402


def canvas(size=16, fill="s"):
    return [[fill] * size for _ in range(size)]


def rows(grid):
    return ["".join(r) for r in grid]


def frame(colour, inset=2):
    g = canvas()
    for i in range(inset, 16 - inset):
        for j in (inset, inset + 1, 15 - inset, 14 - inset):
            g[i][j] = colour
            g[j][i] = colour
    return rows(g)


def grid_of_squares():
    g = canvas()
    for y in (1, 6, 11):
        for x in (1, 6, 11):
            for dy in range(4):
                for dx in range(4):
                    g[y + dy][x + dx] = "n" if dy in (0, 3) or dx in (0, 3) else "c"
    return rows(g)


def arrows(inward):
    """Four diagonal arrows around a small square, pointing out of it or into it."""
    g = canvas()
    for y in range(6, 10):
        for x in range(6, 10):
            g[y][x] = "n"
    for sx, sy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
        cx = 7.5 + sx * 5.5
        cy = 7.5 + sy * 5.5
        # the shaft, from near the square to the corner
        for k in range(4):
            x = int(7.5 + sx * (2.5 + k))
            y = int(7.5 + sy * (2.5 + k))
            g[y][x] = "b"
        # the head: at the corner when pointing out, near the square when pointing in
        hx, hy = (int(cx), int(cy)) if not inward else (int(7.5 + sx * 2.5), int(7.5 + sy * 2.5))
        dx, dy = (-sx, -sy) if not inward else (sx, sy)
        for k in range(3):
            g[hy][hx + dx * k] = "b"
            g[hy + dy * k][hx] = "b"
    return rows(g)


PICTURES = {
    # 101 "Select": a red square frame
    101: frame("r"),
    # 102 "First": an arrow up to a bar
    102: [
        "ssssssssssssssss",
        "ssnnnnnnnnnnnnss",
        "ssnnnnnnnnnnnnss",
        "ssssssssssssssss",
        "sssssssbbsssssss",
        "ssssssbbbbssssss",
        "sssssbbbbbbsssss",
        "ssssbbbbbbbbssss",
        "sssbbbbbbbbbbsss",
        "ssssssbbbbssssss",
        "ssssssbbbbssssss",
        "ssssssbbbbssssss",
        "ssssssbbbbssssss",
        "ssssssbbbbssssss",
        "ssssssddddssssss",
        "ssssssssssssssss",
    ],
    # 103 "Previous": a triangle pointing up
    103: [
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "sssssssbbsssssss",
        "ssssssbbbbssssss",
        "sssssbbbbbbsssss",
        "ssssbbbbbbbbssss",
        "sssbbbbbbbbbbsss",
        "ssbbbbbbbbbbbbss",
        "sbbbbbbbbbbbbbbs",
        "sdddddddddddddds",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
    ],
    # 106 "Random": a question mark
    106: [
        "ssssssssssssssss",
        "sssssnnnnnnsssss",
        "ssssnnnnnnnnssss",
        "sssnnnsssssnnsss",
        "sssnnssssssnnsss",
        "sssssssssssnnsss",
        "ssssssssssnnssss",
        "sssssssssnnsssss",
        "ssssssssnnssssss",
        "sssssssnnsssssss",
        "sssssssnnsssssss",
        "sssssssnnsssssss",
        "ssssssssssssssss",
        "sssssssnnsssssss",
        "sssssssnnsssssss",
        "ssssssssssssssss",
    ],
    # 107 "Zoom In": a green plus
    107: [
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssGGGsssssss",
        "ssssssGgGsssssss",
        "ssssssGgGsssssss",
        "ssssssGgGsssssss",
        "ssGGGGGgGGGGGsss",
        "ssGggggggggggdss",
        "ssGGGGGgGGGGGdss",
        "ssssssGgGddddsss",
        "ssssssGgGdssssss",
        "ssssssGgGdssssss",
        "ssssssGGGdssssss",
        "sssssssdddssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
    ],
    # 108 "Zoom Out": a red minus
    108: [
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssmmmmmmmmmmmsss",
        "ssmrrrrrrrrrrdss",
        "ssmmmmmmmmmmmdss",
        "sssddddddddddsss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
    ],
    # 109 "Actual size": a blue square frame
    109: frame("b"),
    # 110 "Best fit": four arrows pointing outwards from a small square
    110: arrows(inward=False),
    # 111 "Tiled": three rows of three small squares
    111: grid_of_squares(),
    # 112 "Center": four arrows pointing inwards at a small square
    112: arrows(inward=True),
    # 113 "Settings": a wrench and a screwdriver
    113: [
        "ssssssssssssssss",
        "sddssssssssssyys",
        "sdddsssssssssyys",
        "ssdddsssssssyyss",
        "sssdddsssssyysss",
        "ssssdddssskksss",
        "sssssdddskkssss",
        "ssssssdddkkssss",
        "sssssskdddsssss",
        "ssssskkkdddssss",
        "sssskkksssddsss",
        "sssdkkssssdddss",
        "ssdddsssssdsdds",
        "sdddsssssssddss",
        "sddsssssssssss",
        "ssssssssssssssss",
    ],
    # 114 "Resume": a curved arrow
    114: [
        "ssssssssssssssss",
        "ssssssssssssssss",
        "sssssGGGGGssssss",
        "sssGGgggggGGssss",
        "ssGggGGGGGggGsss",
        "sGgGGsssssGGgGss",
        "sGgGsssssssGggGs",
        "sGgGssssssGgggggG",
        "sGgGsssssssGgggGs",
        "sGgGssssssssGgGss",
        "ssGgGsssssssGsss",
        "sssGggGGsssssss",
        "ssssGGggGGsssss",
        "ssssssGGGsssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
    ],
    # 115 "Mix images": crossing strokes
    115: [
        "ssssssssssssssss",
        "srrsssssssssbbss",
        "srrrssssssssbbbs",
        "ssrrrssssssbbbss",
        "sssrrrssssbbbsss",
        "ssssrrrssbbbssss",
        "sssssrrrbbbsssss",
        "ssssssrbbbssssss",
        "ssssssbbbrssssss",
        "sssssbbbrrrsssss",
        "ssssbbbssrrrssss",
        "sssbbbssssrrrsss",
        "ssbbbssssssrrrss",
        "sbbbssssssssrrrs",
        "sbbssssssssssrrs",
        "ssssssssssssssss",
    ],
    # 116 "Exit": a yellow checkered panel with a small blue square
    116: [
        "ssssssssssssssss",
        "skkkkkkkkkkkkkks",
        "skyoyoyoyoyoyoks",
        "skoyoyoyoyoyoyks",
        "skyoyoyoyoyoyoks",
        "skoyoyoyoyoyoyks",
        "skyoyoyoyoyoyoks",
        "skoyoyoyoybbbyks",
        "skyoyoyoyobbboks",
        "skoyoyoyoybbbyks",
        "skyoyoyoyoyoyoks",
        "skoyoyoyoyoyoyks",
        "skyoyoyoyoyoyoks",
        "skoyoyoyoyoyoyks",
        "skkkkkkkkkkkkkks",
        "ssssssssssssssss",
    ],
    # 117 "Set as wallpaper": a monitor
    117: [
        "ssssssssssssssss",
        "sddddddddddddddk",
        "sdwwwwwwwwwwwwdk",
        "sdwccccccccccwdk",
        "sdwccccccccccwdk",
        "sdwcccGGccccwdk",
        "sdwccGGGGcccwdk",
        "sdwcGGGGGGccwdk",
        "sdwGGGGGGGGGcwdk",
        "sdwwwwwwwwwwwwdk",
        "sddddddddddddddk",
        "skkkkkkkkkkkkkkk",
        "ssssssdddddsssss",
        "sssssdddddddssss",
        "ssssskkkkkkkssss",
        "ssssssssssssssss",
    ],
    # 200 "File list": an open folder
    200: [
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssoooossssssssss",
        "sowyywossssssss",
        "sowyyyoooooooss",
        "sowyyyyyyyyyoss",
        "sowyyoooooooooo",
        "sowyoyyyyyyyyyo",
        "sowoyyyyyyyyyos",
        "sooyyyyyyyyyyos",
        "soyyyyyyyyyyoss",
        "sooooooooooooss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
        "ssssssssssssssss",
    ],
    # 300 a "File list" entry: a page with a picture
    300: [
        "ssssssssssssssss",
        "ssdddddddddsssss",
        "ssdwwwwwwwdwssss",
        "ssdwwwwwwwdwwsss",
        "ssdwccccccddddss",
        "ssdwccyycccwwdss",
        "ssdwccyycccwwdss",
        "ssdwccccccGwwdss",
        "ssdwcccccGGGwdss",
        "ssdwccGGGGGGwdss",
        "ssdwGGGGGGGGwdss",
        "ssdwwwwwwwwwwdss",
        "ssdwwwwwwwwwwdss",
        "ssddddddddddddss",
        "ssssssssssssssss",
        "ssssssssssssssss",
    ],
}


def flipped(picture):
    return list(reversed(picture))


# 104 "Next" and 105 "Last" mirror 103 and 102 upside down.
PICTURES[104] = flipped(PICTURES[103])
PICTURES[105] = flipped(PICTURES[102])


def fit16(picture):
    """Pads or trims each row to 16 characters with the background, so that the art above may
    be drawn loosely."""
    out = [(r + "s" * 16)[:16] for r in picture][:16]
    return out + ["s" * 16] * (16 - len(out))


def magnifier(sign):
    """A 32 x 32 cursor: a round lens (white inside, black rim) with a plus or minus sign and a
    handle towards the bottom right; the lens centre is the hot spot (9, 8)."""
    size = 32
    g = [["."] * size for _ in range(size)]
    cx, cy, r = 9, 8, 7
    for y in range(size):
        for x in range(size):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if d2 <= (r - 1) ** 2:
                g[y][x] = "w"
            elif d2 <= (r + 1) ** 2:
                g[y][x] = "#"
    for k in range(7):  # handle
        for t in range(3):
            x, y = cx + 5 + k + t - 1, cy + 5 + k
            if 0 <= x < size and 0 <= y < size:
                g[y][x] = "#"
    for k in range(-3, 4):
        g[cy][cx + k] = "#"
        if sign == "+":
            g[cy + k][cx] = "#"
    return ["".join(r) for r in g]


def icon():
    """32 x 32: a framed landscape picture (sky, sun, hills)."""
    g = [["."] * 32 for _ in range(32)]
    for y in range(3, 29):
        for x in range(1, 31):
            edge = y in (3, 28) or x in (1, 30)
            inner = y in (4, 27) or x in (2, 29)
            g[y][x] = "k" if edge else ("o" if inner else "c")
    for y in range(5, 27):
        for x in range(3, 29):
            if (x - 22) ** 2 + (y - 10) ** 2 <= 12:
                g[y][x] = "y"
            hill = 20 - int(5 * abs(((x - 3) % 16) - 8) / 8)
            if y >= hill:
                g[y][x] = "G" if (x + y) % 5 else "g"
    return ["".join(r) for r in g]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for ident, picture in PICTURES.items():
        resgen.write_bmp(os.path.join(out, "menu-%d.bmp" % ident), fit16(picture))
    resgen.write_cursor(os.path.join(out, "zoomin.cur"), magnifier("+"), (9, 8))
    resgen.write_cursor(os.path.join(out, "zoomout.cur"), magnifier("-"), (9, 8))
    resgen.write_icon(os.path.join(out, "lumora.ico"), [icon()])


if __name__ == "__main__":
    main()
