"""Draws the hired hands of the dig site into the data folder given as
argument: every strip of the diggers (both genders, each colour) and of the
pickers (each type), four frames of one size so that a worker keeps its
feet on the same line whatever it shows, with the shovel, the shadows and
the hypnosis spiral."""
import math
import sys

from PIL import Image, ImageDraw

from art import CLAY, GOLD, SAND_LIGHT, STONE, TEAL, UMBER, UMBER_DEEP, WHITE, save

W, H, FRAMES = 40, 64, 4
DIGGER_COLOURS = {1: CLAY, 2: TEAL, 3: GOLD}
PICKER_TYPES = {1: (120, 96, 72), 2: (96, 110, 70), 3: (84, 84, 110)}
SKIN = (214, 168, 124)
DIGGER_STRIPS = ["WAIT", "ASK", "WALK_BACK", "WALK_FRONT", "WALK_SIDE", "DIG", "DIZZY", "EAT", "DRINK", "HYPNO",
                 "ACTIVITY", "IMPATIENT", "CELEBRATE", "WIN", "LOSE"]
PICKER_STRIPS = ["WAIT", "ASK", "WALK_BACK", "WALK_FRONT", "WALK_SIDE", "PICK", "DIZZY", "EAT", "DRINK", "HYPNO",
                 "PANIC", "CELEBRATE", "WIN", "LOSE", "IMPATIENT"]


def opaque(colour, alpha=255):
    return colour + (alpha,)


def figure(d, k, strip, shirt, long_hair, tool):
    """One frame k of a worker showing the strip: a body, a head and arms
    whose pose follows the strip and the frame."""
    swing = math.sin(k * math.pi / 2)
    lean = {"DIZZY": 3 * swing, "HYPNO": 2 * swing, "LOSE": 2}.get(strip, 0)
    cx = 20 + lean
    legs = 3 * swing if strip.startswith("WALK") else 0
    d.line([(cx - 4, 46), (cx - 5 - legs, 62)], fill=opaque(UMBER_DEEP), width=4)
    d.line([(cx + 4, 46), (cx + 5 + legs, 62)], fill=opaque(UMBER_DEEP), width=4)
    d.rounded_rectangle((cx - 9, 22, cx + 9, 48), 4, fill=opaque(shirt), outline=opaque(UMBER_DEEP))
    d.ellipse((cx - 7, 6, cx + 7, 21), fill=opaque(SKIN), outline=opaque(UMBER_DEEP))
    if long_hair:
        d.rectangle((cx - 8, 6, cx + 8, 12), fill=opaque(UMBER))
        d.line([(cx - 8, 8), (cx - 8, 26)], fill=opaque(UMBER), width=3)
    else:
        d.chord((cx - 8, 3, cx + 8, 15), 180, 360, fill=opaque(SAND_LIGHT), outline=opaque(UMBER_DEEP))
    up = strip in ("ASK", "CELEBRATE", "WIN", "PANIC", "IMPATIENT")
    hand_y = 12 - 4 * swing if up else 40 + 3 * swing
    if strip in ("DIG", "PICK", "ACTIVITY"):
        hand_y = 24 + 12 * (k / (FRAMES - 1))
    d.line([(cx - 8, 26), (cx - 14, hand_y)], fill=opaque(SKIN), width=3)
    d.line([(cx + 8, 26), (cx + 14, hand_y)], fill=opaque(SKIN), width=3)
    if strip in ("DIG", "PICK", "ACTIVITY"):
        d.line([(cx + 14, hand_y), (cx + 18, hand_y + 18)], fill=opaque(UMBER), width=2)
        d.polygon([(cx + 15, hand_y + 16), (cx + 21, hand_y + 16), (cx + 18, hand_y + 22)], fill=opaque(tool))
    if strip in ("EAT", "DRINK"):
        d.ellipse((cx - 3, 22 - k, cx + 3, 28 - k), fill=opaque(GOLD if strip == "EAT" else TEAL))
    if strip in ("DIZZY", "HYPNO"):
        for s in range(3):
            a = k * math.pi / 2 + s * 2 * math.pi / 3
            d.ellipse((cx + 9 * math.cos(a) - 2, 2 + 3 * math.sin(a), cx + 9 * math.cos(a) + 2,
                       6 + 3 * math.sin(a)), fill=opaque(WHITE))


def strip(strip_name, shirt, long_hair=False, tool=STONE):
    sheet = Image.new("RGBA", (W * FRAMES, H), (0, 0, 0, 0))
    for k in range(FRAMES):
        frame = Image.new("RGBA", (W, H), (0, 0, 0, 0))
        figure(ImageDraw.Draw(frame), k, strip_name, shirt, long_hair, tool)
        sheet.paste(frame, (k * W, 0))
    return sheet


def shovel():
    img = Image.new("RGBA", (16, 40), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.line([(8, 2), (8, 28)], fill=opaque(UMBER), width=3)
    d.polygon([(3, 27), (13, 27), (8, 39)], fill=opaque(STONE), outline=opaque(UMBER_DEEP))
    return img


def shadow(width):
    img = Image.new("RGBA", (width, 10), (0, 0, 0, 0))
    ImageDraw.Draw(img).ellipse((0, 0, width - 1, 9), fill=opaque(UMBER_DEEP, 90))
    return img


def spiral(frames=4, size=32):
    sheet = Image.new("RGBA", (size * frames, size), (0, 0, 0, 0))
    for k in range(frames):
        frame = Image.new("RGBA", (size, size), (0, 0, 0, 0))
        d = ImageDraw.Draw(frame)
        points = []
        for i in range(60):
            a = i * 0.35 + k * math.pi / 2
            r = i * 0.25
            points.append((size / 2 + r * math.cos(a), size / 2 + r * math.sin(a)))
        d.line(points, fill=opaque((150, 60, 190)), width=2)
        sheet.paste(frame, (k * size, 0))
    return sheet


def main(root):
    out = f"{root}/images/site"
    for colour, shirt in DIGGER_COLOURS.items():
        for gender, long_hair in (("male", False), ("female", True)):
            for name in DIGGER_STRIPS:
                save(strip(name, shirt, long_hair), f"{out}/digger_{gender}{colour}_{name.lower()}.png")
    for kind, shirt in PICKER_TYPES.items():
        for name in PICKER_STRIPS:
            save(strip(name, shirt, tool=UMBER_DEEP), f"{out}/picker{kind}_{name.lower()}.png")
    save(shovel(), f"{out}/digger_shovel.png")
    save(shadow(34), f"{out}/shadow_digger.png")
    save(shadow(44), f"{out}/shadow_picker.png")
    save(spiral(), f"{out}/vuvivedod_hypno_spiral.png")


if __name__ == "__main__":
    main(sys.argv[1])
