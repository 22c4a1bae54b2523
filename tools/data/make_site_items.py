"""Draws the dig site's items, their glow, the carrier's bin, the cook and
the toolmaker with their work strips and dust clouds into images/site/ of
the data folder given."""
import math
import random
import sys

from PIL import Image, ImageDraw

from art import (CLAY, CLAY_DARK, GOLD, GOLD_DARK, GOLD_LIGHT, SAND, SAND_LIGHT, STONE, TEAL, TEAL_DEEP, UMBER,
                 UMBER_DEEP, WHITE, mix, save)

ITEM = 32  # items are drawn on a 32 x 32 cell


def cell(size=ITEM):
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    return img, ImageDraw.Draw(img)


def trim(level):
    """The upgrade ring: none, silver, gold."""
    return [None, (200, 206, 214), GOLD][level]


def sifter(level=0):
    img, d = cell()
    d.ellipse((3, 9, 28, 26), fill=UMBER + (255,), outline=UMBER_DEEP + (255,), width=2)
    for x in range(8, 25, 4):
        d.line((x, 12, x, 23), fill=SAND_LIGHT + (255,))
    for y in range(13, 24, 4):
        d.line((6, y, 26, y), fill=SAND_LIGHT + (255,))
    if level:
        d.ellipse((3, 9, 28, 26), outline=trim(level) + (255,), width=2)
    return img


def brush(level=0):
    img, d = cell()
    d.rounded_rectangle((13, 2, 18, 18), 2, fill=CLAY_DARK + (255,))
    d.rectangle((11, 17, 20, 21), fill=(trim(level) or STONE) + (255,))
    d.polygon([(10, 21), (21, 21), (24, 30), (7, 30)], fill=SAND + (255,), outline=UMBER + (255,))
    return img


def bottle():
    img, d = cell()
    d.rectangle((13, 2, 18, 8), fill=WHITE + (255,))
    d.rounded_rectangle((8, 8, 23, 30), 4, fill=TEAL + (230,), outline=TEAL_DEEP + (255,), width=2)
    d.line((11, 14, 11, 26), fill=WHITE + (160,), width=2)
    return img


def medicine():
    img, d = cell()
    d.rounded_rectangle((4, 8, 27, 28), 4, fill=WHITE + (255,), outline=STONE + (255,), width=2)
    d.rectangle((13, 11, 18, 25), fill=(200, 40, 40, 255))
    d.rectangle((8, 16, 23, 20), fill=(200, 40, 40, 255))
    return img


def canteen(level=0):
    img, d = cell()
    d.ellipse((4, 6, 27, 29), fill=(92, 110, 70, 255), outline=UMBER_DEEP + (255,), width=2)
    d.rectangle((13, 1, 18, 7), fill=STONE + (255,))
    if level:
        d.ellipse((9, 11, 22, 24), outline=trim(level) + (255,), width=2)
    return img


def sandwich(level=0):
    img, d = cell()
    d.polygon([(3, 24), (28, 24), (16, 8)], fill=SAND_LIGHT + (255,), outline=UMBER + (255,))
    d.line((6, 20, 25, 20), fill=(90, 160, 60, 255), width=3)
    d.line((8, 17, 23, 17), fill=CLAY + (255,), width=2)
    if level:
        d.polygon([(3, 24), (28, 24), (16, 8)], outline=trim(level) + (255,))
    return img


def apple(level=0):
    img, d = cell()
    d.ellipse((5, 8, 27, 29), fill=(196, 40, 36, 255), outline=(110, 20, 18, 255))
    d.line((16, 9, 18, 3), fill=UMBER + (255,), width=2)
    d.ellipse((18, 3, 25, 8), fill=(90, 160, 60, 255))
    d.ellipse((10, 12, 14, 17), fill=(240, 140, 130, 200))
    if level:
        d.ellipse((5, 8, 27, 29), outline=trim(level) + (255,), width=2)
    return img


def highlight():
    """Two frames: the glow off (clear) and on."""
    sheet = Image.new("RGBA", (ITEM * 2, ITEM), (0, 0, 0, 0))
    glow = Image.new("RGBA", (ITEM, ITEM), (0, 0, 0, 0))
    d = ImageDraw.Draw(glow)
    for r in range(15, 4, -2):
        alpha = int(40 + (15 - r) * 14)
        d.ellipse((16 - r, 16 - r, 16 + r, 16 + r), fill=GOLD_LIGHT + (alpha,))
    sheet.paste(glow, (ITEM, 0))
    return sheet


