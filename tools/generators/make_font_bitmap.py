#!/usr/bin/python3
"""Writes the engine's built-in font: engine/render/font_bitmap.{h,cpp}.

The font is a complete 1-bit Windows bitmap file (256 x 256, black and white
palette) of 16 x 16 cells of 16 x 16 pixels. The cell of character code c is
column c % 16, row c // 16 from the top-left, in the Windows-1252 layout.
Glyphs come from DejaVu Sans Mono Bold (Debian package fonts-dejavu-core),
rendered by FreeType in monochrome mode, so there are no grey pixels to
threshold. Bold strokes are two pixels wide and survive the text's usual
shrinking to 8-10 screen pixels a cell. Codes without a printable character
get a small hollow box.

The text code samples u to u + 0.0582 of a 0.0625-wide cell, so the last
pixel column or two of a cell never shows: glyphs stay inside the left 14
columns, and inside rows 1 to 14 so neighbouring cells do not bleed into each
other. Prepared text starts sampling 2.5 rows into the cell, so the baseline
sits low enough that capitals and small letters start at row 3 or below;
only ascenders and accents reach rows 1 and 2.

Usage (from the repository root):
    /usr/bin/python3 tools/generators/make_font_bitmap.py [--png out.png]
Needs python3-pil and fonts-dejavu-core.
"""

import argparse
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
FONT_BOLD = FONT_DIR + "DejaVuSansMono-Bold.ttf"
FONT_REGULAR = FONT_DIR + "DejaVuSansMono.ttf"
# At this size the bold hinting fills these in; they use the regular weight.
REGULAR_WEIGHT = set("\u00d7\u00b1\u00de\u00fe")   # multiply, plus-minus, thorns
FONT_PX = 13          # nominal size; only a glyph larger than the box shrinks
CELL = 16
GRID = 16
SIZE = CELL * GRID    # 256
USABLE_W = 14         # columns 0..13 of a cell
TOP, BOTTOM = 1, 14   # usable rows, inclusive
BASELINE = 12         # first row below the baseline

FILE_SIZE = 14 + 40 + 8 + SIZE * SIZE // 8   # 8254
PIXEL_OFFSET = 14 + 40 + 8                   # 62

# cp1252 codes 0x80..0x9F that Windows leaves undefined.
UNDEFINED = {0x81, 0x8D, 0x8F, 0x90, 0x9D}


def char_for(code):
    """The character drawn in the cell of `code`, or None for a placeholder.

    0xA0 (no-break space) is printable and blank; 0xAD (soft hyphen) is shown
    as a hyphen, as Windows fonts do.
    """
    if code < 32 or code == 127 or code in UNDEFINED:
        return None
    if code == 0xAD:
        return "-"
    return bytes([code]).decode("cp1252")


def placeholder(cell):
    """A hollow box about the size of a digit."""
    draw = ImageDraw.Draw(cell)
    draw.rectangle([3, 3, 10, 12], outline=1)


def render_glyph(ch):
    """Renders one character into a 16 x 16 mode-"1" cell image.

    Ordinary glyphs share one baseline and are centred on the font's fixed
    advance. A glyph that would leave the usable box (accented capitals,
    brackets) is moved up or down; one that is still too large is drawn at a
    smaller size.
    """
    cell = Image.new("1", (CELL, CELL), 0)
    if ch.isspace():
        return cell
    for px in range(FONT_PX, 7, -1):
        font = ImageFont.truetype(
            FONT_REGULAR if ch in REGULAR_WEIGHT else FONT_BOLD, px)
        advance = font.getlength(ch)
        ascent, _ = font.getmetrics()
        # Draw on a roomy canvas with a known baseline, then find the ink.
        canvas = Image.new("1", (48, 48), 0)
        draw = ImageDraw.Draw(canvas)
        draw.fontmode = "1"   # FreeType monochrome rendering: no grey pixels
        ox, oy = 16, 16
        draw.text((ox, oy), ch, font=font, fill=1)
        box = canvas.getbbox()
        if box is None:
            return cell
        w, h = box[2] - box[0], box[3] - box[1]
        if w > USABLE_W or h > BOTTOM - TOP + 1:
            continue
        # Horizontal: centre the advance in the usable width, keep ink inside.
        dx = round((USABLE_W - advance) / 2) - ox
        left = box[0] + dx
        if left < 0:
            dx -= left
        if box[2] + dx > USABLE_W:
            dx -= box[2] + dx - USABLE_W
        # Vertical: baseline at BASELINE; baseline in canvas is oy + ascent.
        dy = BASELINE - (oy + ascent)
        if box[1] + dy < TOP:
            dy = TOP - box[1]
        if box[3] - 1 + dy > BOTTOM:
            dy = BOTTOM + 1 - box[3]
        cell.paste(canvas.crop(box), (box[0] + dx, box[1] + dy))
        return cell
    raise SystemExit(f"glyph {ch!r} does not fit a cell")


