#!/usr/bin/python3
"""Draws the pictures of Flickon0100.dll: the two control faces, the two
toolbox bitmaps and the picture of the Fanservice page.

Run it with Debian's python3-pil whenever the artwork changes, and commit the
files it writes beside itself; the build only embeds them and needs no Python.

    /usr/bin/python3 blinker/resources/draw_resources.py
"""
import math
import os

from PIL import Image, ImageDraw, ImageFilter

HERE = os.path.dirname(os.path.abspath(__file__))

INK = (40, 44, 60)
AMBER = (255, 190, 40)
AMBER_DARK = (200, 120, 10)
SKY = (90, 150, 230)
PAPER = (236, 233, 216)  # the classic button face, so the faces sit well in a form


def lamp(draw, box, lit):
    """A round signal lamp, lit or dark."""
    x0, y0, x1, y1 = box
    draw.ellipse(box, fill=AMBER if lit else (120, 110, 90), outline=INK)
    if lit:
        w = x1 - x0
        draw.ellipse((x0 + w * 0.22, y0 + w * 0.18, x0 + w * 0.45, y0 + w * 0.38), fill=(255, 240, 190))


def draw_back():
    """Face of torFlickon: two lamps, one lit, one dark (the two phases)."""
    img = Image.new("RGB", (38, 38), PAPER)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, 37, 37), outline=(160, 160, 150))
    d.rounded_rectangle((3, 9, 34, 28), radius=6, fill=(70, 76, 96), outline=INK)
    lamp(d, (6, 12, 18, 24), True)
    lamp(d, (19, 12, 31, 24), False)
    for i in range(4):  # rays of the lit lamp
        a = math.radians(200 + i * 40)
        d.line((12 + 8 * math.cos(a), 18 + 8 * math.sin(a), 12 + 11 * math.cos(a), 18 + 11 * math.sin(a)),
               fill=AMBER_DARK)
    return img


def draw_back2():
    """Face of torFlickon2: a film strip of three frames."""
    img = Image.new("RGB", (38, 38), PAPER)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, 37, 37), outline=(160, 160, 150))
    d.rectangle((2, 10, 35, 27), fill=INK)
    for x in range(4, 35, 4):  # perforation
        d.rectangle((x, 11, x + 1, 12), fill=PAPER)
        d.rectangle((x, 25, x + 1, 26), fill=PAPER)
    colours = [AMBER, SKY, (120, 200, 120)]
    for i, c in enumerate(colours):
        x = 4 + i * 10
        d.rectangle((x, 14, x + 8, 23), fill=c)
    return img


def draw_toolbox(face):
    """16 x 15 toolbox picture: the face scaled down on the button colour."""
    small = Image.new("RGB", (16, 15), (192, 192, 192))
    thumb = face.crop((2, 8, 36, 30)).resize((16, 11), Image.LANCZOS)
    small.paste(thumb, (0, 2))
    return small


def draw_trap():
    """The Fanservice picture: a folding fan opening over an evening sky."""
    w, h = 393, 295
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):  # dusk gradient
        t = y / (h - 1)
        r = int(30 + 200 * t)
        g = int(40 + 90 * t)
        b = int(110 - 40 * t)
        for x in range(w):
            px[x, y] = (r, g, b)
    d = ImageDraw.Draw(img)
    for i in range(40):  # a few fixed stars
        sx = (i * 97) % w
        sy = (i * 53) % (h // 2)
        d.point((sx, sy), fill=(255, 255, 230))
    cx, cy, radius = w // 2, h - 30, 210
    ribs = 15
    start, end = 200, 340
    for i in range(ribs):
        a0 = start + (end - start) * i / ribs
        a1 = start + (end - start) * (i + 1) / ribs
        fill = (250, 120 + (i % 2) * 60, 150 - (i % 2) * 40)
        d.pieslice((cx - radius, cy - radius, cx + radius, cy + radius), a0, a1, fill=fill, outline=(90, 30, 40))
    for i in range(ribs + 1):  # the sticks
        a = math.radians(start + (end - start) * i / ribs)
        d.line((cx, cy, cx + radius * math.cos(a), cy + radius * math.sin(a)), fill=(80, 40, 20), width=2)
    d.ellipse((cx - 60, cy - 60, cx + 60, cy + 60), fill=(40, 30, 60))
    d.ellipse((cx - 9, cy - 9, cx + 9, cy + 9), fill=(220, 180, 60), outline=(80, 40, 20))
    d.rectangle((0, h - 22, w, h), fill=(25, 20, 40))
    return img.filter(ImageFilter.SMOOTH)


def main():
    back = draw_back()
    back2 = draw_back2()
    back.save(os.path.join(HERE, "back.bmp"))
    back2.save(os.path.join(HERE, "back2.bmp"))
    draw_toolbox(back).save(os.path.join(HERE, "toolbox_flickon.bmp"))
    draw_toolbox(back2).save(os.path.join(HERE, "toolbox_flickon2.bmp"))
    draw_trap().save(os.path.join(HERE, "trap.jpg"), quality=88)


if __name__ == "__main__":
    main()
