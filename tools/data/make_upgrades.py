"""Writes the upgrade shop's master list into the data folder given: the
list itself (properties/upgrades.xml), the shop's titles and descriptions
(properties/upgrade_texts.xml) and one shop icon per upgrade type
(images/upgrades/). Each country sells its own five or six upgrades; they
apply in that country only, except the hourglasses, which count everywhere.
The digit of an identifier is its level, which picks the tools' upgraded
pictures."""
import os
import sys
from xml.sax.saxutils import quoteattr

from PIL import Image, ImageDraw

from art import (CLAY, CLAY_DARK, GOLD, GOLD_DARK, GOLD_LIGHT, PARCHMENT, SAND, SAND_LIGHT, STONE, TEAL,
                 TEAL_DEEP, UMBER, UMBER_DEEP, WHITE, mix, rounded_panel, save)

ICON = 80
COUNTRIES = ["greece", "egypt", "siam", "tahiti", "usa", "peru", "atlantis"]

# type: (effect at level 1, effect at level 2, title, description with {v} for the amount shown)
# Units are those of the consumer: pixels per second for walks, milliseconds
# for tool and need times, loops for the generators, per cent of Vuru's
# note-taking time, points for the guide.
TYPES = {
    "dovidi": (30, 45, "Dovidi's Boots", "Dovidi walks {v} steps a second faster."),
    "vuru": (25, 40, "Vuru's Sandals", "Vuru walks {v} steps a second faster."),
    "vuru_camera": (75, 60, "Quick Camera", "Vuru takes her notes in {v}% of the time."),
    "cookie": (-1, -1, "Big Cooking Pot", "The cook needs one stir less for each meal."),
    "toolmaker": (-1, -1, "Sharp Anvil", "The toolmaker needs one blow less for each tool."),
    "digger_walk": (15, 25, "Light Boots", "Diggers and pickers walk {v} steps a second faster."),
    "digger_dig": (-15, -25, "Steel Shovels", "Diggers swing their shovels faster and reach the finds sooner."),
    "sift": (-800, -1200, "Fine Sifter", "Sifting at a hole takes {s} seconds less."),
    "brush": (-800, -1200, "Soft Brush", "Brushing a find clean takes {s} seconds less."),
    "picker_pick": (-20, -30, "Hard Picks", "Pickers strike faster and break the rocks sooner."),
    "digger_eat": (8000, 12000, "Hearty Meals", "Workers stay fed {s} seconds longer."),
    "digger_drink": (8000, 12000, "Big Canteens", "Workers stay refreshed {s} seconds longer."),
    "hourglass": (30000, 30000, "Hourglass", "Stops the clock for 30 seconds, once, in any country."),
    "guide": (10, 20, "Local Guide", "Each find in the crate earns ${v} more, twice for silver, three times for gold."),
}

# Per country, in the shop's order: (type, level).
SHOP = {
    "greece": [("sift", 1), ("dovidi", 1), ("digger_walk", 1), ("hourglass", 1), ("digger_eat", 1)],
    "egypt": [("brush", 1), ("vuru", 1), ("digger_drink", 1), ("cookie", 1), ("hourglass", 1)],
    "siam": [("digger_dig", 1), ("picker_pick", 1), ("vuru_camera", 1), ("toolmaker", 1), ("guide", 1)],
    "tahiti": [("sift", 2), ("digger_eat", 2), ("dovidi", 2), ("hourglass", 1), ("guide", 1)],
    "usa": [("brush", 2), ("digger_drink", 2), ("vuru", 2), ("cookie", 2), ("digger_walk", 2)],
    "peru": [("digger_dig", 2), ("picker_pick", 2), ("vuru_camera", 2), ("toolmaker", 2), ("hourglass", 1)],
    "atlantis": [("sift", 2), ("brush", 2), ("guide", 2), ("hourglass", 1), ("dovidi", 2), ("digger_eat", 2)],
}


