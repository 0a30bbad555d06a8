#!/usr/bin/python3
"""Writes the bench's test pictures into assets/.

    pic1.jpg          256 x 512  hue ramp top to bottom, grid, up arrow
    pic2.jpg          512 x 256  colour wheel on a dark grid
    pic3.bmp          512 x 512  checkerboard around a zone plate (24-bit)
    pic4.jpg          256 x 256  concentric rainbow rings, crosshair
    pic5.bmp          128 x 128  red/green ramp with a grid (24-bit)
    bitmaps/grass.jpg  64 x 64   tiling grass texture

Every picture except the grass carries its name and size in readable text
and a white triangle marked "TL" in its top-left corner, so a flipped,
mirrored, stretched or badly filtered texture shows at a glance. JPEGs are
baseline (any libjpeg reads them); BMPs are 24-bit BI_RGB, bottom-up.
Output is deterministic: the grass uses a fixed seed.

Usage (from the repository root):
    /usr/bin/python3 tools/generators/make_test_pictures.py [--out assets]
Needs python3-pil and fonts-dejavu-core.
"""

import argparse
import colorsys
import math
import os
import random
import sys

from PIL import Image, ImageDraw, ImageFont

FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
JPEG_QUALITY = 85


def font(px):
    return ImageFont.truetype(FONT_BOLD, px)


def hsv(h, s, v):
    r, g, b = colorsys.hsv_to_rgb(h % 1.0, s, v)
    return (round(r * 255), round(g * 255), round(b * 255))


def grid(draw, size, step, colour):
    w, h = size
    for x in range(0, w, step):
        draw.line([(x, 0), (x, h - 1)], fill=colour)
    for y in range(0, h, step):
        draw.line([(0, y), (w - 1, y)], fill=colour)
    # Close the right and bottom edges so the border is visible on all sides.
    draw.line([(w - 1, 0), (w - 1, h - 1)], fill=colour)
    draw.line([(0, h - 1), (w - 1, h - 1)], fill=colour)


