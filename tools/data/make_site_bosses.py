"""Draws the two directed figures of the dig site, the carrier and the
archaeologist, in every pose their code asks for (each pose a strip of
frames), their shared shadow and the check mark on booked items, and makes
their sounds with sox and oggenc, into the data folder given as argument."""
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw

from art import (CLAY, CLAY_DARK, GOLD, PARCHMENT, SAND, SAND_LIGHT, STONE, TEAL, TEAL_DEEP, UMBER, UMBER_DEEP,
                 WHITE, save)

W = 40
H = 64
SKIN = (214, 160, 112)
KHAKI = (176, 150, 96)
CARRIER_SHIRT = CLAY
SCIENTIST_SHIRT = TEAL


def opaque(colour, alpha=255):
    return colour + (alpha,)


def strip(frames):
    """The frames side by side, as the resource list's column count reads them."""
    img = Image.new("RGBA", (W * len(frames), H), (0, 0, 0, 0))
    for i, frame in enumerate(frames):
        img.paste(frame, (i * W, 0))
    return img


def figure(shirt, hat, step=0, facing="front", arms="down", lift=0, prop=None):
    """One frame of a standing or walking figure, feet on the bottom row."""
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    top = 4 - lift
    # legs, apart by the step
    d.line([(17, 44 + top), (17 - step, 62)], fill=opaque(KHAKI), width=5)
    d.line([(23, 44 + top), (23 + step, 62)], fill=opaque(KHAKI), width=5)
    # body
    d.rounded_rectangle((11, 22 + top, 29, 46 + top), 4, fill=opaque(shirt), outline=opaque(UMBER_DEEP))
    # arms
    if arms == "down":
        d.line([(11, 26 + top), (8, 42 + top)], fill=opaque(SKIN), width=4)
        d.line([(29, 26 + top), (32, 42 + top)], fill=opaque(SKIN), width=4)
    elif arms == "front":
        d.line([(12, 28 + top), (16, 38 + top)], fill=opaque(SKIN), width=4)
        d.line([(28, 28 + top), (24, 38 + top)], fill=opaque(SKIN), width=4)
    else:  # up
        d.line([(11, 26 + top), (6, 10 + top)], fill=opaque(SKIN), width=4)
        d.line([(29, 26 + top), (34, 10 + top)], fill=opaque(SKIN), width=4)
    # head and hat; from behind no face
    d.ellipse((13, 6 + top, 27, 22 + top), fill=opaque(SKIN), outline=opaque(UMBER_DEEP))
    d.pieslice((10, 2 + top, 30, 18 + top), 180, 360, fill=opaque(hat), outline=opaque(UMBER_DEEP))
    if facing == "front":
        d.point([(17, 14 + top), (23, 14 + top)], fill=opaque(UMBER_DEEP))
    elif facing == "side":
        d.point([(24, 14 + top)], fill=opaque(UMBER_DEEP))
    if prop:
        prop(d, top)
    return img


def walk(shirt, hat, facing, arms="down"):
    return strip([figure(shirt, hat, step, facing, arms) for step in (3, 0, -3, 0)])


def idle(shirt, hat, prop):
    return strip([figure(shirt, hat, 0, "front", "front", 0, prop(k)) for k in range(4)])


def jump(shirt, hat):
    return strip([figure(shirt, hat, 0, "front", "up", lift) for lift in (0, 3, 5, 3)])


def lose(shirt, hat):
    return strip([figure(shirt, hat, 0, "front", "down", -k) for k in (0, 1, 2, 1)])


def map_reading(k):
    def draw(d, top):
        d.rectangle((12, 30 + top - k % 2, 28, 40 + top - k % 2), fill=opaque(PARCHMENT), outline=opaque(UMBER))
    return draw


def stretch(k):
    def draw(d, top):
        d.line([(20, 46 + top), (20, 46 + top)], fill=opaque(UMBER), width=1 + k % 2)
    return draw


def notebook(k):
    def draw(d, top):
        d.rectangle((12, 30 + top, 22, 40 + top), fill=opaque(WHITE), outline=opaque(UMBER))
        d.line([(24, 32 + top + k), (28, 36 + top)], fill=opaque(UMBER_DEEP), width=2)
    return draw


def camera(k):
    def draw(d, top):
        y = 12 + top if k < 2 else 12 + top + 8 * (k - 1)
        d.rectangle((12, y, 28, y + 10), fill=opaque(STONE), outline=opaque(UMBER_DEEP))
        d.ellipse((17, y + 2, 23, y + 8), fill=opaque(WHITE if k == 1 else TEAL_DEEP))
    return draw


def survey(k):
    def draw(d, top):
        d.line([(30, 20 + top), (30 + (k % 2) * 2, 62)], fill=opaque(GOLD), width=2)
        d.rectangle((26 + (k % 2) * 2, 16 + top, 34 + (k % 2) * 2, 22 + top), fill=opaque(CLAY_DARK))
    return draw


