"""Draws the pictures of the dig site's holes into the data folder given as
argument: the pit at each depth, the survey flag, the finishing ropes, the
tool dust clouds, the dirt over a find and the crud's colours, and for Greece the ground
patches, tiles and the finds themselves."""
import math
import random
import sys

from PIL import Image, ImageDraw, ImageFilter

from art import CLAY, CLAY_DARK, GOLD, SAND, SAND_LIGHT, STONE, TEAL, UMBER, UMBER_DEEP, WHITE, mix, save

PIT_W, PIT_H = 130, 70
PIT_FRAMES = 10


def pit(frames=PIT_FRAMES):
    """Frame 0 is marked ground; each later frame a wider, deeper pit."""
    sheet = Image.new("RGBA", (PIT_W * frames, PIT_H), (0, 0, 0, 0))
    for k in range(frames):
        frame = Image.new("RGBA", (PIT_W, PIT_H), (0, 0, 0, 0))
        d = ImageDraw.Draw(frame)
        if k == 0:
            for x, y in ((20, 14), (110, 14), (20, 58), (110, 58)):
                d.line([(x, y - 8), (x, y + 2)], fill=UMBER + (255,), width=3)
            d.rectangle((20, 14, 110, 58), outline=SAND_LIGHT + (200,))
        else:
            t = min(k / (frames - 1), 1.0)
            rx, ry = 30 + 30 * t, 14 + 16 * t
            d.ellipse((65 - rx, 36 - ry, 65 + rx, 36 + ry), fill=mix(CLAY_DARK, UMBER_DEEP, t) + (255,),
                      outline=UMBER + (255,), width=2)
            d.ellipse((65 - rx * 0.6, 40 - ry * 0.5, 65 + rx * 0.6, 40 + ry * 0.5),
                      fill=mix(UMBER, UMBER_DEEP, t) + (255,))
        sheet.paste(frame, (k * PIT_W, 0))
    return sheet


def survey_flag(frames=4):
    sheet = Image.new("RGBA", (PIT_W * frames, PIT_H), (0, 0, 0, 0))
    for k in range(frames):
        frame = Image.new("RGBA", (PIT_W, PIT_H), (0, 0, 0, 0))
        d = ImageDraw.Draw(frame)
        d.rectangle((20, 24, 110, 62), outline=SAND_LIGHT + (220,), width=2)
        d.line([(64, 6), (64, 50)], fill=UMBER + (255,), width=3)
        wave = [(64 + x, 8 + 4 * math.sin(x / 6.0 + k * math.pi / 2)) for x in range(0, 30, 3)]
        cloth = wave + [(x, y + 14) for x, y in reversed(wave)]
        d.polygon(cloth, fill=CLAY + (255,), outline=CLAY_DARK + (255,))
        sheet.paste(frame, (k * PIT_W, 0))
    return sheet


def ropes():
    w, h = 146, 86
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    posts = [(6, 12), (w - 7, 12), (6, h - 4), (w - 7, h - 4)]
    d.line([posts[0], posts[1], posts[3], posts[2], posts[0]], fill=SAND + (255,), width=2)
    for x, y in posts:
        d.line([(x, y - 12), (x, y)], fill=UMBER + (255,), width=4)
    return img


def dust(colour, frames=4, seed=1):
    w, h = 80, 50
    rng = random.Random(seed)
    sheet = Image.new("RGBA", (w * frames, h), (0, 0, 0, 0))
    for k in range(frames):
        frame = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        d = ImageDraw.Draw(frame)
        for _ in range(9):
            r = rng.randint(6, 12) + k
            x, y = rng.randint(14, w - 14), rng.randint(12, h - 12)
            d.ellipse((x - r, y - r, x + r, y + r), fill=colour + (110 - 15 * k,))
        sheet.paste(frame.filter(ImageFilter.GaussianBlur(2)), (k * w, 0))
    return sheet