def upgrades():
    """Every upgrade: (id, type, effect, country, image, label key, desc key, title, description)."""
    out = []
    for country in COUNTRIES:
        for kind, level in SHOP[country]:
            one, two, name, desc = TYPES[kind]
            effect = one if level == 1 else two
            ident = f"{country.upper()}_{kind.upper()}{level}"
            shown = abs(effect)
            title = name if level == 1 else name + " II"
            out.append((ident, kind, effect, country, f"UPGRADE_ICON_{kind.upper()}", f"TEXT_UPGRADE_{ident}",
                        f"TEXT_UPGRADE_{ident}_DESC", title, desc.format(v=shown, s=f"{shown / 1000:g}")))
    return out


def write_list(root):
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<root>",
             "  <!-- The upgrade shop's master list, written by tools/data/make_upgrades.py. -->",
             '  <Node id="upgrades">']
    for ident, kind, effect, country, image, label, desc, _, _ in upgrades():
        lines.append(f'    <DelvorUpgrade id="{ident}" type="{kind}" effect="{effect}" country="{country}" '
                     f'image="{image}" label="{label}" desc="{desc}"/>')
    lines += ["  </Node>", "</root>", ""]
    write(f"{root}/properties/upgrades.xml", lines)


def write_texts(root):
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<root>",
             "  <!-- The upgrade shop's titles and descriptions, written by tools/data/make_upgrades.py. -->"]
    for _, _, _, _, _, label, desc, title, text in upgrades():
        lines.append(f"  <String id={quoteattr(label)} value={quoteattr(title)}/>")
        lines.append(f"  <String id={quoteattr(desc)} value={quoteattr(text)}/>")
    lines += ["</root>", ""]
    write(f"{root}/properties/upgrade_texts.xml", lines)


