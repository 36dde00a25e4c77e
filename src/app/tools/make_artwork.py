#!/usr/bin/python3
"""Makes Dayvane's artwork into src/app/art: the program icon (dayvane.ico
and PNGs drawn for 16 to 48 px), the splash bitmap and the About logo.

The output is deterministic; the files are committed, so building never
needs this tool. Needs python3-pil and fonts-urw-base35 (Debian packages).
"""
import os
import struct
import sys
from collections import deque

from PIL import Image, ImageDraw, ImageFilter, ImageFont

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "art")
FONTS = "/usr/share/fonts/opentype/urw-base35"

# The standard 16-colour palette.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, GREEN, NAVY, SILVER, BLUE = 0, 2, 4, 7, 12

# Pixel letters, 5 x 7 and 3 x 5.
FONT_5X7 = {
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
}
FONT_3X5 = {
    "D": ["110", "101", "101", "101", "110"],
    "A": ["010", "101", "111", "101", "101"],
    "Y": ["101", "101", "010", "010", "010"],
}


def wrote(path):
    print(f"wrote {os.path.relpath(path)} ({os.path.getsize(path)} bytes)")


def icon_image(indices, opaque):
    """One 4-bit icon image (bitmap header, palette, colour bits, mask) from
    rows of palette indices (top row first) and an opacity test per pixel."""
    size = len(indices)
    colour_stride = (size * 4 + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    info = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0,
                       (colour_stride + mask_stride) * size, 0, 0, 0, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(colour_stride)
        for x in range(0, size, 2):
            row[x // 2] = (indices[y][x] << 4) | (indices[y][x + 1] if x + 1 < size else 0)
        xor += row
        bits = 0
        for x in range(mask_stride * 8):
            bits = (bits << 1) | (0 if x < size and opaque(x, y) else 1)
        mask += bits.to_bytes(mask_stride, "big")
    return info + palette + bytes(xor) + bytes(mask)


def ico_file(images):
    """An icon file from (rows of palette indices, opacity test) pairs, the
    images in the order given. One 32 x 32 image makes a file of 766 bytes."""
    header = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    data = b""
    offset = len(header) + 16 * len(images)
    for indices, opaque in images:
        size = len(indices)
        image = icon_image(indices, opaque)
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset + len(data))
        data += image
    return header + entries + data


def calendar_sheet(size):
    """The program icon drawn for `size` px as rows of palette indices: a
    light-grey header band with navy letters over a black sheet with a grid
    of blue day cells, 5 across and 4 down; at 16 px, where four rows of
    cells would squeeze the letters out, 3 down."""
    # header height; left, right, top and bottom margins; cell width and
    # height; gaps across and down; rows of cells
    layouts = {
        16: (7, 1, 1, 1, 0, 2, 2, 1, 1, 3),
        20: (7, 1, 1, 1, 1, 2, 2, 2, 1, 4),
        22: (6, 2, 2, 1, 1, 2, 2, 2, 2, 4),
        24: (8, 3, 3, 1, 1, 2, 2, 2, 2, 4),
        32: (11, 2, 2, 1, 2, 4, 3, 2, 2, 4),
        48: (16, 3, 3, 1, 2, 6, 5, 3, 3, 4),
    }
    header, left, right, top, bottom, cell_w, cell_h, gap_x, gap_y, cell_rows = layouts[size]
    assert left + 5 * cell_w + 4 * gap_x + right == size
    assert header + top + cell_rows * cell_h + (cell_rows - 1) * gap_y + bottom == size
    rows = [[SILVER if y < header else BLACK for _ in range(size)] for y in range(size)]
    for r in range(cell_rows):
        for c in range(5):
            x0 = left + c * (cell_w + gap_x)
            y0 = header + top + r * (cell_h + gap_y)
            for y in range(y0, y0 + cell_h):
                for x in range(x0, x0 + cell_w):
                    rows[y][x] = BLUE
    if size >= 32:
        font, scale = FONT_5X7, (1 if size == 32 else 2)
    else:
        font, scale = FONT_3X5, 1
    glyph_w = len(font["D"][0]) * scale
    glyph_h = len(font["D"]) * scale
    spacing = scale * (2 if font is FONT_5X7 else 1)
    width = 3 * glyph_w + 2 * spacing
    x0 = (size - width) // 2
    y0 = (header - glyph_h + 1) // 2
    for i, letter in enumerate("DAY"):
        for gy, line in enumerate(font[letter]):
            for gx, bit in enumerate(line):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            rows[y0 + gy * scale + dy][x0 + i * (glyph_w + spacing) +
                                                       gx * scale + dx] = NAVY
    return rows


def png(rows, path):
    size = len(rows)
    image = Image.new("RGBA", (size, size))
    image.putdata([PALETTE[i] + (255,) for row in rows for i in row])
    image.save(path, optimize=False)
    wrote(path)


# The sizes of the images in dayvane.ico: the 32 px design first (readers
# that take one image take that one), then those Windows asks for at other
# settings: 16 and 20 (small icons at 100 and 125 %), 24 and 48.
ICO_SIZES = (32, 16, 20, 24, 48)


def program_icon():
    path = os.path.join(ART, "dayvane.ico")
    with open(path, "wb") as out:
        out.write(ico_file([(calendar_sheet(size), lambda x, y: True) for size in ICO_SIZES]))
    wrote(path)
    for size in (16, 22, 24, 32, 48):
        png(calendar_sheet(size), os.path.join(ART, f"dayvane-{size}.png"))


def connected(pixels):
    if not pixels:
        return True
    start = next(iter(pixels))
    seen = {start}
    todo = deque([start])
    while todo:
        x, y = todo.popleft()
        for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if n in pixels and n not in seen:
                seen.add(n)
                todo.append(n)
    return len(seen) == len(pixels)


def logo_glyph(count=399):
    """A leaf on a curved stem, tuned to exactly `count` pixels that form one
    4-connected shape."""
    pixels = set()
    for y in range(32):
        for x in range(32):
            # The leaf: the lens where two discs overlap, its axis running
            # from the bottom left to the top right.
            along, across = (x - y) / 1.4142, (x + y - 31) / 1.4142
            if all((across + side * 13) ** 2 + along ** 2 < 21.8 ** 2 for side in (-1, 1)):
                pixels.add((x, y))
    # The midrib is cut out short of the tips, so the halves stay joined;
    # the stem runs on from the lower tip.
    for i in range(9, 23):
        pixels.discard((i, 31 - i))
    stem = {p for i in range(1, 7) for p in ((i, 31 - i), (i + 1, 31 - i))}
    pixels |= stem

    def neighbours(p):
        x, y = p
        return sum(n in pixels for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)))

    order = sorted(((x, y) for y in range(32) for x in range(32)),
                   key=lambda p: (abs(p[0] - 15.5) + abs(p[1] - 15.5), p))
    while len(pixels) > count:
        for p in reversed(order):
            if p in pixels and p not in stem and neighbours(p) <= 2:
                pixels.discard(p)
                if connected(pixels):
                    break
                pixels.add(p)
    while len(pixels) < count:
        for p in order:
            if p not in pixels and neighbours(p) >= 2:
                pixels.add(p)
                break
    assert len(pixels) == count and connected(pixels)
    return pixels


