"""Draws the request balloons with their item pictures (plain and upgraded)
and the hole meter's gauge pieces into the data folder given as argument."""
import math
import sys

from PIL import Image, ImageDraw

from art import (CLAY, CLAY_DARK, GOLD, GOLD_DARK, GOLD_LIGHT, PARCHMENT, SAND, SAND_LIGHT, STONE, TEAL,
                 UMBER, UMBER_DEEP, WHITE, mix, save)

ITEM = 36
SILVER = (200, 204, 210)
BRONZE = (196, 124, 64)
GREEN = (96, 156, 64)
RED = (196, 52, 40)
BLUE = (70, 130, 190)

# Upgrade levels add a rim of these colours to an item picture.
UPGRADE_RIMS = {1: SILVER, 2: GOLD_LIGHT}


def canvas(w, h):
    return Image.new("RGBA", (w, h), (0, 0, 0, 0))


def opaque(colour, alpha=255):
    return colour + (alpha,)


# ---- balloons


def balloon(w, h, tail):
    """A speech balloon of w x h with its tail at the bottom: 'left', 'right' or 'middle'."""
    img = canvas(w, h)
    d = ImageDraw.Draw(img)
    body = h - 12
    d.rounded_rectangle((1, 1, w - 2, body), 12, fill=opaque(PARCHMENT), outline=opaque(UMBER), width=2)
    x = {"left": 14, "right": w - 26, "middle": w // 2 - 6}[tail]
    d.polygon([(x, body - 2), (x + 12, body - 2), (x + 4, h - 1)], fill=opaque(PARCHMENT), outline=opaque(UMBER))
    d.line([(x + 1, body - 1), (x + 11, body - 1)], fill=opaque(PARCHMENT), width=3)
    return img


BALLOONS = {
    "hole": (60, 52, "middle"),
    "left_1p": (60, 52, "left"),
    "right_1p": (60, 52, "right"),
    "2p": (110, 52, "middle"),
    "vuru_2item": (110, 56, "left"),
}


# ---- items asked for


def shovel(d):
    d.line([(8, 28), (26, 10)], fill=opaque(UMBER), width=4)
    d.polygon([(22, 6), (32, 4), (30, 14)], fill=opaque(STONE), outline=opaque(UMBER_DEEP))


def pick(d):
    d.line([(10, 30), (22, 12)], fill=opaque(UMBER), width=4)
    d.arc((6, 2, 34, 24), 200, 340, fill=opaque(STONE), width=5)


def vuru(d):
    d.ellipse((10, 4, 26, 20), fill=opaque(SAND_LIGHT), outline=opaque(UMBER))
    d.polygon([(6, 12), (30, 12), (18, 2)], fill=opaque(SAND), outline=opaque(UMBER))
    d.rectangle((10, 20, 26, 32), fill=opaque(TEAL), outline=opaque(UMBER))


def sifter(d):
    d.ellipse((4, 8, 32, 28), fill=opaque(SAND), outline=opaque(UMBER), width=2)
    for k in range(4):
        d.line([(9 + 6 * k, 11), (9 + 6 * k, 25)], fill=opaque(UMBER), width=1)


def brush(d):
    d.line([(8, 30), (22, 14)], fill=opaque(CLAY_DARK), width=4)
    d.polygon([(20, 8), (30, 4), (32, 14), (24, 18)], fill=opaque(GOLD_DARK), outline=opaque(UMBER))


def bottle(d):
    d.rectangle((14, 4, 22, 10), fill=opaque(STONE))
    d.rounded_rectangle((10, 10, 26, 32), 4, fill=opaque(BLUE), outline=opaque(UMBER))


def medicine(d):
    d.rounded_rectangle((6, 8, 30, 30), 4, fill=opaque(WHITE), outline=opaque(UMBER))
    d.rectangle((16, 11, 20, 27), fill=opaque(RED))
    d.rectangle((10, 17, 26, 21), fill=opaque(RED))


def apple(d):
    d.ellipse((7, 9, 29, 31), fill=opaque(RED), outline=opaque(CLAY_DARK))
    d.line([(18, 10), (20, 4)], fill=opaque(UMBER), width=2)
    d.ellipse((20, 3, 27, 8), fill=opaque(GREEN))


def sandwich(d):
    d.polygon([(4, 26), (32, 26), (18, 8)], fill=opaque(SAND_LIGHT), outline=opaque(GOLD_DARK))
    d.line([(8, 22), (28, 22)], fill=opaque(GREEN), width=3)


def canteen(d):
    d.ellipse((6, 8, 30, 32), fill=opaque(TEAL), outline=opaque(UMBER), width=2)
    d.rectangle((15, 3, 21, 9), fill=opaque(STONE))


# name, drawing, whether upgraded pictures exist
ITEMS = [("REQ_SHOVEL", shovel, True), ("REQ_PICK", pick, True), ("REQ_VURU", vuru, False),
         ("REQ_SIFTER", sifter, True), ("REQ_BRUSH", brush, True), ("REQ_BOTTLE", bottle, False),
         ("REQ_MEDICINE", medicine, False), ("REQ_APPLE", apple, True), ("REQ_SANDWICH", sandwich, True),
         ("REQ_CANTEEN", canteen, True)]


def item(drawing, level=0):
    img = canvas(ITEM, ITEM)
    d = ImageDraw.Draw(img)
    if level:
        d.ellipse((0, 0, ITEM - 1, ITEM - 1), outline=opaque(UPGRADE_RIMS[level]), width=2 + level)
    drawing(d)
    return img


# ---- the meter


def meter_background():
    img = canvas(96, 60)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((0, 0, 95, 59), 8, fill=opaque(UMBER_DEEP, 170), outline=opaque(UMBER), width=2)
    return img


def meter_dirt():
    img = canvas(14, 48)
    d = ImageDraw.Draw(img)
    for y in range(48):
        d.line([(0, y), (13, y)], fill=opaque(mix(CLAY, UMBER, y / 47)))
    for k in range(12):
        d.point(((k * 5) % 13, (k * 11) % 47), fill=opaque(SAND))
    return img


def meter_arrow():
    img = canvas(12, 10)
    ImageDraw.Draw(img).polygon([(0, 0), (11, 5), (0, 9)], fill=opaque(GOLD), outline=opaque(UMBER_DEEP))
    return img


def rock(fill, outline, alpha=255):
    img = canvas(14, 14)
    ImageDraw.Draw(img).polygon([(1, 9), (3, 3), (8, 1), (13, 5), (12, 12), (5, 13)],
                                fill=opaque(fill, alpha), outline=opaque(outline, alpha))
    return img


def star(fill, outline, alpha=255, size=14):
    img = canvas(size, size)
    c = size / 2
    points = []
    for k in range(10):
        r = c - 1 if k % 2 == 0 else c * 0.45
        a = -math.pi / 2 + k * math.pi / 5
        points.append((c + r * math.cos(a), c + r * math.sin(a)))
    ImageDraw.Draw(img).polygon(points, fill=opaque(fill, alpha), outline=opaque(outline, alpha))
    return img


def shadow_back():
    img = canvas(14, 14)
    ImageDraw.Draw(img).ellipse((1, 1, 12, 12), fill=opaque(UMBER_DEEP, 120))
    return img


def meter_sparkle(phase, frames=4, size=16):
    sheet = canvas(size * frames, size)
    for k in range(frames):
        frame = canvas(size, size)
        d = ImageDraw.Draw(frame)
        r = 2 + 2 * min(k, frames - 1 - k) + phase
        c = size // 2
        d.polygon([(c, c - r), (c + 1, c), (c, c + r), (c - 1, c)], fill=opaque(WHITE, 230))
        d.polygon([(c - r, c), (c, c + 1), (c + r, c), (c, c - 1)], fill=opaque(WHITE, 230))
        sheet.paste(frame, (k * size, 0))
    return sheet


ARTIFACTS = {"GOLD": GOLD, "SILVER": SILVER, "BRONZE": BRONZE}


def main(root):
    out = f"{root}/images/site"
    for name, (w, h, tail) in BALLOONS.items():
        save(balloon(w, h, tail), f"{out}/req_speech_{name}.png")
    for name, drawing, upgraded in ITEMS:
        save(item(drawing), f"{out}/{name.lower()}.png")
        if upgraded:
            for level in UPGRADE_RIMS:
                save(item(drawing, level), f"{out}/{name.lower()}_up{level}.png")
    save(meter_background(), f"{out}/meter_background.png")
    save(meter_dirt(), f"{out}/meter_dirt.png")
    save(meter_arrow(), f"{out}/meter_arrow.png")
    save(rock(STONE, UMBER_DEEP), f"{out}/meter_rock.png")
    save(rock(UMBER_DEEP, UMBER_DEEP, 110), f"{out}/meter_shadow_rock.png")
    for word, colour in ARTIFACTS.items():
        save(star(colour, UMBER_DEEP), f"{out}/meter_artifact_{word.lower()}.png")
        save(star(UMBER_DEEP, UMBER_DEEP, 110, 16), f"{out}/meter_shadow_artifact_{word.lower()}.png")
    save(shadow_back(), f"{out}/meter_shadow_artifact_back.png")
    for k in range(1, 4):
        save(meter_sparkle(k - 1), f"{out}/meter_sparkle_{k:02d}.png")


if __name__ == "__main__":
    main(sys.argv[1])