def build_image():
    img = Image.new("1", (SIZE, SIZE), 0)
    for code in range(256):
        ch = char_for(code)
        if ch is None:
            cell = Image.new("1", (CELL, CELL), 0)
            placeholder(cell)
        else:
            cell = render_glyph(ch)
        img.paste(cell, ((code % GRID) * CELL, (code // GRID) * CELL))
    return img


def bmp_bytes(img):
    """A 1 bpp BI_RGB Windows bitmap file; palette 0 black, 1 white."""
    header = struct.pack("<2sIHHI", b"BM", FILE_SIZE, 0, 0, PIXEL_OFFSET)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 1, 0,
                       SIZE * SIZE // 8, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    px = img.load()
    rows = bytearray()
    for y in range(SIZE - 1, -1, -1):          # bottom-up
        for xb in range(0, SIZE, 8):
            byte = 0
            for bit in range(8):               # leftmost pixel in the MSB
                if px[xb + bit, y]:
                    byte |= 0x80 >> bit
            rows.append(byte)
    data = header + info + palette + bytes(rows)
    assert len(data) == FILE_SIZE
    return data


HEADER = """\
// The engine's built-in font: a 256 x 256, 1 bit per pixel Windows bitmap
// file of 16 x 16 glyph cells in the Windows-1252 layout, white on black.
// Generated by tools/generators/make_font_bitmap.py; do not edit.
#pragma once

constexpr unsigned kFontBitmapSize = 8254;
extern const unsigned char kFontBitmap[kFontBitmapSize];
"""


def cpp_source(data):
    lines = [
        "// The engine's built-in font as a complete Windows bitmap file (8,254",
        "// bytes): 256 x 256 pixels, 1 bit per pixel, palette 0 black and 1",
        "// white, 16 x 16 cells of 16 x 16 pixels; the cell of code c is column",
        "// c % 16, row c / 16 from the top-left (Windows-1252 layout).",
        "// Glyphs rendered from DejaVu Sans Mono Bold (fonts-dejavu-core).",
        "// Generated by tools/generators/make_font_bitmap.py; do not edit.",
        '#include "engine/render/font_bitmap.h"',
        "",
        "const unsigned char kFontBitmap[kFontBitmapSize] = {",
    ]
    for i in range(0, len(data), 16):
        chunk = data[i:i + 16]
        lines.append("    " + ", ".join(f"0x{b:02x}" for b in chunk) + ",")
    lines.append("};")
    lines.append("")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out-dir", default="engine/render",
                        help="where font_bitmap.h and .cpp go")
    parser.add_argument("--png", help="also write the decoded image here")
    args = parser.parse_args()

    data = bmp_bytes(build_image())
    with open(os.path.join(args.out_dir, "font_bitmap.h"), "w") as f:
        f.write(HEADER)
    with open(os.path.join(args.out_dir, "font_bitmap.cpp"), "w") as f:
        f.write(cpp_source(data))
    if args.png:
        # Decode the bytes we wrote, not the image we drew, as a check.
        import io
        Image.open(io.BytesIO(data)).convert("RGB").save(args.png)
    return 0


if __name__ == "__main__":
    sys.exit(main())