def logo():
    glyph = logo_glyph()
    rows = [[GREEN if (x, y) in glyph else BLACK for x in range(32)] for y in range(32)]
    path = os.path.join(ART, "logo.ico")
    with open(path, "wb") as out:
        data = ico_file([(rows, lambda x, y: (x, y) in glyph)])
        assert len(data) == 766
        out.write(data)
    wrote(path)


def splash():
    scale = 3  # drawn large, then reduced for smooth edges
    w, h = 300 * scale, 225 * scale
    image = Image.new("RGB", (w, h))
    # An almost black night with a faint blue glow near the top.
    pixels = image.load()
    for y in range(h):
        for x in range(w):
            dx, dy = (x - w * 0.5) / w, (y - h * 0.38) / h
            glow = max(0.0, 1.0 - (dx * dx * 2.2 + dy * dy * 3.5) ** 0.5)
            pixels[x, y] = (int(8 + 14 * glow), int(9 + 16 * glow), int(14 + 30 * glow))
    title_font = ImageFont.truetype(os.path.join(FONTS, "Z003-MediumItalic.otf"), 84 * scale)
    line_font = ImageFont.truetype(os.path.join(FONTS, "C059-Italic.otf"), 15 * scale)
    small_font = ImageFont.truetype(os.path.join(FONTS, "C059-Roman.otf"), 11 * scale)

    title = "Dayvane"
    box = title_font.getbbox(title)
    tx = (w - (box[2] - box[0])) // 2 - box[0]
    ty = int(h * 0.40) - (box[3] - box[1]) // 2 - box[1]
    # A soft golden glow behind warm lettering that pales towards the top.
    glow = Image.new("L", (w, h))
    ImageDraw.Draw(glow).text((tx, ty), title, font=title_font, fill=150)
    glow = glow.filter(ImageFilter.GaussianBlur(9 * scale))
    image = Image.composite(Image.new("RGB", (w, h), (120, 80, 20)), image, glow)
    letters = Image.new("L", (w, h))
    ImageDraw.Draw(letters).text((tx, ty), title, font=title_font, fill=255)
    shade = Image.new("RGB", (w, h))
    shade_px = shade.load()
    top, bottom = ty + box[1], ty + box[3]
    for y in range(h):
        t = min(1.0, max(0.0, (y - top) / max(1, bottom - top)))
        colour = (int(255 - 20 * t), int(236 - 60 * t), int(180 - 110 * t))
        for x in range(w):
            shade_px[x, y] = colour
    image = Image.composite(shade, image, letters)

    draw = ImageDraw.Draw(image)
    line_y = int(h * 0.69)
    for i in range(w // 5, w - w // 5):
        fade = 1.0 - abs(i - w / 2) / (w * 0.3)
        draw.point([(i, line_y + d) for d in range(scale)],
                   fill=(int(40 + 150 * fade), int(30 + 110 * fade), int(20 + 40 * fade)))
    for text, font, y, colour in (("Calendar & Diary", line_font, 0.78, (214, 206, 190)),
                                  ("Version 2.0", small_font, 0.88, (140, 140, 150))):
        box = font.getbbox(text)
        draw.text(((w - (box[2] - box[0])) // 2 - box[0], int(h * y) - (box[3] - box[1]) // 2 -
                   box[1]), text, font=font, fill=colour)
    image = image.resize((300, 225), Image.LANCZOS)

    rows = bytearray()
    px = image.load()
    for y in reversed(range(225)):
        for x in range(300):
            r, g, b = px[x, y]
            rows += bytes((b, g, r))
    header = b"BM" + struct.pack("<IHHI", 202554, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, 300, 225, 1, 24, 0, 202500, 2835, 2835, 0, 0)
    path = os.path.join(ART, "splash.bmp")
    with open(path, "wb") as out:
        out.write(header + info + bytes(rows))
    assert os.path.getsize(path) == 202554
    wrote(path)


def scalable_icon():
    """The program icon as SVG for the desktop's icon theme: the 32 px
    drawing, one rectangle per run of equal pixels in a row."""
    rows = calendar_sheet(32)
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
             'viewBox="0 0 32 32" shape-rendering="crispEdges">',
             '<title>Dayvane</title>']
    for y, row in enumerate(rows):
        x = 0
        while x < 32:
            end = x
            while end < 32 and row[end] == row[x]:
                end += 1
            r, g, b = PALETTE[row[x]]
            parts.append(f'<rect x="{x}" y="{y}" width="{end - x}" height="1" '
                         f'fill="#{r:02x}{g:02x}{b:02x}"/>')
            x = end
    parts.append("</svg>")
    path = os.path.join(ART, "dayvane.svg")
    with open(path, "w") as out:
        out.write("\n".join(parts) + "\n")
    wrote(path)


def main():
    os.makedirs(ART, exist_ok=True)
    program_icon()
    scalable_icon()
    splash()
    logo()
    return 0


if __name__ == "__main__":
    sys.exit(main())