def tapping(k):
    def draw(d, top):
        d.line([(23, 60 - k % 2 * 2), (27, 60 - k % 2 * 2)], fill=opaque(UMBER_DEEP), width=2)
    return draw


def blink(k):
    def draw(d, top):
        if k == 1:
            d.line([(16, 14 + top), (24, 14 + top)], fill=opaque(UMBER_DEEP), width=1)
    return draw


def work(k):
    def draw(d, top):
        d.line([(16, 38 + top), (12 + 4 * (k % 2), 50 + top)], fill=opaque(UMBER), width=3)
    return draw


def poses(shirt, hat, prefix):
    return {
        prefix + "_DEFAULT": strip([figure(shirt, hat)]),
        prefix + "_WALK_BACK": walk(shirt, hat, "back"),
        prefix + "_WALK_FRONT": walk(shirt, hat, "front"),
        prefix + "_WALK_SIDE": walk(shirt, hat, "side"),
        prefix + "_WIN": jump(shirt, hat),
        prefix + "_LOSE": lose(shirt, hat),
    }


def carrier():
    shirt, hat = CARRIER_SHIRT, SAND
    pictures = poses(shirt, hat, "DOVIDI")
    pictures["DOVIDI_WALK_BACK_CARRY"] = walk(shirt, hat, "back", "front")
    pictures["DOVIDI_WALK_FRONT_CARRY"] = walk(shirt, hat, "front", "front")
    pictures["DOVIDI_WALK_SIDE_CARRY"] = walk(shirt, hat, "side", "front")
    pictures["DOVIDI_IDLE"] = idle(shirt, hat, stretch)
    return pictures


def archaeologist():
    shirt, hat = SCIENTIST_SHIRT, SAND_LIGHT
    pictures = poses(shirt, hat, "VURU")
    pictures["VURU_IDLE"] = idle(shirt, hat, map_reading)
    pictures["VURU_IDLE_HOLE"] = idle(shirt, hat, blink)
    pictures["VURU_IMPATIENT"] = idle(shirt, hat, tapping)
    pictures["VURU_ACTIVITY"] = idle(shirt, hat, work)
    pictures["VURU_SURVEY"] = idle(shirt, hat, survey)
    pictures["VURU_NOTES"] = idle(shirt, hat, notebook)
    pictures["VURU_CAMERA"] = idle(shirt, hat, camera)
    return pictures


def shadow():
    img = Image.new("RGBA", (W, 12), (0, 0, 0, 0))
    ImageDraw.Draw(img).ellipse((2, 2, W - 3, 10), fill=(0, 0, 0, 90))
    return img


def checkmark():
    img = Image.new("RGBA", (18, 18), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.ellipse((0, 0, 17, 17), fill=opaque(PARCHMENT), outline=opaque(UMBER))
    d.line([(4, 9), (8, 13), (14, 4)], fill=opaque((60, 140, 60)), width=3)
    return img


# sox synthesiser and effect arguments of each sound.
SOUNDS = {
    "dovidi_deliver": "synth 0.18 sine 660-880 fade q 0.003 0.18 0.12 gain -n -5",
    "dovidi_pickup_item": "synth 0.12 sine 440-660 fade q 0.003 0.12 0.08 gain -n -6",
    "vuru_surveys": "synth 0.5 pinknoise band 900 400 tremolo 12 60 fade q 0.01 0.5 0.2 gain -n -8",
    "vuru_takes_notes": "synth 0.4 brownnoise band 3000 1500 tremolo 18 80 fade q 0.01 0.4 0.1 gain -n -10",
    "vuru_photographs": "synth 0.09 whitenoise band 4000 2000 fade q 0.001 0.09 0.07 gain -n -4",
    "artifact_flies_to_crate": "synth 0.45 sine 300-1200 fade q 0.005 0.45 0.2 reverb 20 gain -n -6",
}


def make_sounds(root):
    os.makedirs(os.path.join(root, "sounds"), exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        for name, effects in SOUNDS.items():
            wav = os.path.join(scratch, name + ".wav")
            subprocess.run(["sox", "-R", "-n", "-r", "44100", "-c", "1", "-b", "16", wav, *effects.split()], check=True)
            subprocess.run(["oggenc", "-Q", "-s", "1", "-q", "3", "-o", os.path.join(root, "sounds", name + ".ogg"), wav],
                           check=True)


def main(root):
    folder = os.path.join(root, "images", "site")
    pictures = carrier()
    pictures.update(archaeologist())
    pictures["SHADOW_VURU"] = shadow()
    pictures["OBJ_CHECKMARK"] = checkmark()
    for key, image in pictures.items():
        save(image, os.path.join(folder, key.lower() + ".png"))
    make_sounds(root)


if __name__ == "__main__":
    main(sys.argv[1])
