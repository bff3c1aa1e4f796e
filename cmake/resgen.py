"""Writers for the small pictures in the programs' resources, drawn as text.

Each picture is a list of equal-length strings, top row first, one character per pixel. The
characters name colours of the standard 16-colour Windows palette (see PALETTE); '.' is
transparent in cursors and icons. Each program's pictures.py, beside the .rc it feeds, imports
this module and writes .bmp, .cur and .ico files into the build tree, where the .rc files pick
them up (lumora_pictures in cmake/pictures.cmake runs them).
"""

import struct

# The standard 16-colour palette, in the order of the VGA/Windows colour table.
PALETTE = [
    ("k", (0, 0, 0)),        # black
    ("m", (128, 0, 0)),      # maroon
    ("G", (0, 128, 0)),      # dark green
    ("o", (128, 128, 0)),    # olive
    ("n", (0, 0, 128)),      # navy
    ("p", (128, 0, 128)),    # purple
    ("t", (0, 128, 128)),    # teal
    ("s", (192, 192, 192)),  # silver
    ("d", (128, 128, 128)),  # dark grey
    ("r", (255, 0, 0)),      # red
    ("g", (0, 255, 0)),      # green
    ("y", (255, 255, 0)),    # yellow
    ("b", (0, 0, 255)),      # blue
    ("f", (255, 0, 255)),    # fuchsia
    ("c", (0, 255, 255)),    # cyan
    ("w", (255, 255, 255)),  # white
]
INDEX = {ch: i for i, (ch, _) in enumerate(PALETTE)}
INDEX["#"] = INDEX["k"]


def _check(rows):
    width = len(rows[0])
    if any(len(r) != width for r in rows):
        raise ValueError("rows of unequal length")
    return width, len(rows)


def _color_table():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)


def _pack4(rows, transparent_as):
    """4-bit rows bottom-up, each padded to 4 bytes."""
    width, _ = _check(rows)
    out = b""
    for row in reversed(rows):
        idx = [INDEX[transparent_as] if ch == "." else INDEX[ch] for ch in row]
        if len(idx) % 2:
            idx.append(0)
        data = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, len(idx), 2))
        out += data + b"\0" * (-len(data) % 4)
    return out


def _pack1(bits_rows):
    """1-bit rows (lists of 0/1) bottom-up, each padded to 4 bytes."""
    out = b""
    for bits in reversed(bits_rows):
        bits = bits + [0] * (-len(bits) % 8)
        data = bytes(
            sum(bit << (7 - k) for k, bit in enumerate(bits[i:i + 8]))
            for i in range(0, len(bits), 8))
        out += data + b"\0" * (-len(data) % 4)
    return out


def _info_header(width, height, bits, image_size, colors):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, colors,
                       colors)


def write_bmp(path, rows):
    """A 16-colour BMP file. '.' is not allowed: bitmaps have no transparency."""
    width, height = _check(rows)
    pixels = _pack4(rows, "k")
    table = _color_table()
    header = _info_header(width, height, 4, len(pixels), 16)
    offset = 14 + len(header) + len(table)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(header + table + pixels)


def _pad(rows, size):
    width, height = _check(rows)
    if width > size or height > size:
        raise ValueError("picture larger than %d pixels" % size)
    return [r + "." * (size - width) for r in rows] + ["." * size] * (size - height)


def write_cursor(path, rows, hotspot):
    """A 32x32 monochrome cursor: '#'/'k' black, 'w' white, '.' transparent, '~' inverted."""
    rows = _pad(rows, 32)
    and_mask = [[1 if ch in ".~" else 0 for ch in r] for r in rows]
    xor_mask = [[1 if ch in "w~" else 0 for ch in r] for r in rows]
    xor = _pack1(xor_mask)
    mask = _pack1(and_mask)
    header = _info_header(32, 64, 1, len(xor) + len(mask), 2)
    table = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + table + xor + mask
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 2, 1))
        f.write(struct.pack("<BBBBHHII", 32, 32, 2, 0, hotspot[0], hotspot[1], len(image), 22))
        f.write(image)


def write_icon(path, pictures):
    """An icon with one 16-colour image per picture (square, 16 to 255 pixels); '.' is
    transparent."""
    images = []
    for rows in pictures:
        size, _ = _check(rows)
        rows = _pad(rows, size)
        xor = _pack4(rows, "k")
        mask = _pack1([[1 if ch == "." else 0 for ch in r] for r in rows])
        header = _info_header(size, size * 2, 4, len(xor) + len(mask), 16)
        images.append((size, header + _color_table() + xor + mask))
    offset = 6 + 16 * len(images)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        for size, image in images:
            f.write(struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset))
            offset += len(image)
        for _, image in images:
            f.write(image)
