#!/usr/bin/python3
"""Draws every built-in picture of ポロメア into the directory given as argv[1].

Usage:  /usr/bin/python3 tools/draw_pictures.py ui/pictures

Everything is drawn from code with Pillow and Debian's fonts, so the pictures
can be redrawn at any time; the output is byte-for-byte the same on rerun.

Coordinates are in pixels from the top-left corner.  Shapes are described in
continuous coordinates where pixel i covers [i, i+1); they are rendered
SS times larger and box-filtered down, which gives soft edges while leaving
flat areas at their exact colour.  Each shown picture is also drawn for dense
screens, 2 and 3 device pixels to its pixel (name@2x.png, name@3x.png): the
same shapes at k times the scale, so their edges stay one device pixel soft.
"""

import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SS = 8  # supersampling factor for soft edges

# Colours shared by the face and the parts placed on it.  The parts must
# reproduce the face's colours exactly or a seam shows around each slot.
SKIN = (0xCC, 0xFF, 0x99)
LAVENDER = (0x99, 0x99, 0xCC)
NAVY = (0x1A, 0x1A, 0x77)
NECK = (0xCC, 0xFF, 0xCC)
INK = (0x08, 0x08, 0x08)
HAIR = (0x00, 0x00, 0x00)
RED = (0xFF, 0x00, 0x00)
WHITE = (0xFF, 0xFF, 0xFF)
EMPTY_BG = (0xD0, 0xFF, 0xA0)
PINK = (0xFF, 0xB3, 0xB3)

PART = 50  # parts and covers are PART x PART pixels

# Head outline on the face, as continuous bands.  The left and right bands are
# mirror images about x = 149, the axis of the two ear slots, so that the
# ears (which mirror each other exactly) both line up with the outline.
HEAD_LEFT, HEAD_RIGHT = 61.5, 236.5
HEAD_TOP, HEAD_BOTTOM = 18.5, 268.5
OUTLINE = 4.0
HAIRLINE = 67.0
NECK_LEFT, NECK_RIGHT = 105.5, 188.5

# Only fonts from Debian's fonts-noto-cjk, which `make pictures` installs, so
# every machine draws the same pictures.
FONT_DIR = "/usr/share/fonts/opentype/noto"


def font(name, size):
    path = os.path.join(FONT_DIR, name)
    if not os.path.exists(path):
        sys.exit(f"draw_pictures: {path} missing; install fonts-noto-cjk")
    return ImageFont.truetype(path, size, index=0)  # index 0: the JP face


SANS_BOLD = "NotoSansCJK-Bold.ttc"
SERIF_BOLD = "NotoSerifCJK-Bold.ttc"


# ---------------------------------------------------------------- geometry

def cubic(p0, p1, p2, p3, n=48):
    """Points along a cubic Bezier curve, both ends included."""
    pts = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        a, b, c, d = u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t
        pts.append((a * p0[0] + b * p1[0] + c * p2[0] + d * p3[0],
                    a * p0[1] + b * p1[1] + c * p2[1] + d * p3[1]))
    return pts


def path(*segments):
    """Joins cubic Bezier segments into one polyline.  The first segment has
    four points; each later one three, starting where the last one ended."""
    pts = []
    for seg in segments:
        part = cubic(*(seg if not pts else (pts[-1],) + tuple(seg)))
        pts.extend(part if not pts else part[1:])
    return pts


def mirror_x(pts, axis):
    return [(2 * axis - x, y) for x, y in pts]


def resample(pts, step=0.2):
    """Evenly spaced points along a polyline, so discs drawn on them overlap."""
    out = [pts[0]]
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        n = max(1, int(math.hypot(x1 - x0, y1 - y0) / step))
        out.extend((x0 + (x1 - x0) * i / n, y0 + (y1 - y0) * i / n)
                   for i in range(1, n + 1))
    return out