def label(draw, centre, text, px):
    """White text with a black outline, centred on `centre`."""
    draw.text(centre, text, font=font(px), fill=(255, 255, 255),
              anchor="mm", stroke_width=max(1, px // 10),
              stroke_fill=(0, 0, 0))


def corner_marker(draw, size):
    """A white right triangle in the top-left corner, labelled "TL"."""
    s = size
    draw.polygon([(0, 0), (s, 0), (0, s)], fill=(255, 255, 255),
                 outline=(200, 0, 0))
    draw.line([(s, 0), (0, s)], fill=(200, 0, 0), width=max(1, s // 24))
    draw.text((s * 0.08, s * 0.08), "TL", font=font(max(8, s // 3)),
              fill=(200, 0, 0))


def name_plate(draw, size, name, px, y=None, x=None):
    w, h = size
    x = w / 2 if x is None else x
    y = h / 2 if y is None else y
    label(draw, (x, y - px * 0.6), name, px)
    label(draw, (x, y + px * 0.6), f"{w} x {h}", px)


def pic1():
    """Portrait: hue runs red (top) to blue (bottom), darker to the right."""
    w, h = 256, 512
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            px[x, y] = hsv(0.7 * y / (h - 1), 0.85, 1.0 - 0.5 * x / (w - 1))
    d = ImageDraw.Draw(img)
    grid(d, (w, h), 32, (0, 0, 0))
    # An arrow pointing up the picture.
    d.polygon([(128, 96), (160, 140), (140, 140), (140, 190), (116, 190),
               (116, 140), (96, 140)], fill=(255, 255, 255),
              outline=(0, 0, 0))
    label(d, (w / 2, 70), "TOP", 22)
    label(d, (w / 2, h - 30), "BOTTOM", 22)
    name_plate(d, (w, h), "pic1.jpg", 30, y=280)
    corner_marker(d, 48)
    return img


def pic2():
    """Landscape: a colour wheel (hue by angle, white at the centre)."""
    w, h = 512, 256
    img = Image.new("RGB", (w, h), (20, 24, 60))
    d = ImageDraw.Draw(img)
    grid(d, (w, h), 32, (70, 80, 140))
    px = img.load()
    cx, cy, r = 128, 128, 112
    for y in range(cy - r, cy + r + 1):
        for x in range(cx - r, cx + r + 1):
            dx, dy = x - cx, y - cy
            dist = math.hypot(dx, dy)
            if dist <= r:
                # Red at the top of the wheel, hue turning clockwise.
                hue = (math.atan2(dx, -dy) / (2 * math.pi)) % 1.0
                px[x, y] = hsv(hue, dist / r, 1.0)
    d.ellipse([cx - r, cy - r, cx + r, cy + r], outline=(0, 0, 0), width=2)
    name_plate(d, (w, h), "pic2.jpg", 32, y=110, x=384)
    label(d, (40, h - 16), "LEFT", 16)
    label(d, (w - 44, h - 16), "RIGHT", 16)
    corner_marker(d, 48)
    return img


def pic3():
    """Checkerboard of 64-pixel squares around a zone plate.

    The zone plate's rings get finer towards its edge; point sampling turns
    them into moire, good filtering fades them to grey.
    """
    w, h = 512, 512
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    colours = [(240, 150, 30), (30, 40, 110)]
    for j in range(8):
        for i in range(8):
            d.rectangle([i * 64, j * 64, i * 64 + 63, j * 64 + 63],
                        fill=colours[(i + j) % 2])
    px = img.load()
    cx, cy, r = 256, 256, 150
    k = math.pi / (2 * r)   # phase r^2 * k reaches a half cycle per pixel at the rim
    for y in range(cy - r, cy + r + 1):
        for x in range(cx - r, cx + r + 1):
            rr = (x - cx) ** 2 + (y - cy) ** 2
            if rr <= r * r:
                v = round(127.5 + 127.5 * math.cos(k * rr))
                px[x, y] = (v, v, v)
    d.ellipse([cx - r, cy - r, cx + r, cy + r], outline=(255, 40, 40),
              width=3)
    # Lines one and two pixels wide along the bottom edge.
    for i in range(0, 512, 4):
        d.line([(i, 470), (i, 500)], fill=(255, 255, 255))
    for i in range(0, 512, 8):
        d.rectangle([i, 440, i + 1, 462], fill=(0, 0, 0))
    name_plate(d, (w, h), "pic3.bmp", 40, y=60)
    corner_marker(d, 72)
    return img


def pic4():
    """Concentric rainbow rings 8 pixels wide and a crosshair."""
    w, h = 256, 256
    img = Image.new("RGB", (w, h))
    px = img.load()
    cx, cy = 127.5, 127.5
    for y in range(h):
        for x in range(w):
            ring = int(math.hypot(x - cx, y - cy) // 8)
            px[x, y] = hsv(ring / 12.0, 0.9, 1.0 if ring % 2 else 0.55)
    d = ImageDraw.Draw(img)
    d.line([(128, 0), (128, 255)], fill=(0, 0, 0), width=2)
    d.line([(0, 128), (255, 128)], fill=(0, 0, 0), width=2)
    name_plate(d, (w, h), "pic4.jpg", 28, y=200)
    label(d, (w / 2, 20), "TOP", 16)
    corner_marker(d, 48)
    return img


def pic5():
    """Red grows to the right, green downwards; 16-pixel grid."""
    w, h = 128, 128
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            px[x, y] = (round(255 * x / (w - 1)), round(255 * y / (h - 1)), 96)
    d = ImageDraw.Draw(img)
    grid(d, (w, h), 16, (255, 255, 255))
    name_plate(d, (w, h), "pic5.bmp", 16, y=76)
    corner_marker(d, 32)
    return img


def grass():
    """Blades of grass in several greens; wraps at the edges so it tiles."""
    w, h = 64, 64
    rng = random.Random(1252)
    img = Image.new("RGB", (w, h), (40, 85, 25))
    d = ImageDraw.Draw(img)
    for _ in range(420):
        x, y = rng.uniform(0, w), rng.uniform(0, h)
        length = rng.uniform(4, 11)
        lean = rng.uniform(-0.5, 0.5)
        shade = rng.uniform(0.6, 1.25)
        colour = (min(255, round(rng.uniform(40, 90) * shade)),
                  min(255, round(rng.uniform(110, 170) * shade)),
                  min(255, round(rng.uniform(20, 50) * shade)))
        tip = (x + lean * length, y - length)
        for ox in (-w, 0, w):
            for oy in (-h, 0, h):
                d.line([(x + ox, y + oy), (tip[0] + ox, tip[1] + oy)],
                       fill=colour)
    return img


def save_jpeg(img, path):
    # Baseline, optimised Huffman tables: still plain libjpeg 6b input.
    img.save(path, "JPEG", quality=JPEG_QUALITY, optimize=True,
             progressive=False)


def main():
    parser = argparse.ArgumentParser(description="Writes the test pictures.")
    parser.add_argument("--out", default="assets", help="output folder")
    args = parser.parse_args()
    os.makedirs(os.path.join(args.out, "bitmaps"), exist_ok=True)

    save_jpeg(pic1(), os.path.join(args.out, "pic1.jpg"))
    save_jpeg(pic2(), os.path.join(args.out, "pic2.jpg"))
    pic3().save(os.path.join(args.out, "pic3.bmp"), "BMP")
    save_jpeg(pic4(), os.path.join(args.out, "pic4.jpg"))
    pic5().save(os.path.join(args.out, "pic5.bmp"), "BMP")
    save_jpeg(grass(), os.path.join(args.out, "bitmaps", "grass.jpg"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
