#!/usr/bin/python3
"""Draws all of Quillet's artwork from code and writes it next to this script.

    /usr/bin/python3 app/resources/draw_artwork.py

Writes icons/*.ico, pictures/*.png, artwork.rc and the contact sheet
docs/artwork.png. Needs only Pillow (Debian's python3-pil); the output is
byte-for-byte the same on every run.

The 16 x 16 icons are pixel art: each style is a small character map of fill
colours, and the dark outline is added around the fill automatically, so the
shapes stay crisp at their real size. The larger application icon and the
32 x 32 pictures are drawn as shapes at four times their size and reduced,
which gives them soft edges in the alpha channel.

The ICO container is written here by hand (BMP-style DIB entries with an AND
mask) so that every image has exactly the colour depth Windows is asked to
pick from: 4-bit, 8-bit and 32-bit with alpha.
"""

import io
import math
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont, ImageOps

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
ICON_DIR = os.path.join(HERE, "icons")
PICTURE_DIR = os.path.join(HERE, "pictures")
SHEET_PATH = os.path.join(REPO, "docs", "artwork.png")
RC_PATH = os.path.join(HERE, "artwork.rc")

STYLES = 7

# ---------------------------------------------------------------------------
# Palette shared by every drawing, so the icons and the pictures match.

INK = (34, 46, 72)            # outline of every shape
WHITE = (255, 255, 255)

AZURE = {"H": (205, 229, 255), "L": (132, 187, 246), "B": (76, 146, 229), "D": (48, 111, 200)}
ORANGE = {"H": (255, 221, 160), "L": (255, 184, 92), "B": (241, 138, 40), "D": (204, 98, 24)}
GREEN = {"H": (196, 240, 196), "L": (120, 212, 128), "B": (64, 172, 86), "D": (40, 134, 64)}
VIOLET = {"H": (222, 206, 255), "L": (166, 134, 236), "B": (124, 88, 206), "D": (88, 58, 164)}
TEAL = {"H": (178, 238, 232), "L": (84, 200, 196), "B": (26, 160, 164), "D": (14, 122, 130)}
GOLD = {"H": (255, 243, 178), "L": (255, 218, 84), "B": (245, 188, 24), "D": (206, 146, 10)}
KRAFT = {"H": (255, 252, 240), "L": (246, 228, 186), "B": (232, 206, 156), "D": (200, 172, 122)}
RED = {"H": (255, 170, 160), "L": (255, 104, 92), "B": (229, 57, 53), "D": (170, 24, 28)}

# ---------------------------------------------------------------------------
# 16 x 16 pixel art.
#
# '.' is empty. Other characters are fill colours of the style; 'K' is an
# explicit outline pixel (for inner edges); the outer outline is added by
# outline_pixel_art() around every filled pixel.

COMMON_KEYS = {
    "K": INK,
    "W": WHITE,
    "c": (184, 206, 234),     # shade on a white quill
    "n": INK,                 # quill nib
    "s": (140, 98, 52),       # quill shaft
}


def style_keys(ramp, extra=None):
    keys = dict(COMMON_KEYS)
    keys.update(ramp)
    if extra:
        keys.update(extra)
    return keys


# Style 0: the brand - a blue speech bubble with a white quill.
ART_BUBBLE = """
................
................
..HHHHHHHHHHHH..
.LLLLLLLLLLLLWc.
.LLLLLLLLLLWWsc.
.LLWWWWWWBWWsc..
.BBBBBBBBWWscBB.
.BBBBBBBWWscBBB.
.BBWWWBBWscBBBB.
.DDDDDDWscDDDDD.
.DDDDDDsDDDDDDD.
..DDDDnDDDDDDD..
..DDD...........
..DD............
..D.............
................
"""

# Style 1: an orange quill.
ART_QUILL = """
................
.............H..
............HLB.
...........HLsB.
..........HLsBD.
.........HLsBBD.
........HLLsBDD.
.......HLLsBBD..
......HLLsBBD...
......LLsBBD....
.....LLsBDD.....
.....LsBD.......
....Ls..........
...s............
..n.............
................
"""

# Style 2: a paper envelope.
ART_ENVELOPE = """
................
................
................
.BKLLLLLLLLLLKB.
.LLKLLLLLLLLKLL.
.HHHKLLLLLLKHHH.
.HHHHKLLLLKHHHH.
.HHHHHKLLKHHHHH.
.HHHHHHKKHHHHHH.
.HHHHHHHHHHHHHH.
.HHHHHHHHHHHHHH.
.LLLLLLLLLLLLLL.
.BBBBBBBBBBBBBB.
................
................
................
"""

# Style 3: two green speech bubbles - a group chat.
ART_BUBBLES = """
................
......mmmmmmmm..
.....mmmmmmmmmm.
.....mmmmmmmmmm.
.....KKKKKmmmmm.
..HHHHHHHHKmmmm.
.LLLLLLLLLLKmmm.
.LLLLLLLLLLKmmm.
.BBBBBBBBBB.mm..
.BBBBBBBBBB..m..
.DDDDDDDDDD.....
..DDDDDDDD......
..DD............
..D.............
................
................
"""

# Style 4: a violet inkwell with a quill in it.
ART_INKWELL = """
................
.............W..
............WWc.
...........WWc..
..........WWc...
.........WWc....
.....HHHsHH.....
......LsLL......
....LLLLLLLL....
...LHLLLLLLLL...
...BHBBBBBBBB...
...BHBBBBBBBB...
...BBBBBBBBBB...
...DDDDDDDDDD...
....DDDDDDDD....
................
"""