class Canvas:
    """An RGB picture drawn SS times larger, in continuous coordinates, for a
    screen of k device pixels to the pixel."""

    def __init__(self, w, h, bg, ss=SS, k=1):
        self.w, self.h, self.s, self.ss = w, h, ss * k, ss
        self.img = Image.new("RGB", (w * ss * k, h * ss * k), bg)
        self.draw = ImageDraw.Draw(self.img)

    def _p(self, pts):
        # a continuous point lands on the centre of its sub-pixel
        return [(x * self.s - 0.5, y * self.s - 0.5) for x, y in pts]

    def rect(self, x0, y0, x1, y1, fill):
        """Fills [x0, x1) x [y0, y1) exactly (edges snapped to sub-pixels)."""
        s = self.s
        a, b = round(x0 * s), round(x1 * s)
        c, d = round(y0 * s), round(y1 * s)
        if a < b and c < d:
            self.draw.rectangle([a, c, b - 1, d - 1], fill=fill)

    def polygon(self, pts, fill):
        self.draw.polygon(self._p(pts), fill=fill)

    def ellipse(self, cx, cy, rx, ry, fill):
        s = self.s
        self.draw.ellipse([(cx - rx) * s, (cy - ry) * s,
                           (cx + rx) * s - 1, (cy + ry) * s - 1], fill=fill)

    def stroke(self, pts, width, fill):
        """A round-ended pen stroke; width is a number or a function of the
        position 0..1 along the stroke."""
        pts = resample(pts)
        n = len(pts) - 1
        for i, (x, y) in enumerate(pts):
            w = width(i / n) if callable(width) else width
            self.ellipse(x, y, w / 2, w / 2, fill)

    def mask(self, fill_fn):
        """A greyscale coverage mask at the working resolution."""
        m = Image.new("L", self.img.size, 0)
        fill_fn(ImageDraw.Draw(m), self._p)
        return m

    def paint(self, colour_or_image, mask):
        src = colour_or_image
        if isinstance(src, tuple):
            src = Image.new("RGB", self.img.size, src)
        self.img.paste(src, (0, 0), mask)

    def result(self):
        return self.img.reduce(self.ss)