def bin_picture():
    img = Image.new("RGBA", (36, 40), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.polygon([(4, 6), (31, 6), (28, 39), (7, 39)], fill=STONE + (255,), outline=UMBER_DEEP + (255,))
    for x in (12, 18, 24):
        d.line((x, 10, x - 1 if x < 18 else x + 1 if x > 18 else x, 35), fill=mix(STONE, UMBER_DEEP, 0.4) + (255,))
    d.rectangle((2, 2, 33, 7), fill=mix(STONE, WHITE, 0.2) + (255,))
    return img


def figure(apron, hat, arm_angle=0.0, jump=0, mouth="flat"):
    """A worker of the camp, 48 x 64, arm raised by arm_angle radians."""
    img = Image.new("RGBA", (48, 64), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    y = -jump
    d.rectangle((17, 44 + y, 22, 63 + y), fill=UMBER_DEEP + (255,))
    d.rectangle((26, 44 + y, 31, 63 + y), fill=UMBER_DEEP + (255,))
    d.rounded_rectangle((13, 22 + y, 35, 48 + y), 5, fill=apron + (255,), outline=UMBER_DEEP + (255,))
    d.ellipse((15, 4 + y, 33, 22 + y), fill=(226, 178, 134, 255), outline=UMBER + (255,))
    d.rectangle((13, 2 + y, 35, 7 + y), fill=hat + (255,))
    if mouth == "smile":
        d.arc((19, 10 + y, 29, 18 + y), 20, 160, fill=UMBER_DEEP + (255,), width=2)
    elif mouth == "frown":
        d.arc((19, 15 + y, 29, 22 + y), 200, 340, fill=UMBER_DEEP + (255,), width=2)
    else:
        d.line((21, 16 + y, 27, 16 + y), fill=UMBER_DEEP + (255,), width=2)
    sx, sy = 34, 26 + y
    ex, ey = sx + 12 * math.cos(arm_angle), sy + 12 * math.sin(arm_angle)
    d.line((sx, sy, ex, ey), fill=(226, 178, 134, 255), width=4)
    d.line((14, 26 + y, 8, 38 + y), fill=(226, 178, 134, 255), width=4)
    return img


def strip(frames):
    sheet = Image.new("RGBA", (frames[0].width * len(frames), frames[0].height), (0, 0, 0, 0))
    for k, frame in enumerate(frames):
        sheet.paste(frame, (k * frames[0].width, 0))
    return sheet


COOK_APRON = (236, 236, 226)
COOK_HAT = WHITE
SMITH_APRON = (120, 84, 52)
SMITH_HAT = CLAY_DARK


def dust(rng, colour, frames=6):
    size = 48
    out = []
    for k in range(frames):
        img, d = cell(size)
        for _ in range(10):
            r = rng.randint(4, 8) + k
            x, y = rng.randint(10, 38), rng.randint(14, 38)
            alpha = max(40, 200 - k * 25)
            d.ellipse((x - r, y - r, x + r, y + r), fill=colour + (alpha,))
        out.append(img)
    return strip(out)


def site_items_images(root):
    base = f"{root}/images/site"
    rng = random.Random(31)
    for name, draw in (("sifter", sifter), ("brush", brush), ("canteen", canteen), ("sandwich", sandwich),
                       ("apple", apple)):
        save(draw(), f"{base}/{name}.png")
        for level in (1, 2):
            save(draw(level), f"{base}/{name}_up{level}.png")
    save(bottle(), f"{base}/bottle.png")
    save(medicine(), f"{base}/medicine.png")
    save(highlight(), f"{base}/highlight.png")
    save(bin_picture(), f"{base}/bin_cookie.png")
    save(figure(COOK_APRON, COOK_HAT), f"{base}/cookie_default.png")
    save(strip([figure(COOK_APRON, COOK_HAT, a, mouth="smile") for a in (0.0, -0.4, -0.8, -0.4)]),
         f"{base}/cookie_idle.png")
    save(strip([figure(COOK_APRON, COOK_HAT, a) for a in (0.6, 0.0, -0.6, 0.0)]), f"{base}/cookie_generate.png")
    save(strip([figure(COOK_APRON, COOK_HAT, -1.2, j, "smile") for j in (0, 4, 8, 4)]), f"{base}/cookie_win.png")
    save(strip([figure(COOK_APRON, COOK_HAT, 1.2, 0, "frown") for _ in range(2)]), f"{base}/cookie_lose.png")
    save(figure(SMITH_APRON, SMITH_HAT), f"{base}/toolmaker_default.png")
    save(strip([figure(SMITH_APRON, SMITH_HAT, a) for a in (-1.0, -0.3, 0.5, -0.3)]),
         f"{base}/toolmaker_generate.png")
    save(dust(rng, SAND_LIGHT), f"{base}/cookie_dust.png")
    save(dust(rng, mix(STONE, GOLD_DARK, 0.3)), f"{base}/toolmaker_dust.png")


if __name__ == "__main__":
    site_items_images(sys.argv[1])