# Style 5: a teal round badge with the letter Q.
ART_BADGE = """
................
.....HHHHHH.....
...HHLLLLLLHH...
..HLLLWWWWLLLH..
..LLLWWWWWWLLL..
.LLLWWWLLWWWLLL.
.BBBWWBBBBWWBBB.
.BBBWWBBBBWWBBB.
.BBBWWBWBBWWBBB.
.BBBWWWBWWWWBBB.
.DDDDWWWWWWDDDD.
..DDDDWWWWWWDD..
..DDDDDDDDWWDD..
...DDDDDDDDDD...
.....DDDDDD.....
................
"""

# Style 6: a golden bell.
ART_BELL = """
................
.......HH.......
......HLLB......
.....HLLBBD.....
.....LLBBBD.....
....HLLBBBBD....
....LLBBBBBD....
....LLBBBBBD....
...HLLBBBBBBD...
...LLBBBBBBBD...
..HLLBBBBBBBBD..
.LLLLLLLLLLLLLL.
................
......DDDD......
................
................
"""

STYLE_ART = [
    ("bubble", ART_BUBBLE, style_keys(AZURE, {"s": (150, 176, 214)})),
    ("quill", ART_QUILL, style_keys(ORANGE)),
    ("envelope", ART_ENVELOPE, style_keys(KRAFT)),
    ("bubbles", ART_BUBBLES, style_keys(GREEN, {"m": (170, 226, 178)})),
    ("inkwell", ART_INKWELL, style_keys(VIOLET, {"m": (120, 120, 140)})),
    ("badge", ART_BADGE, style_keys(TEAL)),
    ("bell", ART_BELL, style_keys(GOLD)),
]

# The "new message" marker: a red dot in the lower right corner, cut free of
# the picture below it by a one-pixel gap so it reads on any background.
MARKER = """
..ddd..
.dBBBd.
dBHLBBd
dBLBBBd
dBBBBBd
.dBBBd.
..ddd..
"""
MARKER_KEYS = {"d": RED["D"], "B": RED["B"], "L": RED["L"], "H": RED["H"]}
MARKER_ORIGIN = (9, 9)


def parse_art(text, keys):
    rows = [line for line in text.strip("\n").split("\n")]
    h = len(rows)
    w = len(rows[0])
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    for y, row in enumerate(rows):
        if len(row) != w:
            raise ValueError("ragged pixel art row %d: %r" % (y, row))
        for x, ch in enumerate(row):
            if ch == ".":
                continue
            img.putpixel((x, y), keys[ch] + (255,))
    return img


def outline_pixel_art(img, colour=INK):
    """Adds a one-pixel outline on the empty pixels that touch the fill
    side by side; diagonal-only neighbours stay empty, which rounds the
    corners the way hand-drawn small icons do."""
    w, h = img.size
    src = img.load()
    out = img.copy()
    dst = out.load()
    for y in range(h):
        for x in range(w):
            if src[x, y][3]:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < w and 0 <= ny < h and src[nx, ny][3]:
                    dst[x, y] = colour + (255,)
                    break
    return out


def grey_of(rgb):
    r, g, b = rgb
    v = (r * 299 + g * 587 + b * 114 + 500) // 1000
    return (v, v, v)


def to_grey(img):
    """Neutral grey with the contrast eased a little, so that even the
    white parts turn visibly grey and the red marker stands out."""
    out = img.copy()
    px = out.load()
    w, h = out.size
    for y in range(h):
        for x in range(w):
            r, g, b, a = px[x, y]
            if a:
                v = 40 + grey_of((r, g, b))[0] * 3 // 4
                px[x, y] = (v, v, v, a)
    return out


def add_marker(img):
    marker = parse_art(MARKER, MARKER_KEYS)
    mw, mh = marker.size
    ox, oy = MARKER_ORIGIN
    out = img.copy()
    px = out.load()
    mpx = marker.load()
    w, h = out.size
    # Clear a one-pixel gap around the dot (8-neighbourhood).
    for my in range(mh):
        for mx in range(mw):
            if not mpx[mx, my][3]:
                continue
            for dy in (-1, 0, 1):
                for dx in (-1, 0, 1):
                    x, y = ox + mx + dx, oy + my + dy
                    if 0 <= x < w and 0 <= y < h:
                        px[x, y] = (0, 0, 0, 0)
    out.alpha_composite(marker, (ox, oy))
    return out


