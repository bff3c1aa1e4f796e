#!/usr/bin/env python3
"""Writes the pictures of the shared resources (common/ui/common.rc) into a folder:

  glyph-2001.bmp .. glyph-2006.bmp   16 x 16 button glyphs, 16 colours, drawn on silver (s) with
                                     dark-grey (d) drop shadows, which LR_LOADMAP3DCOLORS turns
                                     into the system's 3D face and shadow colours
  hand.cur                           the pointing hand shown over a link, 32 x 32 monochrome

Usage: common/ui/pictures.py OUTPUT_FOLDER
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake"))
import resgen  # noqa: E402

# 2001: a green check mark.
CHECK = [
    "ssssssssssssssss",
    "ssssssssssssssss",
    "sssssssssssssGss",
    "ssssssssssssGgGs",
    "sssssssssssGggdd",
    "ssssssssssGggdds",
    "sssGssssssGgdsss",
    "ssGgGssssGggdsss",
    "sGgggGssGggdssss",
    "ssdgggGGggddssss",
    "sssdgggggddsssss",
    "ssssdgggddssssss",
    "sssssdgddsssssss",
    "ssssssddssssssss",
    "ssssssssssssssss",
    "ssssssssssssssss",
]

# 2002: a red cross.
CROSS = [
    "ssssssssssssssss",
    "ssssssssssssssss",
    "ssmrssssssssmrss",
    "ssmrrssssssmrrds",
    "sssmrrssssmrrdds",
    "ssssmrrssmrrddss",
    "sssssmrrmrrddsss",
    "ssssssmrrrddssss",
    "ssssssmrrrdsssss",
    "sssssmrrdmrrssss",
    "ssssmrrddsmrrsss",
    "sssmrrddssdmrrss",
    "ssmrrddssssdmrrs",
    "ssmrddssssssdmds",
    "sssddssssssssdds",
    "ssssssssssssssss",
]

# 2003: a bent return arrow (down, then left).
RETURN = [
    "ssssssssssssssss",
    "ssssssssssssssss",
    "sssssssssssnnsss",
    "sssssssssssnbdss",
    "sssssssssssnbdss",
    "sssssssssssnbdss",
    "ssssnsssssssnbds",
    "sssnbsssssssnbds",
    "ssnbbnnnnnnnnbds",
    "snbbbbbbbbbbbbds",
    "ssnbbddddddddddd",
    "sssnbdssssssssss",
    "ssssnbdsssssssss",
    "sssssddsssssssss",
    "ssssssssssssssss",
    "ssssssssssssssss",
]

# 2004: a question mark.
QUESTION = [
    "ssssssssssssssss",
    "sssssnnnnnssssss",
    "ssssnbbbbbnsssss",
    "sssnbbddnbbnssss",
    "sssnbbdssnbbdsss",
    "ssssddssnbbddsss",
    "sssssssnbbddssss",
    "ssssssnbbddsssss",
    "ssssssnbbdssssss",
    "ssssssnbbdssssss",
    "sssssssddsssssss",
    "ssssssnnnsssssss",
    "ssssssnbbdssssss",
    "ssssssnbbdssssss",
    "sssssssddsssssss",
    "ssssssssssssssss",
]

# 2005: a new sheet of paper with a folded corner.
SHEET = [
    "ssssssssssssssss",
    "sskkkkkkkkssssss",
    "sskwwwwwwkkkssss",
    "sskwwwwwwkwkkdss",
    "sskwwwwwwkwwkdss",
    "sskwwwwwwkkkkdss",
    "sskwwwwwwwwwkdss",
    "sskwwwwwwwwwkdss",
    "sskwwwwwwwwwkdss",
    "sskwwwwwwwwwkdss",
    "sskwwwwwwwwwkdss",
    "sskwwwwwwwwwkdss",
    "sskwwwwwwwwwkdss",
    "sskkkkkkkkkkkdss",
    "sssddddddddddddd",
    "ssssssssssssssss",
]

# 2006: a closed yellow folder with a tab.
FOLDER = [
    "ssssssssssssssss",
    "ssssssssssssssss",
    "ssooooosssssssss",
    "sowyyyyoooooooos",
    "sowwwwwwwwwwwwod",
    "sowyyyyyyyyyyyod",
    "sowyyyyyyyyyyyod",
    "sowyyyyyyyyyyyod",
    "sowyyyyyyyyyyyod",
    "sowyyyyyyyyyyyod",
    "sowyyyyyyyyyyyod",
    "sowyyyyyyyyyyyod",
    "sowyyyyyyyyyyyod",
    "sooooooooooooood",
    "ssdddddddddddddd",
    "ssssssssssssssss",
]

# 201: a pointing hand; the forefinger runs up the left edge, so that its tip sits at the hot
# spot (0, 0).
HAND = [
    ".##.............",
    "#ww#............",
    "#ww#............",
    "#ww#............",
    "#ww#............",
    "#ww###..........",
    "#ww#ww###.......",
    "#ww#ww#ww##.....",
    "#ww#ww#ww#w#....",
    "#wwwwwwwwwww#...",
    "#wwwwwwwwwww#...",
    "#wwwwwwwwwww#...",
    "#wwwwwwwwwww#...",
    "#wwwwwwwwww#....",
    "#wwwwwwwwww#....",
    "#wwwwwwwww#.....",
    ".#wwwwwwww#.....",
    ".#wwwwwwww#.....",
    ".##########.....",
]

GLYPHS = {2001: CHECK, 2002: CROSS, 2003: RETURN, 2004: QUESTION, 2005: SHEET, 2006: FOLDER}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for number, rows in GLYPHS.items():
        if len(rows) != 16 or any(len(r) != 16 for r in rows):
            sys.exit("glyph %d is not 16 x 16" % number)
        resgen.write_bmp(os.path.join(out, "glyph-%d.bmp" % number), rows)
    resgen.write_cursor(os.path.join(out, "hand.cur"), HAND, (0, 0))


if __name__ == "__main__":
    main()
