#!/usr/bin/env python3
"""Draws the program's three pictures and writes them as 16-colour, 4-bit, uncompressed BMP files.

ImageMagick renders each drawing without anti-aliasing; every pixel is then mapped to the nearest colour
of the standard 16-colour palette, which every file carries whole. Run from anywhere; the files land
beside this script. The icon is also written as an icon file, which the Windows program carries. Needs
python3 and ImageMagick's `convert`.
"""
import os
import struct
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))

# The standard 16-colour palette, in the order 16-colour bitmaps store it.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
    (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def render(width, height, background, drawing):
    """Runs convert and answers the picture as rows of (r, g, b) tuples, top row first."""
    command = ["convert", "-size", f"{width}x{height}", f"xc:{background}", "+antialias"]
    command += drawing + ["-depth", "8", "ppm:-"]
    data = subprocess.run(command, check=True, capture_output=True).stdout
    # Binary PPM: "P6", width, height, maxval, each followed by one whitespace byte, then the pixels.
    fields, offset = [], 0
    while len(fields) < 4:
        while data[offset:offset + 1].isspace():
            offset += 1
        start = offset
        while not data[offset:offset + 1].isspace():
            offset += 1
        fields.append(data[start:offset])
    offset += 1
    assert fields[0] == b"P6" and int(fields[1]) == width and int(fields[2]) == height
    pixels = data[offset:offset + width * height * 3]
    return [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]


def nearest(colour):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, PALETTE[i])))


def dib(rows):
    """Rows of (r, g, b) as the header, palette and pixels of an uncompressed 4-bit bitmap."""
    height, width = len(rows), len(rows[0])
    stride = ((width * 4 + 31) // 32) * 4
    body = bytearray()
    for row in reversed(rows):  # bitmaps store the bottom row first
        indices = [nearest(c) for c in row] + [0]
        line = bytes((indices[x] << 4) | (indices[x + 1] if x + 1 < width else 0)
                     for x in range(0, width, 2))
        body += line + bytes(stride - len(line))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return width, height, palette, body


def write_bmp(name, rows):
    """Writes rows of (r, g, b) as an uncompressed 4-bit bitmap with the whole palette."""
    width, height, palette, body = dib(rows)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(body), 3780, 3780, 16, 16)
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(header + info + palette + body)


def write_ico(name, rows):
    """Writes rows of (r, g, b) as an icon file holding one opaque 4-bit image, for the Windows program.

    An icon image is a bitmap without its file header, whose height counts the colour rows and then the
    rows of the transparency mask (one bit a pixel, every bit clear: nothing is transparent)."""
    width, height, palette, body = dib(rows)
    mask = bytes(((width + 31) // 32) * 4 * height)
    info = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 4, 0, len(body) + len(mask), 0, 0, 16, 0)
    image = info + palette + body + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(image), 6 + 16)
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(directory + entry + image)


# The emblem: a yellow sun rising over two teal waves, inside a white ring.
def emblem(cx, cy, r):
    return [
        "-fill", "#FFFFFF", "-draw", f"circle {cx},{cy} {cx + r},{cy}",
        "-fill", "#000080", "-draw", f"circle {cx},{cy} {cx + r - 2},{cy}",
        "-fill", "#FFFF00", "-draw", f"circle {cx},{cy - r // 5} {cx + r // 2},{cy - r // 5}",
        "-fill", "#008080", "-draw", f"rectangle {cx - r + 3},{cy + r // 6} {cx + r - 3},{cy + r // 3}",
        "-fill", "#00FFFF", "-draw", f"rectangle {cx - r + 4},{cy + r // 2} {cx + r - 4},{cy + r // 2 + 2}",
    ]


logo = render(200, 109, "#000080", [
    "-fill", "none", "-stroke", "#FFFFFF", "-draw", "rectangle 3,3 196,105", "-stroke", "none",
    *emblem(36, 54, 27),
    "-font", "DejaVu-Sans-Bold", "-pointsize", "27", "-fill", "#FFFF00",
    "-annotate", "+70+56", "Kelvane",
    "-font", "DejaVu-Sans", "-pointsize", "12", "-fill", "#C0C0C0",
    "-annotate", "+72+78", "mise à jour",
    "-fill", "#00FFFF", "-draw", "rectangle 70,86 186,87",
])
write_bmp("logo.bmp", logo)

icon = render(32, 32, "#000080", emblem(15, 15, 15))
write_bmp("icon.bmp", icon)
write_ico("icon.ico", icon)

write_bmp("bar.bmp", [[(0, 0, 255)] * 32 for _ in range(32)])