def make_empty(img):
    """The 'off' phase of the blink: a faint ghost of the tray picture.
    Returns (32-bit image, image for the palette depths); the palette depths
    have only on/off transparency, so there the ghost is a grey outline."""
    w, h = img.size
    src = img.load()
    ghost = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    gpx = ghost.load()
    flat = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    fpx = flat.load()
    for y in range(h):
        for x in range(w):
            r, g, b, a = src[x, y]
            if not a:
                continue
            is_edge = (r, g, b) == INK
            grey = grey_of((r, g, b))
            # Keep a little of the hue so each style stays recognisable.
            mix = tuple((c * 2 + v * 3) // 5 for c, v in zip((r, g, b), grey))
            if is_edge:
                gpx[x, y] = (150, 158, 172, a * 58 // 100)
            else:
                gpx[x, y] = mix + (a * 26 // 100,)
            if is_edge:
                fpx[x, y] = (140, 146, 156, 255)
    return ghost, flat


def icon_set(n):
    """The four 16 x 16 pictures of one style: tray, message, grey message
    and empty (32-bit form and palette form)."""
    _name, art, keys = STYLE_ART[n]
    tray = outline_pixel_art(parse_art(art, keys))
    message = add_marker(tray)
    grey = add_marker(to_grey(tray))
    empty32, empty_flat = make_empty(tray)
    return tray, message, grey, empty32, empty_flat


# ---------------------------------------------------------------------------
# Shapes drawn at four times their size and reduced.

SCALE = 4


def erode(mask, steps):
    """Shrinks a mask by `steps` pixels; alternating square and cross
    neighbourhoods keeps the erosion close to round, so outlines keep an
    even width around curves."""
    if steps <= 0:
        return mask
    m = ImageOps.expand(mask, border=steps + 1, fill=0)
    for i in range(steps):
        if i % 2 == 0:
            m = m.filter(ImageFilter.MinFilter(3))
        else:
            m = ImageChops.darker(
                ImageChops.darker(m, ImageChops.offset(m, 1, 0)),
                ImageChops.darker(
                    ImageChops.offset(m, -1, 0),
                    ImageChops.darker(ImageChops.offset(m, 0, 1), ImageChops.offset(m, 0, -1)),
                ),
            )
    return m.crop((steps + 1, steps + 1, steps + 1 + mask.width, steps + 1 + mask.height))


def union(*masks):
    out = masks[0]
    for m in masks[1:]:
        out = ImageChops.lighter(out, m)
    return out


def minus(a, b):
    return ImageChops.subtract(a, b)


def intersect(a, b):
    return ImageChops.darker(a, b)


class Sketch:
    """A canvas of `size` pixels drawn at SCALE times; coordinates are in
    final pixels (floats allowed), edges at whole numbers land on pixel
    boundaries."""

    def __init__(self, size, scale=SCALE):
        self.size = size
        self.k = scale
        self.img = Image.new("RGBA", (size * scale, size * scale), (0, 0, 0, 0))

    # -- masks ------------------------------------------------------------
    def blank(self):
        return Image.new("L", self.img.size, 0)

    def _box(self, x0, y0, x1, y1):
        k = self.k
        return [round(x0 * k), round(y0 * k), round(x1 * k) - 1, round(y1 * k) - 1]

    def rect(self, x0, y0, x1, y1, r=0):
        m = self.blank()
        d = ImageDraw.Draw(m)
        if r > 0:
            d.rounded_rectangle(self._box(x0, y0, x1, y1), radius=round(r * self.k), fill=255)
        else:
            d.rectangle(self._box(x0, y0, x1, y1), fill=255)
        return m

    def ellipse(self, cx, cy, rx, ry=None):
        ry = rx if ry is None else ry
        m = self.blank()
        ImageDraw.Draw(m).ellipse(self._box(cx - rx, cy - ry, cx + rx, cy + ry), fill=255)
        return m

    def poly(self, pts):
        m = self.blank()
        k = self.k
        ImageDraw.Draw(m).polygon([(x * k, y * k) for x, y in pts], fill=255)
        return m

    def stroke(self, pts, width, round_caps=True):
        m = self.blank()
        k = self.k
        d = ImageDraw.Draw(m)
        sp = [(x * k, y * k) for x, y in pts]
        d.line(sp, fill=255, width=max(1, round(width * k)), joint="curve")
        if round_caps:
            r = width * k / 2
            for x, y in (sp[0], sp[-1]):
                d.ellipse([x - r, y - r, x + r, y + r], fill=255)
        return m

    # -- painting ---------------------------------------------------------
    def fill(self, mask, top, bottom=None, alpha=255):
        """Fills a mask with a vertical gradient from `top` to `bottom`."""
        bottom = top if bottom is None else bottom
        box = mask.getbbox()
        if not box:
            return
        y0, y1 = box[1], box[3]
        h = self.img.height
        column = Image.new("RGBA", (1, h), (0, 0, 0, 0))
        for y in range(h):
            t = 0.0 if y1 - 1 <= y0 else min(1.0, max(0.0, (y - y0) / (y1 - 1 - y0)))
            c = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
            column.putpixel((0, y), c + (alpha,))
        layer = column.resize(self.img.size, Image.NEAREST)
        layer.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
        self.img.alpha_composite(layer)

    def shape(self, mask, top, bottom=None, outline=INK, width=1.0, alpha=255):
        """An outlined shape: the outline colour under the whole mask, the
        gradient on the mask shrunk by the outline width."""
        if outline is not None:
            self.fill(mask, outline, alpha=alpha)
            inner = erode(mask, round(width * self.k))
        else:
            inner = mask
        self.fill(inner, top, bottom, alpha=alpha)

    def clear(self, mask):
        """Makes the masked area transparent (used to cut gaps)."""
        a = self.img.getchannel("A")
        self.img.putalpha(ImageChops.subtract(a, mask))

    def result(self):
        premultiplied = self.img.convert("RGBa")
        small = premultiplied.resize((self.size, self.size), Image.BOX)
        return small.convert("RGBA")


def feather(sk, base, tip, upper, lower, steps=24):
    """Mask of a quill's feather: two vanes along the shaft from `base` to
    `tip`, `upper` and `lower` being the widest half-widths of each vane."""
    bx, by = base
    tx, ty = tip
    length = math.hypot(tx - bx, ty - by)
    ux, uy = (tx - bx) / length, (ty - by) / length
    vx, vy = -uy, ux

    def w(t):
        return (t ** 0.55) * ((1 - t) ** 0.75)

    peak = max(w(i / 200) for i in range(201))
    up, lo = [], []
    for i in range(steps + 1):
        t = i / steps
        px, py = bx + ux * length * t, by + uy * length * t
        s = w(t) / peak
        up.append((px - vx * upper * s, py - vy * upper * s))
        lo.append((px + vx * lower * s, py + vy * lower * s))
    return sk.poly(up + lo[::-1])


def quill(sk, nib, base, tip, upper, lower, ow, shaft_w, colours):
    """A whole quill: tapered barrel from `nib` to `base`, feather from
    `base` to `tip`, a shaft line and a dark nib point."""
    top, bottom, shaft = colours
    nx, ny = nib
    bx, by = base
    length = math.hypot(bx - nx, by - ny)
    ux, uy = (bx - nx) / length, (by - ny) / length
    vx, vy = -uy, ux
    half = shaft_w
    barrel = sk.poly([
        (nx + ux * length * 0.28 - vx * half * 0.6, ny + uy * length * 0.28 - vy * half * 0.6),
        (bx - vx * half, by - vy * half),
        (bx + vx * half, by + vy * half),
        (nx + ux * length * 0.28 + vx * half * 0.6, ny + uy * length * 0.28 + vy * half * 0.6),
    ])
    point = sk.poly([
        (nx, ny),
        (nx + ux * length * 0.34 - vx * half * 0.95, ny + uy * length * 0.34 - vy * half * 0.95),
        (nx + ux * length * 0.34 + vx * half * 0.95, ny + uy * length * 0.34 + vy * half * 0.95),
    ])
    vane = feather(sk, base, tip, upper, lower)
    body = union(vane, barrel)
    sk.shape(body, top, bottom, width=ow)
    # Shaft line down the middle of the feather.
    fx, fy = tip
    sk.fill(intersect(erode(vane, round(ow * sk.k)),
                      sk.stroke([(bx, by), (bx + (fx - bx) * 0.86, by + (fy - by) * 0.86)], shaft_w * 0.55)),
            shaft)
    sk.shape(point, (70, 80, 104), INK, width=ow * 0.5)


APP_BUBBLE = ((120, 182, 246), (40, 100, 194))
QUILL_COLOURS = ((255, 255, 255), (214, 226, 242), (150, 168, 198))


def draw_app_icon(size):
    """A_MAIN at 32 and 48 pixels: a blue speech bubble with lines of text
    and a white quill writing the last line."""
    f = size / 48.0
    sk = Sketch(size)
    ow = 1.0 if size <= 32 else 1.25

    def p(x, y):
        return (x * f, y * f)

    bubble = union(
        sk.rect(1 * f, 5 * f, 44 * f, 36 * f, 10 * f),
        sk.poly([p(8, 30), p(20, 33), p(4, 46)]),
    )
    sk.shape(bubble, *APP_BUBBLE, width=ow)
    # Lines of text, the last one still being written.
    line_w = 3.4 * f
    sk.fill(sk.stroke([p(9.5, 14.5), p(29, 14.5)], line_w), (255, 255, 255), alpha=235)
    sk.fill(sk.stroke([p(9.5, 22), p(18, 22)], line_w), (255, 255, 255), alpha=235)
    quill(sk, nib=p(20.5, 28), base=p(27, 21), tip=p(46.5, 1.5),
          upper=7.0 * f, lower=4.6 * f, ow=ow, shaft_w=2.4 * f, colours=QUILL_COLOURS)
    return sk.result()


def dilate(mask, steps):
    return ImageChops.invert(erode(ImageChops.invert(ImageOps.expand(mask, steps + 1, 0)), steps)).crop(
        (steps + 1, steps + 1, steps + 1 + mask.width, steps + 1 + mask.height))


def gear(sk, cx, cy, outer, root, hole, teeth, phase=0.0):
    pts = []
    step = 2 * math.pi / teeth
    for i in range(teeth):
        a = phase + i * step
        for da, r in ((-0.5, root), (-0.27, root), (-0.17, outer), (0.17, outer), (0.27, root), (0.5, root)):
            pts.append((cx + r * math.cos(a + da * step), cy + r * math.sin(a + da * step)))
    return minus(sk.poly(pts), sk.ellipse(cx, cy, hole))


def speech_bubble(sk, x0, y0, x1, y1, r, tail):
    return union(sk.rect(x0, y0, x1, y1, r), sk.poly(tail))


def text_lines(sk, lines, width, colour=WHITE, alpha=235):
    for (x0, x1, y) in lines:
        sk.fill(sk.stroke([(x0, y), (x1, y)], width), colour, alpha=alpha)


def cut_gap(sk, mask, px=1.0):
    """Clears a gap of `px` around a shape that is about to be drawn on top
    of another, as the new-message marker of the icons does."""
    sk.clear(dilate(mask, round(px * sk.k)))


GEAR = ((214, 222, 234), (112, 126, 150))
PAPER_FILL = ((255, 255, 255), (226, 234, 244))
FOLD = ((206, 218, 234), (176, 192, 214))
WOOD = ((226, 164, 98), (170, 104, 52))
DOOR_DARK = ((64, 76, 104), (40, 50, 74))
OW = 1.0   # outline width of the 32 x 32 pictures


def picture_local_settings():
    sk = Sketch(32)
    b = speech_bubble(sk, 1, 3, 26, 21, 6, [(5, 17), (13, 20), (2, 29)])
    sk.shape(b, *APP_BUBBLE, width=OW)
    text_lines(sk, [(6, 17, 9), (6, 12, 14.5)], 2.6)
    g = gear(sk, 23, 23, 8.4, 6.4, 2.6, 8, phase=0.2)
    cut_gap(sk, union(g, sk.ellipse(23, 23, 3)))
    sk.shape(g, *GEAR, width=OW)
    return sk.result()


def picture_global_settings():
    sk = Sketch(32)
    small = gear(sk, 24, 24, 7.2, 5.4, 2.2, 8, phase=0.35)
    big = gear(sk, 13, 13, 12.0, 9.4, 3.8, 10)
    sk.shape(small, *GEAR, width=OW)
    cut_gap(sk, union(big, sk.ellipse(13, 13, 4)))
    sk.shape(big, *GEAR, width=OW)
    return sk.result()


def document(sk, x0, y0, x1, y1, fold):
    page = sk.poly([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    sk.shape(page, *PAPER_FILL, width=OW)
    corner = sk.poly([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)])
    sk.shape(corner, *FOLD, width=OW)


def picture_show_logs():
    sk = Sketch(32)
    document(sk, 4, 1, 24, 30, 6)
    for (x0, x1, y), colour in zip([(8, 16, 7), (8, 20, 11.5), (8, 18, 16), (8, 20, 20.5), (8, 14, 25)],
                                   [AZURE["B"], GREEN["B"], AZURE["B"], GREEN["B"], AZURE["B"]]):
        sk.fill(sk.stroke([(x0, y), (x1, y)], 2.0), colour)
    handle = sk.stroke([(24.5, 23.5), (29.5, 28.5)], 3.6)
    ring = sk.ellipse(20, 19, 7.2)
    cut_gap(sk, union(ring, handle))
    sk.shape(handle, (120, 90, 60), (84, 58, 36), width=OW)
    sk.shape(ring, *GEAR, width=OW)
    glass = sk.ellipse(20, 19, 5.0)
    sk.clear(glass)
    sk.fill(glass, (220, 238, 255), (170, 206, 244), alpha=150)
    sk.fill(sk.stroke([(17, 16.5), (19, 15)], 1.6), WHITE, alpha=220)
    return sk.result()


def window_shape(sk, x0, y0, x1, y1, alpha=255):
    frame = sk.rect(x0, y0, x1, y1, 1.5)
    sk.fill(frame, INK, alpha=max(alpha, 200))
    inner = erode(frame, round(OW * sk.k))
    title = intersect(inner, sk.rect(x0, y0, x1, y0 + 5))
    body = minus(inner, sk.rect(x0, y0, x1, y0 + 6))
    sk.clear(inner)
    sk.fill(title, AZURE["L"], AZURE["D"], alpha=alpha)
    sk.fill(body, (255, 255, 255), (226, 234, 244), alpha=alpha)
    sk.fill(intersect(inner, sk.rect(x0, y0 + 5, x1, y0 + 6)), INK, alpha=max(alpha, 200))
    return frame


def picture_make_transparent():
    sk = Sketch(32)
    window_shape(sk, 1, 2, 22, 21)
    for (x0, x1, y), colour in zip([(4.5, 17, 12), (4.5, 13, 16.5)], [AZURE["B"], GREEN["B"]]):
        sk.fill(sk.stroke([(x0, y), (x1, y)], 2.0), colour)
    # The front window is see-through: the back one shows through its body.
    front = Sketch(32)
    window_shape(front, 10, 11, 31, 30, alpha=95)
    sk.clear(front.img.getchannel("A").point(lambda v: 255 if v >= 200 else 0))
    sk.img.alpha_composite(front.img)
    return sk.result()


def picture_exit():
    sk = Sketch(32)
    sk.shape(sk.rect(6, 2, 21, 30), *DOOR_DARK, width=OW)
    door = sk.poly([(6, 2), (14.5, 5), (14.5, 31), (6, 30)])
    sk.shape(door, *WOOD, width=OW)
    sk.shape(sk.ellipse(12.3, 17, 1.3), GOLD["L"], GOLD["D"], width=0.6)
    arrow = union(sk.rect(16, 13, 24, 19), sk.poly([(23, 7.5), (31.5, 16), (23, 24.5)]))
    cut_gap(sk, arrow)
    sk.shape(arrow, RED["L"], RED["D"], width=OW)
    return sk.result()


def plus_badge(sk, cx, cy, r):
    disc = sk.ellipse(cx, cy, r)
    cut_gap(sk, disc)
    sk.shape(disc, GREEN["L"], GREEN["D"], width=OW)
    arm = r * 0.55
    sk.fill(union(sk.stroke([(cx - arm, cy), (cx + arm, cy)], 2.4, round_caps=False),
                  sk.stroke([(cx, cy - arm), (cx, cy + arm)], 2.4, round_caps=False)), WHITE)


def picture_new_session():
    sk = Sketch(32)
    document(sk, 4, 1, 24, 30, 6)
    b = speech_bubble(sk, 7, 8, 21, 18, 3.5, [(9, 16), (14, 17), (8, 22)])
    sk.shape(b, *APP_BUBBLE, width=OW)
    text_lines(sk, [(10, 17, 11.5), (10, 14, 14.5)], 1.8)
    plus_badge(sk, 24, 24, 7.2)
    return sk.result()


def picture_open_session():
    sk = Sketch(32)
    back = sk.poly([(1, 6), (11, 6), (13.5, 9), (29, 9), (29, 28), (1, 28)])
    sk.shape(back, GOLD["B"], GOLD["D"], width=OW)
    page = sk.rect(5, 3, 26, 22)
    sk.shape(page, *PAPER_FILL, width=OW)
    b = speech_bubble(sk, 8, 6, 22, 15, 3.5, [(10, 13), (15, 14.5), (9, 19)])
    sk.shape(b, *APP_BUBBLE, width=OW)
    text_lines(sk, [(11, 18.5, 9.5), (11, 15, 12.3)], 1.6)
    front = sk.poly([(5, 14), (31.5, 14), (28, 29), (1, 29)])
    sk.shape(front, GOLD["H"], GOLD["B"], width=OW)
    return sk.result()


def picture_default_user_name():
    """16 x 16 for the small button beside the name box: a person, and the
    arrow of going back to what it was."""
    sk = Sketch(16)
    body = sk.rect(1.5, 9.5, 11.5, 17, 4.5)
    sk.shape(body, AZURE["L"], AZURE["D"], width=0.8)
    head = sk.ellipse(6.5, 5.5, 3.4)
    cut_gap(sk, head, 0.6)
    sk.shape(head, KRAFT["H"], KRAFT["D"], width=0.8)
    # A ring open at its lower left, with the arrow head at its left end pointing down.
    ring = minus(sk.ellipse(11.8, 4.6, 4.0), sk.ellipse(11.8, 4.6, 2.0))
    ring = minus(ring, sk.poly([(11.8, 4.6), (11.8, 9), (7, 9), (7, 4.6)]))
    head_arrow = sk.poly([(6.2, 4.4), (11.2, 4.4), (8.7, 7.6)])
    arrow = union(ring, head_arrow)
    cut_gap(sk, arrow, 0.6)
    sk.shape(arrow, ORANGE["L"], ORANGE["D"], width=0.6)
    return sk.result()


PICTURES = [
    ("IDP_LOCAL_SETTINGS", picture_local_settings),
    ("IDP_GLOBAL_SETTINGS", picture_global_settings),
    ("IDP_SHOW_LOGS", picture_show_logs),
    ("IDP_MAKE_TRANSPARENT", picture_make_transparent),
    ("IDP_EXIT", picture_exit),
    ("IDP_NEW_SESSION", picture_new_session),
    ("IDP_OPEN_SESSION", picture_open_session),
    ("IDP_DEFAULT_USER_NAME", picture_default_user_name),
]


# ---------------------------------------------------------------------------
# ICO container.

OPAQUE = 128   # alpha from which a pixel counts as opaque in the palette images


def palette_image(img, bpp):
    """Reduces an RGBA image to a palette of 2**bpp colours and an on/off
    mask. Index 0 is black and stands under every transparent pixel: Windows
    draws an icon as (screen AND mask) XOR colour, so the colour there must be 0."""
    ncol = 1 << bpp
    w, h = img.size
    px = img.load()
    opaque = [px[x, y][:3] for y in range(h) for x in range(w) if px[x, y][3] >= OPAQUE]
    unique = sorted(set(opaque))
    if len(unique) <= ncol - 1:
        colours = unique
    else:
        strip = Image.new("RGB", (len(opaque), 1))
        strip.putdata(opaque)
        q = strip.quantize(colors=ncol - 1, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        pal = q.getpalette()[: 3 * (ncol - 1)]
        used = sorted(set(q.getdata()))
        colours = sorted({tuple(pal[3 * i: 3 * i + 3]) for i in used})
    palette = [(0, 0, 0)] + [c for c in colours if c != (0, 0, 0)]
    palette += [(0, 0, 0)] * (ncol - len(palette))
    cache = {}

    def nearest(c):
        if c not in cache:
            cache[c] = min(range(len(palette)),
                           key=lambda i: (sum((a - b) ** 2 for a, b in zip(c, palette[i])), i))
        return cache[c]

    indices = [[0] * w for _ in range(h)]
    mask = [[1] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            r, g, b, a = px[x, y]
            if a >= OPAQUE:
                indices[y][x] = nearest((r, g, b))
                mask[y][x] = 0
    return palette, indices, mask


def _pad4(data):
    return data + b"\0" * (-len(data) % 4)


def _mask_rows(mask, w, h):
    out = b""
    for y in range(h - 1, -1, -1):
        row = bytearray((w + 7) // 8)
        for x in range(w):
            if mask[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        out += _pad4(bytes(row))
    return out


def dib_image(img, bpp):
    """One icon image as Windows stores it: BITMAPINFOHEADER (height doubled
    for the mask), colour table, XOR bitmap and AND mask, rows bottom-up."""
    w, h = img.size
    if bpp == 32:
        px = img.load()
        xor = b""
        for y in range(h - 1, -1, -1):
            row = bytearray()
            for x in range(w):
                r, g, b, a = px[x, y]
                row += bytes((b, g, r, a)) if a else b"\0\0\0\0"
            xor += bytes(row)
        mask = [[1 if px[x, y][3] == 0 else 0 for x in range(w)] for y in range(h)]
        table = b""
    elif bpp in (4, 8):
        palette, indices, mask = palette_image(img, bpp)
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
        xor = b""
        for y in range(h - 1, -1, -1):
            if bpp == 8:
                row = bytes(indices[y])
            else:
                row = bytes((indices[y][x] << 4) | (indices[y][x + 1] if x + 1 < w else 0)
                            for x in range(0, w, 2))
            xor += _pad4(row)
    else:
        raise ValueError("unsupported depth %d" % bpp)
    and_mask = _mask_rows(mask, w, h)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + table + xor + and_mask


def ico_bytes(images):
    """images: list of (RGBA image, bits per pixel)."""
    count = len(images)
    blobs = [dib_image(img, bpp) for img, bpp in images]
    out = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    for (img, bpp), blob in zip(images, blobs):
        w, h = img.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 16 if bpp == 4 else 0, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def read_ico(data):
    """Decodes the ICO files written above (used for the contact sheet, so
    that it shows what the files really hold)."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    result = []
    for i in range(count):
        bw, bh, ncol, _r, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        hdr = struct.unpack_from("<IiiHHIIiiII", data, offset)
        w, h2, hbpp = hdr[1], hdr[2], hdr[4]
        h = h2 // 2
        if (w, h, hbpp) != ((bw or 256), (bh or 256), bpp) or planes != 1:
            raise ValueError("directory entry %d does not match its image" % i)
        pos = offset + 40
        palette = []
        if bpp <= 8:
            for c in range(1 << bpp):
                b, g, r, _ = data[pos: pos + 4]
                palette.append((r, g, b))
                pos += 4
        stride = ((w * bpp + 31) // 32) * 4
        mstride = ((w + 31) // 32) * 4
        xor_at, and_at = pos, pos + stride * h
        if and_at + mstride * h != offset + size:
            raise ValueError("image %d has the wrong size" % i)
        img = Image.new("RGBA", (w, h))
        for y in range(h):
            row = xor_at + (h - 1 - y) * stride
            mrow = and_at + (h - 1 - y) * mstride
            for x in range(w):
                masked = data[mrow + x // 8] & (0x80 >> (x % 8))
                if bpp == 32:
                    b, g, r, a = data[row + 4 * x: row + 4 * x + 4]
                    img.putpixel((x, y), (r, g, b, a))
                    continue
                if bpp == 8:
                    idx = data[row + x]
                else:
                    byte = data[row + x // 2]
                    idx = (byte >> 4) if x % 2 == 0 else (byte & 15)
                img.putpixel((x, y), (0, 0, 0, 0) if masked else palette[idx] + (255,))
        result.append((w, h, bpp, img))
    return result


# ---------------------------------------------------------------------------
# Output.

DEPTHS = (32, 8, 4)


def build_icons():
    """Returns {resource name: [(RGBA image, bpp), ...]} in resource order."""
    icons = {}
    app = [draw_app_icon(48), draw_app_icon(32), icon_set(0)[0]]
    icons["A_MAIN"] = [(img, bpp) for img in app for bpp in DEPTHS]
    sets = [icon_set(n) for n in range(STYLES)]
    for n, (tray, _m, _g, _e, _f) in enumerate(sets):
        icons["IDI_TRAY_%d" % n] = [(tray, bpp) for bpp in DEPTHS]
    for n, (_t, message, _g, _e, _f) in enumerate(sets):
        icons["IDI_MESSAGE_%d" % n] = [(message, bpp) for bpp in DEPTHS]
    for n, (_t, _m, grey, _e, _f) in enumerate(sets):
        icons["IDI_MESSAGE_%dA" % n] = [(grey, bpp) for bpp in DEPTHS]
    for n, (_t, _m, _g, empty32, empty_flat) in enumerate(sets):
        icons["IDI_EMPTY_%d" % n] = [(empty32, 32), (empty_flat, 8), (empty_flat, 4)]
    return icons


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return False
    except FileNotFoundError:
        pass
    with open(path, "wb") as f:
        f.write(data)
    return True


def png_bytes(img):
    buf = io.BytesIO()
    img.save(buf, format="PNG", optimize=True)
    return buf.getvalue()


def rc_text(icon_names, picture_names):
    lines = [
        "// Icons and pictures of Quillet. Generated by draw_artwork.py - edit that",
        "// script and run it again instead of editing this file.",
        "",
    ]
    for name in icon_names:
        lines.append('%s ICON "icons/%s.ico"' % (name, name))
    lines.append("")
    for name in picture_names:
        lines.append('%s PNG_PICTURES "pictures/%s.png"' % (name, name))
    return "\n".join(lines) + "\n"


# ---------------------------------------------------------------------------
# Contact sheet.

LIGHT = (240, 240, 240)
DARK = (32, 33, 38)
SHEET_BG = (250, 250, 252)
LABEL = (40, 44, 56)


def tile(img, bg, zoom):
    t = Image.new("RGBA", img.size, bg + (255,))
    t.alpha_composite(img)
    t = t.convert("RGB")
    return t.resize((img.width * zoom, img.height * zoom), Image.NEAREST) if zoom != 1 else t


def contact_sheet(decoded, pictures):
    """decoded: {name: [(w, h, bpp, image)]} read back from the ICO files,
    so the sheet shows what the files really hold."""
    font = ImageFont.load_default()
    pad, cell = 10, 64 + 10
    label_w = 120
    group_rows = [("IDI_TRAY_%d", "tray"), ("IDI_MESSAGE_%d", "message"),
                  ("IDI_MESSAGE_%dA", "message, grey"), ("IDI_EMPTY_%d", "empty")]
    panel_w = STYLES * cell + pad
    width = label_w + 2 * panel_w + pad
    sheet = Image.new("RGB", (width, 2400), SHEET_BG)
    d = ImageDraw.Draw(sheet)

    def text(x, y, s):
        d.text((x, y), s, fill=LABEL, font=font)

    def image_of(name, bpp, size=16):
        for w, _h, b, img in decoded[name]:
            if b == bpp and w == size:
                return img
        raise KeyError((name, bpp, size))

    def panels(y, h):
        for p, bg in enumerate((LIGHT, DARK)):
            x0 = label_w + p * panel_w
            d.rectangle([x0, y, x0 + panel_w - 1, y + h - 1], fill=bg)

    y = pad
    text(pad, y, "Quillet artwork - generated by app/resources/draw_artwork.py")
    y += 24

    text(pad, y, "16 x 16 icons: 32-bit images at 4x, on a light and on a dark background")
    y += 16
    for p in range(2):
        for n in range(STYLES):
            text(label_w + p * panel_w + pad + n * cell + 12, y, "style %d" % n)
    y += 14
    panels(y, len(group_rows) * cell + pad)
    y += pad
    for r, (pattern, label) in enumerate(group_rows):
        text(pad, y + r * cell + 28, label)
        for p, bg in enumerate((LIGHT, DARK)):
            x0 = label_w + p * panel_w + pad
            for n in range(STYLES):
                sheet.paste(tile(image_of(pattern % n, 32), bg, 4), (x0 + n * cell, y + r * cell))
    y += len(group_rows) * cell + 2 * pad

    text(pad, y, "Actual size: tray, message, grey message and empty, styles 0-6, each colour depth")
    y += 16
    panels(y, 3 * 26 + 6)
    for k, bpp in enumerate(DEPTHS):
        text(pad, y + 8 + k * 26, "%d-bit" % bpp)
        for p, bg in enumerate((LIGHT, DARK)):
            x0 = label_w + p * panel_w + pad
            for r, (pattern, _label) in enumerate(group_rows):
                for n in range(STYLES):
                    sheet.paste(tile(image_of(pattern % n, bpp), bg, 1),
                                (x0 + r * 132 + n * 18, y + 6 + k * 26))
    y += 3 * 26 + 6 + 2 * pad

    text(pad, y, "Palette images at 2x: 8-bit on the left, 4-bit on the right")
    y += 16
    panels(y, len(group_rows) * 40 + pad)
    y += pad // 2 + 2
    for r, (pattern, label) in enumerate(group_rows):
        text(pad, y + r * 40 + 10, label)
        for p, (bpp, bg) in enumerate(((8, LIGHT), (4, LIGHT), (8, DARK), (4, DARK))):
            x0 = label_w + (p // 2) * panel_w + pad + (p % 2) * (STYLES * 36 + 14)
            for n in range(STYLES):
                sheet.paste(tile(image_of(pattern % n, bpp), bg, 2), (x0 + n * 36, y + r * 40))
    y += len(group_rows) * 40 + 2 * pad

    text(pad, y, "A_MAIN: the 48, 32 and 16 pixel 32-bit images at 4x")
    y += 16
    x = label_w
    for bg in (LIGHT, DARK):
        for size in (48, 32, 16):
            sheet.paste(tile(image_of("A_MAIN", 32, size), bg, 4), (x, y))
            x += size * 4 + pad
    y += 192 + pad
    text(pad, y, "A_MAIN: 32-, 8- and 4-bit images of each size at 2x, then at 1x on light and dark")
    y += 16
    x = label_w
    for bpp in DEPTHS:
        for size in (48, 32, 16):
            sheet.paste(tile(image_of("A_MAIN", bpp, size), LIGHT, 2), (x, y))
            x += size * 2 + 6
        x += 2 * pad
    y += 96 + pad
    x = label_w
    for bg in (LIGHT, DARK):
        for bpp in DEPTHS:
            for size in (48, 32, 16):
                sheet.paste(tile(image_of("A_MAIN", bpp, size), bg, 1), (x, y))
                x += size + 6
            x += pad
    y += 48 + 2 * pad

    text(pad, y, "Pictures, 32 x 32 with alpha: 4x on light and dark, 1x on the button face")
    y += 16
    for i, (name, img) in enumerate(pictures):
        x = pad + i * (128 + 2 * pad)
        sheet.paste(tile(img, LIGHT, 4), (x, y))
        sheet.paste(tile(img, DARK, 4), (x, y + 128 + 6))
        face = Image.new("RGB", (48, 44), (240, 240, 240))
        face.paste(tile(img, (240, 240, 240), 1), (8, 6))
        sheet.paste(face, (x, y + 2 * 128 + 12))
        text(x + 52, y + 2 * 128 + 20, name[4:].lower().replace("_", " ").replace(" ", "\n", 1))
    y += 2 * 128 + 12 + 44 + pad
    return sheet.crop((0, 0, width, y))


def main():
    os.makedirs(ICON_DIR, exist_ok=True)
    os.makedirs(PICTURE_DIR, exist_ok=True)
    os.makedirs(os.path.dirname(SHEET_PATH), exist_ok=True)
    changed = []

    icons = build_icons()
    decoded = {}
    for name, images in icons.items():
        data = ico_bytes(images)
        decoded[name] = read_ico(data)
        path = os.path.join(ICON_DIR, name + ".ico")
        if write_if_changed(path, data):
            changed.append(path)

    pictures = [(name, draw()) for name, draw in PICTURES]
    for name, img in pictures:
        path = os.path.join(PICTURE_DIR, name + ".png")
        if write_if_changed(path, png_bytes(img)):
            changed.append(path)

    rc = rc_text(list(icons), [name for name, _ in pictures]).encode("ascii")
    if write_if_changed(RC_PATH, rc):
        changed.append(RC_PATH)

    if write_if_changed(SHEET_PATH, png_bytes(contact_sheet(decoded, pictures))):
        changed.append(SHEET_PATH)

    for path in changed:
        print("wrote", os.path.relpath(path, REPO))
    print("%d icons, %d pictures; %d files changed" % (len(icons), len(pictures), len(changed)))


if __name__ == "__main__":
    main()