def write(path, lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


# ---- icons: a sand badge with one pictogram per type


def badge():
    return rounded_panel(ICON, ICON, 14, [(0.0, SAND_LIGHT), (1.0, SAND)], UMBER, 3, inner=GOLD_DARK)


def boot(d, colour):
    d.polygon([(26, 18), (44, 18), (44, 48), (60, 52), (62, 62), (22, 62)], fill=colour + (255,),
              outline=UMBER_DEEP + (255,))
    d.line((22, 58, 62, 58), fill=UMBER_DEEP + (255,), width=3)
    for y in (26, 34):
        d.line((28, y, 42, y), fill=SAND_LIGHT + (255,), width=2)


def sandal(d):
    d.ellipse((24, 20, 56, 64), fill=CLAY + (255,), outline=UMBER_DEEP + (255,), width=2)
    d.line((26, 36, 54, 36), fill=UMBER_DEEP + (255,), width=4)
    d.line((28, 48, 52, 48), fill=UMBER_DEEP + (255,), width=4)


def camera(d):
    d.rounded_rectangle((14, 28, 66, 60), 6, fill=STONE + (255,), outline=UMBER_DEEP + (255,), width=2)
    d.rectangle((28, 20, 46, 28), fill=STONE + (255,), outline=UMBER_DEEP + (255,))
    d.ellipse((28, 32, 52, 56), fill=TEAL_DEEP + (255,), outline=WHITE + (255,), width=3)
    d.ellipse((56, 32, 62, 38), fill=GOLD_LIGHT + (255,))


def pot(d):
    d.rounded_rectangle((16, 32, 64, 62), 10, fill=STONE + (255,), outline=UMBER_DEEP + (255,), width=2)
    d.rectangle((12, 30, 68, 36), fill=mix(STONE, WHITE, 0.3) + (255,), outline=UMBER_DEEP + (255,))
    for x in (30, 40, 50):
        d.arc((x - 6, 12, x + 6, 30), 180, 360, fill=WHITE + (255,), width=2)


def anvil(d):
    d.polygon([(14, 30), (66, 30), (58, 40), (48, 40), (52, 58), (28, 58), (32, 40), (22, 40)],
              fill=STONE + (255,), outline=UMBER_DEEP + (255,))
    d.rectangle((22, 58, 58, 64), fill=UMBER + (255,))
    d.line((46, 14, 62, 26), fill=UMBER_DEEP + (255,), width=4)
    d.rectangle((56, 10, 66, 20), fill=mix(STONE, UMBER_DEEP, 0.4) + (255,))


def shovel(d):
    d.line((24, 16, 46, 46), fill=CLAY_DARK + (255,), width=5)
    d.polygon([(42, 40), (58, 50), (62, 66), (46, 64), (36, 52)], fill=STONE + (255,), outline=UMBER_DEEP + (255,))


def sifter(d):
    d.ellipse((14, 24, 66, 58), fill=UMBER + (255,), outline=UMBER_DEEP + (255,), width=3)
    for x in range(24, 60, 7):
        d.line((x, 30, x, 52), fill=SAND_LIGHT + (255,))
    for y in range(31, 54, 7):
        d.line((20, y, 60, y), fill=SAND_LIGHT + (255,))


def brush(d):
    d.rounded_rectangle((35, 10, 45, 42), 3, fill=CLAY_DARK + (255,))
    d.rectangle((31, 40, 49, 47), fill=GOLD + (255,))
    d.polygon([(29, 47), (51, 47), (58, 66), (22, 66)], fill=SAND + (255,), outline=UMBER + (255,))


def pick(d):
    d.line((40, 22, 40, 66), fill=CLAY_DARK + (255,), width=5)
    d.arc((14, 14, 66, 44), 190, 350, fill=STONE + (255,), width=7)


def apple(d):
    d.ellipse((20, 24, 60, 64), fill=(196, 40, 36, 255), outline=(110, 20, 18, 255), width=2)
    d.line((40, 26, 44, 14), fill=UMBER + (255,), width=3)
    d.ellipse((44, 12, 56, 22), fill=(90, 160, 60, 255))


def canteen(d):
    d.ellipse((18, 22, 62, 66), fill=(92, 110, 70, 255), outline=UMBER_DEEP + (255,), width=3)
    d.rectangle((34, 12, 46, 24), fill=STONE + (255,), outline=UMBER_DEEP + (255,))
    d.ellipse((30, 36, 50, 56), outline=SAND_LIGHT + (255,), width=2)


def hourglass(d):
    d.rectangle((20, 12, 60, 18), fill=CLAY_DARK + (255,))
    d.rectangle((20, 62, 60, 68), fill=CLAY_DARK + (255,))
    d.polygon([(24, 18), (56, 18), (42, 40), (56, 62), (24, 62), (38, 40)], fill=(220, 236, 240, 255),
              outline=UMBER_DEEP + (255,))
    d.polygon([(28, 60), (52, 60), (40, 48)], fill=SAND + (255,))
    d.polygon([(32, 24), (48, 24), (40, 34)], fill=SAND + (255,))


def guide(d):
    d.ellipse((28, 12, 52, 36), fill=(226, 178, 134, 255), outline=UMBER + (255,), width=2)
    d.rectangle((26, 10, 54, 16), fill=TEAL + (255,))
    d.rounded_rectangle((22, 36, 58, 66), 8, fill=TEAL + (255,), outline=TEAL_DEEP + (255,), width=2)
    d.polygon([(54, 40), (68, 30), (70, 36), (58, 46)], fill=GOLD + (255,), outline=GOLD_DARK + (255,))


PICTOGRAMS = {
    "dovidi": lambda d: boot(d, CLAY),
    "vuru": sandal,
    "vuru_camera": camera,
    "cookie": pot,
    "toolmaker": anvil,
    "digger_walk": lambda d: boot(d, TEAL),
    "digger_dig": shovel,
    "sift": sifter,
    "brush": brush,
    "picker_pick": pick,
    "digger_eat": apple,
    "digger_drink": canteen,
    "hourglass": hourglass,
    "guide": guide,
}


def icons(root):
    for kind, draw in PICTOGRAMS.items():
        img = badge()
        draw(ImageDraw.Draw(img))
        save(img, f"{root}/images/upgrades/{kind}.png")


if __name__ == "__main__":
    target = sys.argv[1]
    write_list(target)
    write_texts(target)
    icons(target)
