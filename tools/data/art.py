"""Palette and drawing helpers shared by the picture and font generators.

Every picture of the game is drawn from this one palette: warm earth and sand
for the dig, a deep teal dusk for the sky, gold for titles and highlights.
"""
import os

from PIL import Image, ImageDraw, ImageFilter, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu"

# The palette, as RGB triples.
NIGHT = (16, 34, 40)
TEAL_DEEP = (27, 60, 64)
TEAL = (47, 127, 122)
DUSK = (214, 138, 84)
SAND = (232, 201, 143)
SAND_LIGHT = (246, 226, 184)
PARCHMENT = (244, 230, 200)
CLAY = (200, 100, 59)
CLAY_DARK = (138, 62, 34)
UMBER = (74, 46, 28)
UMBER_DEEP = (43, 27, 18)
INK = (58, 38, 22)
GOLD = (242, 179, 61)
GOLD_LIGHT = (255, 226, 140)
GOLD_DARK = (170, 108, 20)
STONE = (128, 118, 104)
WHITE = (255, 255, 255)


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def mix(a, b, t):
    """The colour a fraction t of the way from a to b."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def ramp(stops, t):
    """The colour at t (0 to 1) of a list of (position, colour) stops."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0.0)
    return stops[-1][1]


def vgradient(width, height, stops, mode="RGB"):
    """A vertical gradient through the stops, top to bottom."""
    strip = Image.new(mode, (1, height))
    for y in range(height):
        colour = ramp(stops, y / max(1, height - 1))
        if mode == "RGBA" and len(colour) == 3:
            colour = colour + (255,)
        strip.putpixel((0, y), colour)
    return strip.resize((width, height), Image.NEAREST)


def radial_vignette(width, height, strength=170):
    """An L mask, 0 in the middle and growing towards the corners."""
    small = Image.new("L", (64, 48))
    for y in range(48):
        for x in range(64):
            dx = (x - 31.5) / 32.0
            dy = (y - 23.5) / 24.0
            d = min(1.0, (dx * dx + dy * dy) ** 0.5 / 1.3)
            small.putpixel((x, y), int(strength * d * d))
    return small.resize((width, height), Image.BILINEAR)


def text_mask(text, typeface, stroke=0):
    """An L mask of the text, tight around its ink, and the ink's offset."""
    left, top, right, bottom = typeface.getbbox(text, stroke_width=stroke, anchor="la")
    mask = Image.new("L", (right - left, bottom - top), 0)
    ImageDraw.Draw(mask).text((-left, -top), text, font=typeface, fill=255, anchor="la",
                              stroke_width=stroke, stroke_fill=255)
    return mask, (left, top)


def title(canvas, text, typeface, centre_x, top, stops, shadow=UMBER_DEEP, outline=UMBER_DEEP, glow=None):
    """Draws a title centred on centre_x: a soft shadow, a dark outline and
    a gradient fill."""
    mask, _ = text_mask(text, typeface)
    outline_mask, _ = text_mask(text, typeface, stroke=3)
    x = int(centre_x - mask.width / 2)
    pad = 3
    if glow:
        halo = outline_mask.filter(ImageFilter.GaussianBlur(10))
        canvas.paste(Image.new("RGB", halo.size, glow), (x - pad, top - pad), halo)
    soft = outline_mask.filter(ImageFilter.GaussianBlur(4))
    canvas.paste(Image.new("RGB", soft.size, shadow), (x - pad + 4, top - pad + 6), soft)
    canvas.paste(Image.new("RGB", outline_mask.size, outline), (x - pad, top - pad), outline_mask)
    canvas.paste(vgradient(mask.width, mask.height, stops), (x, top), mask)
    return mask.height


def rounded_panel(width, height, radius, fill_stops, border, border_width=3, inner=None):
    """An RGBA rounded rectangle with a gradient fill, a border and an
    optional thin inner line."""
    panel = Image.new("RGBA", (width, height), (0, 0, 0, 0))
    shape = Image.new("L", (width, height), 0)
    ImageDraw.Draw(shape).rounded_rectangle((0, 0, width - 1, height - 1), radius, fill=255)
    panel.paste(Image.new("RGBA", (width, height), border + (255,)), (0, 0), shape)
    inset = Image.new("L", (width, height), 0)
    ImageDraw.Draw(inset).rounded_rectangle(
        (border_width, border_width, width - 1 - border_width, height - 1 - border_width),
        max(1, radius - border_width), fill=255)
    panel.paste(vgradient(width, height, fill_stops, "RGBA"), (0, 0), inset)
    if inner:
        d = border_width + 2
        ImageDraw.Draw(panel).rounded_rectangle((d, d, width - 1 - d, height - 1 - d), max(1, radius - d),
                                                outline=inner + (255,), width=1)
    return panel


def save(image, path, quality=88):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if path.endswith(".jpg"):
        image.convert("RGB").save(path, quality=quality, optimize=True, progressive=False)
    else:
        image.save(path, optimize=True)