def blend(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


# ---------------------------------------------------------------- palettes

def to_palette(img, keys=()):
    """Converts RGB to a palette image of at most 256 colours.

    Pictures with few colours keep every colour exactly.  Otherwise the key
    colours and the large flat areas keep their exact value and the rest is
    median-cut; each colour then maps to its nearest palette entry."""
    colours = img.getcolors(img.width * img.height)
    colours.sort(key=lambda t: (-t[0], t[1]))
    if len(colours) <= 256:
        palette = [c for _, c in colours]
    else:
        total = img.width * img.height
        fixed = list(dict.fromkeys(
            [tuple(k) for k in keys]
            + [c for n, c in colours[:64] if n * 200 >= total]))
        room = 256 - len(fixed)
        q = img.quantize(room, method=Image.Quantize.MEDIANCUT,
                         dither=Image.Dither.NONE)
        flat = q.getpalette()[:3 * room]
        extra = [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]
        palette = fixed + [c for c in dict.fromkeys(extra) if c not in fixed]
        palette = palette[:256]
    index = {}
    for _, c in colours:
        best, bestd = 0, None
        for i, p in enumerate(palette):
            d = (c[0] - p[0]) ** 2 + (c[1] - p[1]) ** 2 + (c[2] - p[2]) ** 2
            if bestd is None or d < bestd:
                best, bestd = i, d
                if d == 0:
                    break
        index[c] = best
    out = Image.new("P", img.size)
    out.putpalette([v for c in palette for v in c])
    out.putdata([index[c] for c in img.getdata()])
    for k in keys:
        if tuple(k) not in palette:
            raise SystemExit(f"draw_pictures: lost key colour {k}")
    return out


def save_gif(img, path, keys=()):
    """Single frame GIF89a, every pixel opaque (no transparent index)."""
    p = img if img.mode == "P" else to_palette(img, keys)
    p.info = {"version": b"89a"}
    p.save(path, format="GIF", interlace=0, optimize=False)
    check = Image.open(path).convert("RGB")
    if list(check.getdata()) != list(p.convert("RGB").getdata()):
        raise SystemExit(f"draw_pictures: {path} did not round-trip")


# ---------------------------------------------------------------- parts

def draw_mouth(k=1):
    c = Canvas(PART, PART, SKIN, k=k)
    # Left half only; the right half is its mirror image.
    upper_top = path(((1.25, 22.2), (4.5, 19.5), (9.5, 16.0), (14.5, 16.0)),
                     ((19.0, 16.0), (22.0, 18.6), (25.0, 19.3)))
    c.polygon(upper_top + [(25.2, 23.0), (1.25, 23.0)], INK)
    lower_bottom = path(((1.25, 24.6), (6.0, 30.0), (14.0, 33.0), (25.2, 33.0)))
    c.polygon([(1.25, 24.0), (25.2, 24.0)] + lower_bottom[::-1], INK)
    c.rect(0, 23, 25.2, 24, SKIN)  # the line where the lips meet
    return mirror_left_half(c.result())


def mirror_left_half(img):
    """Makes a picture symmetric by reflecting its left half onto the right."""
    half = img.crop((0, 0, img.width // 2, img.height))
    img.paste(half.transpose(Image.Transpose.FLIP_LEFT_RIGHT),
              (img.width - half.width, 0))
    return img


NOSE_BRIDGE = path(((17.5, 6.5), (17.2, 13.5), (15.8, 21.0), (14.8, 28.0)))
NOSE_WING = path(((14.8, 28.0), (13.8, 31.5), (2.5, 33.0), (2.5, 40.0)),
                 ((2.5, 44.0), (4.5, 47.5), (9.0, 47.5)))
NOSE_BASE = [(9.0, 47.5), (25.0, 47.5)]
NOSTRIL = path(((12.0, 46.5), (12.0, 42.5), (16.5, 41.0), (19.5, 43.5)))


def draw_nose(k=1):
    c = Canvas(PART, PART, SKIN, k=k)
    # A soft highlight on the tip, kept inside the nose's outline.
    inside = NOSE_BRIDGE + NOSE_WING + mirror_x(NOSE_WING + NOSE_BRIDGE, 25)[::-1]
    shape = c.mask(lambda d, f: d.polygon(f(inside), fill=255))
    glow = Image.new("L", c.img.size, 0)
    gd = ImageDraw.Draw(glow)
    s = c.s
    gd.ellipse([14 * s, 24 * s, 36 * s, 48 * s], fill=150)
    gd.ellipse([21 * s, 8 * s, 29 * s, 30 * s], fill=90)
    glow = glow.filter(ImageFilter.GaussianBlur(5 * s))
    c.paint((0xEA, 0xFF, 0xD2), ImageChops.multiply(glow, shape))
    pen = 3.0
    for stroke in (NOSE_BRIDGE, NOSE_WING, NOSE_BASE, NOSTRIL):
        c.stroke(stroke, pen, INK)
    return mirror_left_half(c.result())


# Rim of the left ear, centre of its pen line.  It leaves the head outline
# just below the slot's top edge and rejoins it just above the bottom edge, so
# the slot's top and bottom rows show nothing but the outline, exactly as the
# bare face does there.
EAR_RIM = path(((47.5, 2.5), (44.0, 6.0), (30.0, 3.0), (24.5, 12.0)),
               ((20.0, 19.0), (19.8, 28.0), (22.0, 33.0)),
               ((24.5, 39.0), (31.0, 44.8), (38.0, 44.8)),
               ((42.0, 44.8), (45.0, 44.5), (47.5, 44.0)))


def inward(pts, i, dist):
    """The point dist pixels inside the ear from rim point i."""
    (x0, y0), (x1, y1) = pts[max(0, i - 1)], pts[min(len(pts) - 1, i + 1)]
    n = math.hypot(x1 - x0, y1 - y0)
    return pts[i][0] + dist * (y1 - y0) / n, pts[i][1] - dist * (x1 - x0) / n


def draw_left_ear(k=1):
    c = Canvas(PART, PART, LAVENDER, k=k)
    mid = 49.5 - OUTLINE / 2  # centre of the head outline inside the slot
    c.rect(49.5, 0, 50, 50, SKIN)  # head interior beyond the outline
    c.polygon(EAR_RIM, SKIN)
    c.stroke(EAR_RIM, lambda t: OUTLINE + 1.6 * math.sin(math.pi * t) ** 0.5,
             NAVY)
    rim = resample(EAR_RIM, 0.5)
    n = len(rim)
    # inner fold: follows the rim a few pixels in, then curls towards the
    # ear's opening
    fold = [inward(rim, i, 6.5 + 1.5 * math.sin(math.pi * i / n))
            for i in range(n * 8 // 100, n * 70 // 100)]
    fold += path((fold[-1], (fold[-1][0] + 3.0, fold[-1][1] - 0.5),
                  (mid - 6.0, 33.0), (mid - 5.5, 28.5)))[1:]
    c.stroke(fold, lambda t: 1.6 + 1.0 * math.sin(math.pi * t), NAVY)
    c.rect(49.5 - OUTLINE, -1, 49.5, 51, NAVY)
    return c.result()


def arc_points(cx, cy, rx, ry):
    """Upper half of an ellipse, left end to right end (an upturned bowl)."""
    return [(cx - rx * math.cos(math.pi * i / 120),
             cy - ry * math.sin(math.pi * i / 120)) for i in range(121)]


def brush(t):
    """A pen that is fullest in the middle of the stroke."""
    return 5.0 + 1.2 * math.sin(math.pi * t)


MOLE_BOX = (0, 22, 7, 28)  # [x0, x1) x [y0, y1) the mole stays inside


def draw_eye(mole, k=1):
    c = Canvas(PART, PART, SKIN, k=k)
    c.stroke(arc_points(23.5, 14.0, 19.5, 8.8), brush, INK)  # eyebrow
    c.stroke(arc_points(23.0, 36.0, 18.0, 8.8), brush, INK)  # smiling eye
    if mole:
        c.ellipse(3.5, 25.0, 3.3, 3.0, INK)
    return c.result()


# ---------------------------------------------------------------- covers

def draw_cover(digit, k=1):
    c = Canvas(PART, PART, RED, k=k)
    # Noto Serif's digits are rather light at this size; a thin stroke of
    # their own colour makes them bold enough to read across the table.
    s = c.s
    f = font(SERIF_BOLD, 48 * s)
    pen = 5 * k
    # Same size and baseline for every digit; only the horizontal position
    # depends on the digit, which is centred by its ink.
    box = f.getbbox(str(digit), anchor="ls", stroke_width=pen)
    x = (PART * s - (box[2] - box[0])) / 2 - box[0]
    c.draw.text((round(x), 48 * s - pen), str(digit), font=f, fill=WHITE,
                anchor="ls", stroke_width=pen, stroke_fill=WHITE)
    return c.result()


# ---------------------------------------------------------------- empty

def draw_empty(k=1):
    c = Canvas(PART, PART, EMPTY_BG, k=k)
    hook = path(((8.0, 14.5), (10.0, 9.0), (17.0, 9.8), (25.5, 9.8)),
                ((34.5, 9.8), (43.0, 10.5), (42.8, 15.5)),
                ((42.6, 20.0), (33.0, 21.0), (27.5, 24.0)),
                ((24.5, 25.8), (24.3, 28.5), (24.3, 31.0)))

    def pen(t):
        return 7.5 - 3.8 * max(0.0, (t - 0.55) / 0.45) ** 1.2
    c.stroke(hook, pen, HAIR)
    c.ellipse(8.0, 14.5, 5.0, 4.3, HAIR)  # ball on the hook's end
    c.ellipse(24.0, 43.5, 8.5, 5.5, HAIR)  # the dot
    return c.result()


# ---------------------------------------------------------------- face

def draw_face(k=1):
    c = Canvas(300, 300, LAVENDER, k=k)
    t = OUTLINE
    # neck first; the head's bottom outline then covers its top end
    c.rect(NECK_LEFT, HEAD_BOTTOM - t, NECK_RIGHT, 301, NAVY)
    c.rect(NECK_LEFT + t, HEAD_BOTTOM - t, NECK_RIGHT - t, 301, NECK)
    c.rect(HEAD_LEFT, HEAD_TOP, HEAD_RIGHT, HEAD_BOTTOM, NAVY)
    c.rect(HEAD_LEFT + t, HEAD_TOP + t, HEAD_RIGHT - t, HEAD_BOTTOM - t, SKIN)
    c.rect(HEAD_LEFT + t, HEAD_TOP + t, HEAD_RIGHT - t, HAIRLINE, HAIR)
    c.polygon([(96, 29), (85, HAIRLINE + 1), (123, HAIRLINE + 1)], SKIN)
    c.rect(HEAD_LEFT + t, HAIRLINE, HEAD_RIGHT - t, HAIRLINE + 2, SKIN)
    return c.result()


# ---------------------------------------------------------------- title

def glyph_mask(text, face, size, stroke=0):
    """Coverage of some text, cropped to its ink."""
    f = font(face, size)
    box = f.getbbox(text, stroke_width=stroke)
    m = Image.new("L", (box[2] - box[0] + 4, box[3] - box[1] + 4), 0)
    ImageDraw.Draw(m).text((2 - box[0], 2 - box[1]), text, font=f, fill=255,
                           stroke_width=stroke, stroke_fill=255)
    return m.crop(m.getbbox())


def grow(mask, px):
    """The mask widened by px pixels on every side: the same as a square
    MaxFilter, but in a few passes of shifted copies, which keeps the dense
    pictures' wide filters from taking minutes."""
    def shifted(img, dx, dy):
        out = Image.new("L", img.size, 0)
        out.paste(img, (dx, dy))
        return out
    for axis in ((1, 0), (0, 1)):
        reach = 0  # mask now holds the maximum over [-reach, reach]
        while reach < px:
            d = min(2 * reach + 1, px - reach)
            mask = ImageChops.lighter(mask, ImageChops.lighter(
                shifted(mask, d * axis[0], d * axis[1]), shifted(mask, -d * axis[0], -d * axis[1])))
            reach += d
    return mask


def block_letter(ch, w, s):
    """A red character standing on a yellow 3-D block, upright, as an RGBA
    layer at s times the final size.  w is the block's front width; the
    block's front bottom-left corner is returned as the anchor point."""
    h, dx, dy = 0.26 * w, 0.24 * w, -0.15 * w  # front height, depth
    body = glyph_mask(ch, SANS_BOLD, round(1.16 * w * s),
                      stroke=round(0.02 * w * s))
    depth = round(0.05 * w * s)  # how far the letter's sides show
    lw = max(body.width + depth + 4 * s, round((w + dx) * s) + 4 * s)
    lh = body.height + depth + round((h - dy) * s) + 4 * s
    layer = Image.new("RGBA", (lw, lh), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    x0, y0 = 2 * s, lh - 2 * s - round(h * s)  # front top-left corner

    def p(pts):
        return [(x0 + x * s, y0 + y * s) for x, y in pts]
    front = [(0, 0), (w, 0), (w, h), (0, h)]
    top = [(0, 0), (dx, dy), (w + dx, dy), (w, 0)]
    side = [(w, 0), (w + dx, dy), (w + dx, h + dy), (w, h)]
    edge = (0x8A, 0x5A, 0x00, 255)
    for shape, colour in ((front, (0xFF, 0xD4, 0x00, 255)),
                          (top, (0xFF, 0xF4, 0x7A, 255)),
                          (side, (0xDC, 0xA0, 0x00, 255))):
        d.polygon(p(shape), fill=colour, outline=edge, width=max(1, s))
    # the letter stands in the middle of the block's top face
    gx = x0 + round((w + dx) * s / 2) - (body.width + depth) // 2
    gy = y0 + round(dy * s / 2) - body.height - depth + round(0.02 * w * s)
    for k in range(depth, 0, -1):
        layer.paste((0x7A, 0x00, 0x10, 255), (gx + k, gy + k), body)
    layer.paste((0x5A, 0x00, 0x00, 255), (gx, gy), grow(body, s))
    layer.paste((0xF2, 0x12, 0x12, 255), (gx, gy), body)
    return layer, (x0, y0 + round(h * s))


def place(canvas, layer, anchor, at, tilt, s):
    """Rotates the layer by tilt degrees about its anchor and pastes it with
    the anchor landing on canvas point at (in final pixels)."""
    turned = layer.rotate(-tilt, resample=Image.Resampling.BICUBIC,
                          center=anchor, expand=False)
    canvas.img.paste(turned, (round(at[0] * s) - anchor[0],
                              round(at[1] * s) - anchor[1]), turned)


def gradient(w, h, stops):
    """Vertical gradient image through (position 0..1, colour) stops."""
    col = Image.new("RGB", (1, h))
    for yy in range(h):
        t = yy / max(1, h - 1)
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                col.putpixel((0, yy), blend(c0, c1, (t - t0) / (t1 - t0)))
                break
    return col.resize((w, h))


def draw_title(k=1):
    c = Canvas(534, 363, PINK, ss=4, k=k)  # the title is large; 4x is plenty for smooth edges
    s = c.s
    # ポロ: each character on its own block, the blocks tilted apart
    for ch, at, tilt in (("ポ", (34, 170), -7), ("ロ", (170, 157), 6)):
        layer, anchor = block_letter(ch, 96, s)
        shade = Image.new("RGBA", layer.size, (0, 0, 0, 0))
        shade.paste((0xD0, 0x84, 0x84, 255), (0, 0), layer.getchannel("A"))
        place(c, shade, anchor, (at[0] + 7, at[1] + 6), tilt, s)
        place(c, layer, anchor, at, tilt, s)

    # メア: heavy brush-like letters with a graded fill, larger and lower
    text = glyph_mask("メア", SERIF_BOLD, 170 * s, stroke=5 * s)
    tw, th = text.size
    ox, oy = 526 * s - tw, 322 * s - th
    # cast shadow: a flattened copy slanted back from the letters' feet
    rise = th * 24 // 100
    flat = text.resize((tw, rise), Image.Resampling.BOX)
    lean = 1.15
    slant = round(lean * rise)
    flat = flat.transform((tw + slant, rise), Image.Transform.AFFINE,
                          (1, -lean, 0, 0, 1, 0),
                          resample=Image.Resampling.BICUBIC)
    c.img.paste((0x8E, 0x8E, 0x8E),
                (ox - slant + 4 * s, oy + th - rise + 18 * s), flat)
    c.img.paste((0x6A, 0x0C, 0x00), (ox, oy), grow(text, 2 * s))
    fill = gradient(tw, th, [(0.0, (0xFF, 0x00, 0x00)),
                             (0.5, (0xFF, 0x8C, 0x00)),
                             (1.0, (0xFF, 0xF2, 0x00))])
    c.img.paste(fill, (ox, oy), text)
    return c.result()


# ---------------------------------------------------------------- banner

BANNER_W, BANNER_H, BANNER_SPLIT = 567, 113, 56


def draw_banner(k=1):
    s = 4 * k
    img = Image.new("RGB", (BANNER_W * k, BANNER_H * k), WHITE)
    for y in range(BANNER_SPLIT * k):
        img.paste((255, min(250, round(250 * y / k / (BANNER_SPLIT - 1))), 0),
                  (0, y, BANNER_W * k, y + 1))
    words = "CONGRATULATIONS !!"
    f = font(SANS_BOLD, 30 * s)
    cap = f.getbbox("H")
    f = font(SANS_BOLD, round(30 * s * 22 * s / (cap[3] - cap[1])))
    box = f.getbbox(words)
    m = Image.new("L", (box[2] - box[0] + 8, box[3] - box[1] + 8), 0)
    ImageDraw.Draw(m).text((4 - box[0], 4 - box[1]), words, font=f, fill=255)
    m = m.crop(m.getbbox())
    # Noto's capitals run a little narrow; widen them to fill the banner
    m = m.resize((327 * s, m.height), Image.Resampling.BICUBIC)
    tw, th = m.size
    cx = 278 * s  # a little left of centre, to balance the light "!!"
    left = cx - tw // 2
    # shadow: upside down, widening downward as if lying on a floor
    flipped = m.transpose(Image.Transpose.FLIP_TOP_BOTTOM)
    depth = 23 * s
    floor = Image.new("L", (BANNER_W * s, depth), 0)
    widest = 528 * s
    for row in range(depth):
        t = (row + 0.5) / depth
        src = min(th - 1, int(t * th))
        width = round(tw + (widest - tw) * t)
        strip = flipped.crop((0, src, tw, src + 1)).resize(
            (width, 1), Image.Resampling.BILINEAR)
        floor.paste(strip, (cx - width // 2, row))
    big = Image.new("RGB", (BANNER_W * s, BANNER_H * s))
    big.paste(img.resize(big.size, Image.Resampling.NEAREST))
    big.paste((192, 192, 192), (0, (BANNER_SPLIT + 1) * s), floor)
    big.paste((0, 0, 0), (left, BANNER_SPLIT * s - th), m)
    return big.reduce(s // k)


# ---------------------------------------------------------------- icon

VGA16 = [(0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00),
         (0x80, 0x80, 0x00), (0x00, 0x00, 0x80), (0x80, 0x00, 0x80),
         (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0), (0x80, 0x80, 0x80),
         (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
         (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF),
         (0xFF, 0xFF, 0xFF)]
BLACK16, GREY16, CYAN16, WHITE16 = 0, 8, 14, 15


CLEAR = 255  # marks pixels the AND mask leaves transparent


# The icon's window on a 32-unit grid: corners clockwise from the top left
# (the right edge is shorter, as if turned away), the depth of the title bar
# as a share of the side edges, and the shadow's offset.
ICON_SHEET = [(3, 8), (24, 3), (27, 21), (5, 28)]
ICON_BAR = 0.24
ICON_SHADOW = 2


def lerp(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)


def icon_pixels(size, bpp):
    """A little window seen at a slant: rows of palette indices, and rows
    telling which pixels are opaque."""
    k = size / 32
    sheet = [(x * k, y * k) for x, y in ICON_SHEET]
    tl, tr, br, bl = sheet
    bar = [tl, tr, lerp(tr, br, ICON_BAR), lerp(tl, bl, ICON_BAR)]
    colour = bpp == 4
    idx = Image.new("L", (size, size), CLEAR)
    d = ImageDraw.Draw(idx)
    if colour:
        d.polygon([(x + 2 * k, y + 2 * k) for x, y in sheet], fill=GREY16)
    d.polygon(sheet, fill=WHITE16)
    if colour:
        d.polygon(bar, fill=CYAN16)
    if not colour or size == 32:  # at 16 px the colour alone marks the bar
        d.line([bar[2], bar[3]], fill=BLACK16)
    d.polygon(sheet, outline=BLACK16)
    rows = [[idx.getpixel((x, y)) for x in range(size)] for y in range(size)]
    if not colour:  # two-colour palette: 0 black, 1 white
        rows = [[v if v == CLEAR else int(v == WHITE16) for v in r] for r in rows]
    return ([[0 if v == CLEAR else v for v in r] for r in rows],
            [[v != CLEAR for v in r] for r in rows])


def pack_rows(rows, bpp):
    """Bottom-up DIB rows, each padded to a 4-byte boundary."""
    out = b""
    for r in reversed(rows):
        bits = 0
        nbits = 0
        line = bytearray()
        for v in r:
            bits = (bits << bpp) | v
            nbits += bpp
            if nbits == 8:
                line.append(bits)
                bits = nbits = 0
        if nbits:
            line.append(bits << (8 - nbits))
        while len(line) % 4:
            line.append(0)
        out += bytes(line)
    return out


def icon_image(size, bpp):
    indices, opaque = icon_pixels(size, bpp)
    palette = [(0, 0, 0), (255, 255, 255)] if bpp == 1 else VGA16
    xor = pack_rows(indices, bpp)
    andmask = pack_rows([[0 if o else 1 for o in r] for r in opaque], 1)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bpp, 0,
                         len(xor) + len(andmask), 0, 0, 0, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + table + xor + andmask


def write_icon(path):
    images = [(32, 1), (32, 4), (16, 4)]
    blobs = [icon_image(size, bpp) for size, bpp in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bpp), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size, size, 1 << bpp, 0, 1, bpp,
                           len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


# ---------------------------------------------------------------- desktop icons

ICON_PNG_SIZES = (16, 32, 48, 64, 128, 256)


def meet(a, b, c, d):
    """Where line ab crosses line cd."""
    (x1, y1), (x2, y2), (x3, y3), (x4, y4) = a, b, c, d
    den = (x1 - x2) * (y3 - y4) - (y1 - y2) * (x3 - x4)
    t = ((x1 - x3) * (y3 - y4) - (y1 - y3) * (x3 - x4)) / den
    return (x1 + t * (x2 - x1), y1 + t * (y2 - y1))


def shift(a, b, dist):
    """Line ab moved dist to its right (inwards for a clockwise outline)."""
    n = math.hypot(b[0] - a[0], b[1] - a[1])
    dx, dy = -(b[1] - a[1]) / n * dist, (b[0] - a[0]) / n * dist
    return (a[0] + dx, a[1] + dy), (b[0] + dx, b[1] + dy)


def inset(poly, dist):
    """A convex clockwise polygon with every edge moved dist inwards."""
    edges = [shift(p, q, dist) for p, q in zip(poly, poly[1:] + poly[:1])]
    return [meet(*edges[i - 1], *edges[i]) for i in range(len(edges))]


def icon_png(size):
    """The program icon for the desktop: at 16 and 32 pixels the .ico's own
    16-colour images, hinted to whole pixels; larger sizes drawn from the
    same outline with soft edges and lines that thicken more slowly than the
    window grows, so they do not look like a blown-up 32-pixel icon."""
    if size in (16, 32):
        indices, opaque = icon_pixels(size, 4)
        img = Image.new("RGBA", (size, size))
        img.putdata([VGA16[v] + (255,) if o else (0, 0, 0, 0)
                     for row, mask in zip(indices, opaque)
                     for v, o in zip(row, mask)])
        return img
    k = size / 32
    line = k ** 0.75
    sheet = [(x * k, y * k) for x, y in ICON_SHEET]
    outer, inner = inset(sheet, -line / 2), inset(sheet, line / 2)
    tl, tr, br, bl = sheet
    itl, itr, ibr, ibl = inner
    sep = (lerp(tl, bl, ICON_BAR), lerp(tr, br, ICON_BAR))
    above, below = shift(*sep, -line / 2), shift(*sep, line / 2)
    bar = [itl, itr, meet(*above, itr, ibr), meet(*above, itl, ibl)]
    rule = [meet(*above, itl, ibl), meet(*above, itr, ibr),
            meet(*below, itr, ibr), meet(*below, itl, ibl)]
    big = Image.new("RGBA", (size * SS, size * SS), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)

    def fill(pts, colour, dx=0.0):
        d.polygon([((x + dx) * SS - 0.5, (y + dx) * SS - 0.5) for x, y in pts],
                  fill=colour + (255,))
    fill(outer, VGA16[GREY16], ICON_SHADOW * k)
    fill(outer, VGA16[BLACK16])
    fill(inner, VGA16[WHITE16])
    fill(bar, VGA16[CYAN16])
    fill(rule, VGA16[BLACK16])
    # BOX over RGBA averages with premultiplied alpha: no dark fringe
    return big.resize((size, size), Image.Resampling.BOX)


def write_icon_pngs(out):
    os.makedirs(out, exist_ok=True)
    for size in ICON_PNG_SIZES:
        icon_png(size).save(os.path.join(out, f"poromea-{size}.png"),
                            format="PNG", optimize=True)


# ---------------------------------------------------------------- the page's app icons

# The page's own blue, behind the maskable icon (and the manifest's colours).
PAGE_BLUE = (0x3A, 0x6E, 0x8F)


def web_icon(size, maskable):
    """The program icon for a phone's home screen. A maskable icon fills its
    square with the page's blue and keeps the drawing inside the circle every
    launcher's mask leaves (80% of the side), so no mask cuts it."""
    if not maskable:
        return icon_png(size)
    inner = round(size * 0.75)
    img = Image.new("RGBA", (size, size), PAGE_BLUE + (255,))
    at = (size - inner) // 2
    img.alpha_composite(icon_png(inner), (at, at))
    return img


WEB_ICONS = {
    "poromea-192.png": lambda: web_icon(192, False),
    "poromea-512.png": lambda: web_icon(512, False),
    "poromea-maskable-512.png": lambda: web_icon(512, True),
}


# ---------------------------------------------------------------- main

# The one list of the built-in pictures, which the builds compile in, and the
# list of the page's app icons, which only the page's build copies.
LIST = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "ui", "pictures", "pictures.txt"))
WEB_LIST = os.path.join(os.path.dirname(LIST), "web", "pictures.txt")
DENSE_LIST = os.path.join(os.path.dirname(LIST), "dense.txt")


def read_list(path):
    with open(path, encoding="utf-8") as f:
        return [line.strip() for line in f if line.strip() and not line.startswith("#")]


def shown(k):
    """The shown pictures drawn for k device pixels to the pixel: name ->
    (picture, the colours it must keep exactly)."""
    left_ear = to_palette(draw_left_ear(k), [LAVENDER, SKIN, NAVY])
    # the eyes must match pixel for pixel outside the mole
    plain = draw_eye(False, k)
    marked = plain.copy()
    mole = tuple(v * k for v in MOLE_BOX)
    marked.paste(draw_eye(True, k).crop(mole), mole[:2])
    pictures = {
        "part0": (draw_mouth(k), [SKIN]),
        "part1": (draw_nose(k), [SKIN]),
        "part2": (left_ear, []),
        "part3": (left_ear.transpose(Image.Transpose.FLIP_LEFT_RIGHT), []),
        "part4": (marked, [SKIN]),
        "part5": (plain, [SKIN]),
    }
    for digit in range(1, 7):
        pictures[f"cover{digit}"] = (draw_cover(digit, k), [RED, WHITE])
    pictures["empty"] = (draw_empty(k), [EMPTY_BG])
    pictures["face"] = (draw_face(k), [LAVENDER, SKIN, NAVY, NECK, HAIR])
    pictures["title"] = (draw_title(k), [PINK])
    pictures["banner"] = (draw_banner(k), [WHITE])
    return pictures


DENSITIES = (2, 3)


def save_png(img, path, keys=()):
    p = img if img.mode == "P" else to_palette(img, keys)
    p.save(path, format="PNG", optimize=True)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_pictures.py OUTPUT_DIR")
    out = sys.argv[1]
    drawn = {}  # file name -> how to write it there
    for name, (img, keys) in shown(1).items():
        if name == "banner":
            drawn["banner.jpg"] = lambda path, img=img: img.save(
                path, format="JPEG", quality=95, subsampling=0, dpi=(96, 96), progressive=False, optimize=False)
        else:
            drawn[f"{name}.gif"] = lambda path, img=img, keys=keys: save_gif(img, path, keys)
    dense = {}
    for k in DENSITIES:
        for name, (img, keys) in shown(k).items():
            dense[f"{name}@{k}x.png"] = lambda path, img=img, keys=keys: save_png(img, path, keys)
    drawn["poromea.ico"] = write_icon

    # Nothing is written unless what is drawn is what the builds compile in.
    listed = read_list(LIST)
    web_listed = read_list(WEB_LIST)
    dense_listed = read_list(DENSE_LIST)
    for path, ours, theirs in ((LIST, drawn, listed), (WEB_LIST, WEB_ICONS, web_listed),
                               (DENSE_LIST, dense, dense_listed)):
        if sorted(ours) != sorted(theirs):
            sys.exit(f"draw_pictures: {path} and this program disagree; listed, not drawn: "
                     f"{sorted(set(theirs) - set(ours))}; drawn, not listed: {sorted(set(ours) - set(theirs))}")
    os.makedirs(out, exist_ok=True)
    for name in listed:
        drawn[name](os.path.join(out, name))
    for name in dense_listed:
        dense[name](os.path.join(out, name))
    write_icon_pngs(os.path.join(out, "icons"))
    os.makedirs(os.path.join(out, "web"), exist_ok=True)
    for name in web_listed:
        WEB_ICONS[name]().save(os.path.join(out, "web", name), format="PNG", optimize=True)


if __name__ == "__main__":
    main()