def artifact_dirt(seed):
    rng = random.Random(seed)
    img = Image.new("RGBA", (64, 96), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    for _ in range(14):
        r = rng.randint(8, 16)
        x, y = rng.randint(12, 52), rng.randint(12, 84)
        d.ellipse((x - r, y - r, x + r, y + r), fill=mix(UMBER, CLAY_DARK, rng.random()) + (200,))
    return img.filter(ImageFilter.GaussianBlur(1.5))


def crud(seed=7):
    """The crud's colours: opaque dirt the size of a find; the game cuts it
    to the shape of the dirt patch drawn over the find."""
    rng = random.Random(seed)
    img = Image.new("RGBA", (64, 96), UMBER + (255,))
    d = ImageDraw.Draw(img)
    for _ in range(60):
        r = rng.randint(2, 6)
        x, y = rng.randint(0, 63), rng.randint(0, 95)
        d.ellipse((x - r, y - r, x + r, y + r), fill=mix(UMBER, CLAY_DARK, rng.random()) + (255,))
    return img.filter(ImageFilter.GaussianBlur(1))


def ground(seed):
    rng = random.Random(seed)
    img = Image.new("RGBA", (140, 70), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.ellipse((0, 4, 139, 69), fill=mix(SAND, CLAY, 0.35) + (255,))
    for _ in range(30):
        x, y = rng.randint(12, 128), rng.randint(12, 60)
        d.point((x, y), fill=STONE + (255,))
    return img


def tile(seed):
    rng = random.Random(seed)
    img = Image.new("RGBA", (130, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    x = 0
    while x < 130:
        w = rng.randint(14, 24)
        d.rectangle((x, 2, x + w - 2, 14), fill=mix(STONE, SAND, rng.random() * 0.5) + (255,), outline=UMBER + (255,))
        x += w
    return img


FIND_COLOURS = (CLAY, TEAL, GOLD, STONE, SAND_LIGHT, CLAY_DARK)


def find(number):
    """A Greek find: pots, coins and figurines in turn, each its own colour."""
    colour = FIND_COLOURS[number % len(FIND_COLOURS)]
    img = Image.new("RGBA", (64, 96), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    dark = mix(colour, UMBER_DEEP, 0.5) + (255,)
    kind = number % 3
    if kind == 0:
        d.polygon([(22, 6), (42, 6), (38, 20), (54, 48), (40, 90), (24, 90), (10, 48), (26, 20)],
                  fill=colour + (255,), outline=dark)
    elif kind == 1:
        d.ellipse((8, 24, 56, 72), fill=colour + (255,), outline=dark, width=3)
        d.ellipse((22, 38, 42, 58), outline=WHITE + (160,), width=2)
    else:
        d.ellipse((24, 6, 40, 22), fill=colour + (255,), outline=dark)
        d.polygon([(32, 22), (50, 88), (14, 88)], fill=colour + (255,), outline=dark)
    return img


def main(root):
    save(pit(), f"{root}/images/holes/hole.png")
    save(survey_flag(), f"{root}/images/holes/survey.png")
    save(ropes(), f"{root}/images/holes/ropes.png")
    for seed, (name, colour) in enumerate((("sift", SAND), ("brush", SAND_LIGHT), ("bottle", WHITE)), 1):
        save(dust(colour, seed=seed), f"{root}/images/holes/dust_{name}.png")
    save(crud(), f"{root}/images/holes/artifact_dirty_test.png")
    for n in range(1, 4):
        save(artifact_dirt(n), f"{root}/images/holes/artifact_dirty{n}.png")
        save(ground(10 + n), f"{root}/images/holes/greece_back{n}.png")
        save(tile(20 + n), f"{root}/images/holes/greece_tile{n}.png")
    for n in range(1, 27):
        save(find(n), f"{root}/images/artifacts/greece{n}.png")


if __name__ == "__main__":
    main(sys.argv[1])
