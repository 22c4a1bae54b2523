"""Draws the game's pictures into the data folder given as argument: the
publisher animation, the splash cards, the loading and menu backdrops, the
progress bar, the partner logos, the buttons and the dialog frame."""
import math
import random
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter

import hole_images
import make_site_items

from art import (CLAY, CLAY_DARK, DUSK, GOLD, GOLD_DARK, GOLD_LIGHT, NIGHT, PARCHMENT, SAND, SAND_LIGHT,
                 STONE, TEAL, TEAL_DEEP, UMBER, UMBER_DEEP, WHITE, font, mix, radial_vignette,
                 rounded_panel, save, text_mask, title, vgradient)

W, H = 800, 600


def mesa_line(rng, width, base, height, roughness):
    """Points of a ridge line from left to right."""
    points = []
    y = base
    for x in range(0, width + 40, 40):
        y = max(base - height, min(base + height // 3, y + rng.randint(-roughness, roughness)))
        points.append((x, y))
    return points


def dig_site(rng, night=False, finds=("amphora", "bone", "coin")):
    """The dig at dusk (or at night): sky, far mesas, earth strata cut open
    by the trench, the string grid of the squares and a few finds."""
    sky = [(0.0, NIGHT), (0.45, TEAL_DEEP), (0.75, TEAL), (1.0, DUSK)] if not night else \
        [(0.0, (8, 16, 22)), (0.6, NIGHT), (1.0, TEAL_DEEP)]
    img = vgradient(W, 330, sky)
    canvas = Image.new("RGB", (W, H))
    canvas.paste(img, (0, 0))
    draw = ImageDraw.Draw(canvas)
    # The sun low on the horizon, or the moon.
    if night:
        for _ in range(90):
            x, y = rng.randint(0, W), rng.randint(0, 260)
            c = mix(NIGHT, WHITE, rng.uniform(0.4, 1.0))
            draw.point((x, y), fill=c)
        glow = Image.new("L", (W, H), 0)
        ImageDraw.Draw(glow).ellipse((680, 30, 760, 110), fill=200)
        glow = glow.filter(ImageFilter.GaussianBlur(18))
        canvas.paste(Image.new("RGB", (W, H), SAND_LIGHT), (0, 0), glow)
        draw.ellipse((692, 42, 748, 98), fill=SAND_LIGHT)
    else:
        glow = Image.new("L", (W, H), 0)
        ImageDraw.Draw(glow).ellipse((470, 200, 650, 380), fill=190)
        glow = glow.filter(ImageFilter.GaussianBlur(40))
        canvas.paste(Image.new("RGB", (W, H), GOLD_LIGHT), (0, 0), glow)
        draw.ellipse((520, 250, 600, 330), fill=GOLD_LIGHT)
    # Two rows of mesas.
    far = mesa_line(rng, W, 300, 60, 18)
    near = mesa_line(rng, W, 325, 40, 14)
    draw.polygon([(0, H)] + far + [(W, H)], fill=mix(TEAL_DEEP, DUSK, 0.25 if not night else 0.05))
    draw.polygon([(0, H)] + near + [(W, H)], fill=mix(UMBER, DUSK, 0.3 if not night else 0.0))
    # Earth strata: bands with gently waving tops.
    bands = [(340, SAND), (390, mix(SAND, CLAY, 0.45)), (445, CLAY_DARK), (500, UMBER), (555, UMBER_DEEP)]
    for i, (top, colour) in enumerate(bands):
        if night:
            colour = mix(colour, NIGHT, 0.45)
        phase = rng.uniform(0, 6.28)
        points = [(x, top + 6 * math.sin(x / 70.0 + phase)) for x in range(0, W + 20, 20)]
        draw.polygon([(0, H)] + points + [(W, H)], fill=colour)
        # Pebbles in each layer.
        for _ in range(40):
            x = rng.randint(0, W)
            y = rng.randint(top + 8, min(H, top + 60))
            r = rng.randint(1, 3)
            draw.ellipse((x - r, y - r, x + r, y + r), fill=mix(colour, UMBER_DEEP if i < 2 else SAND, 0.3))
    # The string grid of the excavation squares.
    line = mix(SAND_LIGHT, WHITE, 0.3) if not night else mix(SAND, NIGHT, 0.4)
    for x in range(40, W, 120):
        draw.line((x, 350, x - 30, H), fill=line, width=1)
    for y in (380, 450, 530):
        draw.line((0, y, W, y + 6), fill=line, width=1)
    # A few finds peeking out of the earth: an amphora, a bone, a coin.
    if "amphora" in finds:
        pot = amphora(mix(CLAY, GOLD_LIGHT, 0.4)).rotate(-72, resample=Image.BICUBIC, expand=True)
        canvas.paste(pot, (96, 436), pot)
    if "bone" in finds:
        draw.rounded_rectangle((590, 512, 660, 522), 5, fill=mix(SAND_LIGHT, WHITE, 0.2))
        draw.ellipse((582, 506, 598, 528), fill=mix(SAND_LIGHT, WHITE, 0.2))
        draw.ellipse((652, 506, 668, 528), fill=mix(SAND_LIGHT, WHITE, 0.2))
    if "coin" in finds:
        draw.ellipse((420, 420, 444, 444), fill=GOLD, outline=GOLD_DARK, width=2)
        draw.ellipse((427, 427, 437, 437), outline=GOLD_DARK, width=1)
    canvas.paste(Image.new("RGB", (W, H), (0, 0, 0)), (0, 0), radial_vignette(W, H, 150))
    return canvas


def amphora(colour):
    """An upright amphora on a transparent ground: rim, neck, two handles,
    a body tapering to its foot, painted bands and a highlight."""
    width, height = 64, 124
    img = Image.new("RGBA", (width, height), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    dark = mix(colour, UMBER_DEEP, 0.55) + (255,)
    body = []
    for k in range(41):
        t = k / 40.0  # from the shoulder (0) to the foot (1)
        half = 26 * math.sin(math.pi * (0.18 + 0.82 * t)) ** 0.8 * (1 - 0.85 * t) + 3
        body.append((32 + half, 30 + t * 82))
    outline = body + [(64 - x, y) for x, y in reversed(body)]
    for side in (-1, 1):
        d.line([(32 + side * 6, 12), (32 + side * 18, 13), (32 + side * 21, 22), (32 + side * 17, 34)], fill=dark,
               width=4, joint="curve")
    d.polygon(outline, fill=colour + (255,), outline=dark)
    d.rectangle((26, 6, 38, 32), fill=colour + (255,), outline=dark)
    d.rectangle((22, 1, 42, 7), fill=mix(colour, GOLD_LIGHT, 0.2) + (255,), outline=dark)
    d.rectangle((28, 110, 36, 120), fill=colour + (255,), outline=dark)
    for y in (46, 54):
        d.line([(9, y), (55, y)], fill=mix(GOLD_DARK, UMBER, 0.3) + (255,), width=2)
    d.line([(16, 40), (14, 70), (22, 92)], fill=mix(colour, GOLD_LIGHT, 0.45) + (255,), width=3, joint="curve")
    # Clip the bands and the highlight to the pot.
    mask = Image.new("L", img.size, 0)
    md = ImageDraw.Draw(mask)
    md.polygon(outline, fill=255)
    md.rectangle((22, 1, 42, 32), fill=255)
    md.rectangle((28, 110, 36, 120), fill=255)
    for side in (-1, 1):
        md.line([(32 + side * 6, 12), (32 + side * 18, 13), (32 + side * 21, 22), (32 + side * 17, 34)], fill=255,
                width=4, joint="curve")
    img.putalpha(ImageChops.multiply(img.getchannel("A"), mask))
    return img


TITLE_STOPS = [(0.0, GOLD_LIGHT), (0.55, GOLD), (1.0, GOLD_DARK)]


def delvor_title(canvas, top, size=120):
    return title(canvas, "Delvor", font("DejaVuSerif-Bold.ttf", size), W // 2, top, TITLE_STOPS, glow=UMBER_DEEP)


def subtitle(canvas, text, top, size=24, colour=SAND_LIGHT):
    mask, _ = text_mask(text, font("DejaVuSerif-Italic.ttf", size))
    x = (W - mask.width) // 2
    shadow = mask.filter(ImageFilter.GaussianBlur(2))
    canvas.paste(Image.new("RGB", mask.size, UMBER_DEEP), (x + 2, top + 2), shadow)
    canvas.paste(Image.new("RGB", mask.size, colour), (x, top), mask)


# ---- the publisher animation ------------------------------------------------------

def publisher_background():
    img = vgradient(W, H, [(0.0, (10, 22, 18)), (0.5, (24, 48, 36)), (1.0, (8, 16, 12))])
    img.paste(Image.new("RGB", (W, H), (0, 0, 0)), (0, 0), radial_vignette(W, H, 220))
    return img


def publisher_logo(frames=8):
    """The Fablewood logo: a round tree over the wordmark, a light sweeping
    across it frame by frame. The frames sit side by side."""
    fw, fh = 360, 260
    sheet = Image.new("RGBA", (fw * frames, fh), (0, 0, 0, 0))
    base = Image.new("RGBA", (fw, fh), (0, 0, 0, 0))
    d = ImageDraw.Draw(base)
    leaf = (96, 160, 84)
    leaf_dark = (52, 104, 60)
    d.rectangle((170, 110, 190, 170), fill=UMBER)
    d.polygon([(150, 172), (210, 172), (192, 150), (168, 150)], fill=UMBER)
    for cx, cy, r, c in ((180, 70, 52, leaf_dark), (140, 92, 36, leaf_dark), (222, 92, 36, leaf_dark),
                         (180, 62, 42, leaf), (146, 86, 28, leaf), (214, 86, 28, leaf)):
        d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=c)
    word, _ = text_mask("Fablewood", font("DejaVuSerif-Bold.ttf", 46))
    x = (fw - word.width) // 2
    base.paste(Image.new("RGBA", word.size, SAND_LIGHT + (255,)), (x, 190), word)
    for k in range(frames):
        frame = base.copy()
        # The sweep: a slanted band of light, clipped to the logo's ink.
        band = Image.new("L", (fw, fh), 0)
        centre = -60 + k * (fw + 120) / (frames - 1)
        ImageDraw.Draw(band).polygon([(centre - 30, fh), (centre + 10, fh), (centre + 90, 0), (centre + 50, 0)],
                                     fill=150)
        band = band.filter(ImageFilter.GaussianBlur(8))
        ink = frame.getchannel("A")
        light = ImageChops.multiply(band, ink)
        frame.paste(Image.new("RGBA", (fw, fh), WHITE + (255,)), (0, 0), light)
        frame.putalpha(ink)
        sheet.paste(frame, (k * fw, 0))
    return sheet


# ---- splash cards -----------------------------------------------------------------

def splash_title(rng):
    img = dig_site(rng)
    delvor_title(img, 90, 130)
    subtitle(img, "An Archaeological Adventure", 250, 28)
    return img


def splash_engine_card():
    """A 640 x 480 card, shown centred on the black backdrop."""
    card = rounded_panel(640, 480, 28, [(0.0, TEAL_DEEP), (1.0, NIGHT)], GOLD_DARK, 4, inner=mix(GOLD, NIGHT, 0.5))
    canvas = Image.new("RGB", (640, 480), (0, 0, 0))
    canvas.paste(card, (0, 0), card)
    d = ImageDraw.Draw(canvas)
    for i, line in enumerate(("Dug up with care", "by the Delvor team")):
        mask, _ = text_mask(line, font("DejaVuSerif-Bold.ttf", 36))
        canvas.paste(vgradient(mask.width, mask.height, TITLE_STOPS), ((640 - mask.width) // 2, 120 + i * 56), mask)
    d.line((170, 260, 470, 260), fill=mix(GOLD, NIGHT, 0.4), width=2)
    for i, line in enumerate(("engine ZQ2  \u00b7  sound Aulos", "fonts DejaVu")):
        mask, _ = text_mask(line, font("DejaVuSans.ttf", 22))
        canvas.paste(Image.new("RGB", mask.size, SAND), ((640 - mask.width) // 2, 290 + i * 40), mask)
    return canvas


# ---- loading scene ----------------------------------------------------------------

def loading_background(rng):
    img = dig_site(rng, finds=())
    delvor_title(img, 40, 110)
    # A shaded plate behind the loading text, the bar and the partners.
    shade = Image.new("L", (W, H), 0)
    ImageDraw.Draw(shade).rounded_rectangle((140, 392, 660, 592), 22, fill=150)
    img.paste(Image.new("RGB", (W, H), UMBER_DEEP), (0, 0), shade.filter(ImageFilter.GaussianBlur(3)))
    return img


def progress_frame():
    return rounded_panel(440, 40, 12, [(0.0, UMBER_DEEP), (1.0, UMBER)], GOLD_DARK, 3)


def progress_bar():
    bar = rounded_panel(420, 20, 8, [(0.0, GOLD_LIGHT), (0.5, GOLD), (1.0, GOLD_DARK)], CLAY_DARK, 1)
    shine = Image.new("RGBA", bar.size, (0, 0, 0, 0))
    ImageDraw.Draw(shine).rounded_rectangle((4, 3, 415, 7), 2, fill=(255, 255, 255, 90))
    return Image.alpha_composite(bar, shine)


def partner_logo(name, kind):
    """A partner's plate: an emblem and the name."""
    plate = rounded_panel(220, 84, 14, [(0.0, mix(NIGHT, TEAL_DEEP, 0.5)), (1.0, NIGHT)], mix(GOLD_DARK, NIGHT, 0.3),
                          2)
    d = ImageDraw.Draw(plate)
    if kind == "waves":
        for i in range(3):
            points = [(18 + x, 42 + (10 - 3 * i) * math.sin(x / 6.0 + i)) for x in range(0, 50, 2)]
            d.line(points, fill=mix(TEAL, GOLD_LIGHT, i / 2.0) + (255,), width=3)
    else:
        cx, cy, r = 44, 42, 26
        hexagon = [(cx + r * math.cos(math.pi / 3 * k + math.pi / 6), cy + r * math.sin(math.pi / 3 * k + math.pi / 6))
                   for k in range(6)]
        d.polygon(hexagon, fill=CLAY + (255,), outline=GOLD + (255,))
        d.polygon([(cx - 10, cy - 10), (cx + 10, cy - 10), (cx - 10, cy + 10), (cx + 10, cy + 10)],
                  outline=GOLD_LIGHT + (255,))
    mask, _ = text_mask(name, font("DejaVuSans-Bold.ttf", 28))
    plate.paste(Image.new("RGBA", mask.size, SAND_LIGHT + (255,)), (84, (84 - mask.height) // 2), mask)
    return plate


# ---- user interface ---------------------------------------------------------------

BUTTON_W, BUTTON_H = 160, 52
# A label keeps this far inside the face on either side (its shadow too);
# a long one is set smaller until it does.
LABEL_MARGIN = 8
LABEL_SIZES = range(22, 13, -1)


def label_typeface(label):
    room = BUTTON_W - 4 - 2 * LABEL_MARGIN
    for size in LABEL_SIZES:
        typeface = font("DejaVuSans-Bold.ttf", size)
        left, _, right, _ = typeface.getbbox(label, anchor="la")
        if right - left + 1 <= room:
            return typeface
    raise ValueError(f"button label {label!r} does not fit {room} pixels")


def button(label):
    """Four frames side by side: normal, over, pressed, disabled."""
    looks = [
        ([(0.0, mix(CLAY, GOLD, 0.3)), (1.0, CLAY_DARK)], GOLD, 0, PARCHMENT),
        ([(0.0, mix(CLAY, GOLD_LIGHT, 0.5)), (1.0, CLAY)], GOLD_LIGHT, 0, WHITE),
        ([(0.0, CLAY_DARK), (1.0, mix(CLAY, GOLD, 0.2))], GOLD_DARK, 2, SAND),
        ([(0.0, (150, 140, 128)), (1.0, STONE)], (110, 104, 96), 0, (200, 196, 188)),
    ]
    sheet = Image.new("RGBA", (BUTTON_W * 4, BUTTON_H), (0, 0, 0, 0))
    typeface = label_typeface(label)
    for k, (stops, rim, shift, ink) in enumerate(looks):
        face = rounded_panel(BUTTON_W - 4, BUTTON_H - 4, 14, stops, rim, 2)
        frame = Image.new("RGBA", (BUTTON_W, BUTTON_H), (0, 0, 0, 0))
        shadow = Image.new("L", (BUTTON_W, BUTTON_H), 0)
        ImageDraw.Draw(shadow).rounded_rectangle((3, 4, BUTTON_W - 1, BUTTON_H - 1), 14, fill=110)
        shadow = shadow.filter(ImageFilter.GaussianBlur(1))
        frame.paste(Image.new("RGBA", frame.size, UMBER_DEEP + (255,)), (0, 0), shadow)
        frame.alpha_composite(face, (shift, shift))
        mask, _ = text_mask(label, typeface)
        x = (BUTTON_W - 4 - mask.width) // 2 + shift
        y = (BUTTON_H - 4 - mask.height) // 2 + shift
        frame.paste(Image.new("RGBA", mask.size, UMBER_DEEP + (255,)), (x + 1, y + 2), mask)
        frame.paste(Image.new("RGBA", mask.size, ink + (255,)), (x, y), mask)
        sheet.paste(frame, (k * BUTTON_W, 0))
    return sheet


def dialog_pieces():
    """The dialog frame cut into eight pieces: 32-pixel corners and
    16-pixel edge tiles; the centre is the painter's flat parchment colour."""
    size = 80
    frame = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    shape = Image.new("L", (size, size), 0)
    ImageDraw.Draw(shape).rounded_rectangle((0, 0, size - 1, size - 1), 22, fill=255)
    frame.paste(Image.new("RGBA", (size, size), UMBER_DEEP + (255,)), (0, 0), shape)
    d = ImageDraw.Draw(frame)
    d.rounded_rectangle((3, 3, size - 4, size - 4), 19, fill=CLAY_DARK + (255,))
    d.rounded_rectangle((6, 6, size - 7, size - 7), 16, fill=GOLD + (255,))
    d.rounded_rectangle((8, 8, size - 9, size - 9), 14, fill=UMBER + (255,))
    d.rounded_rectangle((11, 11, size - 12, size - 12), 11, fill=PARCHMENT + (255,))
    cuts = {
        "tl": (0, 0, 32, 32), "t": (32, 0, 48, 32), "tr": (48, 0, 80, 32),
        "l": (0, 32, 32, 48), "r": (48, 32, 80, 48),
        "bl": (0, 48, 32, 80), "b": (32, 48, 48, 80), "br": (48, 48, 80, 80),
    }
    return {name: frame.crop(box) for name, box in cuts.items()}


def menu_background(rng):
    img = dig_site(rng, night=True, finds=("amphora", "bone"))
    delvor_title(img, 60, 120)
    subtitle(img, "An Archaeological Adventure", 210, 26)
    return img


# ---- The in-level menu, pause, settings, help and credits dialogs.

MENU_BUTTONS = (("Resume", "resume"), ("Help", "help"), ("Settings", "settings"), ("Main Menu", "main"),
                ("Map", "map"), ("Cancel", "cancel"), ("Credits", "credits"), ("<", "prev"), (">", "next"))
THUMB_W, THUMB_H = 24, 34
CHECK = 34


def slider_track():
    """The groove the volume thumbs run in."""
    track = Image.new("RGBA", (260, 20), (0, 0, 0, 0))
    d = ImageDraw.Draw(track)
    d.rounded_rectangle((0, 2, 259, 17), 8, fill=UMBER_DEEP + (255,))
    d.rounded_rectangle((3, 5, 256, 14), 5, fill=CLAY_DARK + (255,))
    d.rounded_rectangle((4, 6, 255, 9), 2, fill=mix(CLAY, GOLD, 0.4) + (255,))
    return track


def slider_thumb():
    """Four frames: normal, over, pressed, disabled."""
    faces = (GOLD, GOLD_LIGHT, GOLD_DARK, STONE)
    sheet = Image.new("RGBA", (THUMB_W * 4, THUMB_H), (0, 0, 0, 0))
    for k, face in enumerate(faces):
        d = ImageDraw.Draw(sheet)
        x = k * THUMB_W
        d.rounded_rectangle((x + 1, 1, x + THUMB_W - 2, THUMB_H - 2), 6, fill=UMBER_DEEP + (255,))
        d.rounded_rectangle((x + 3, 3, x + THUMB_W - 4, THUMB_H - 4), 4, fill=face + (255,))
        for line in (12, 16, 20):
            d.line((x + 7, line, x + THUMB_W - 8, line), fill=UMBER + (255,), width=1)
    return sheet


def check_box():
    """Eight frames: the four button looks unchecked, then checked."""
    faces = (PARCHMENT, WHITE, SAND, (200, 196, 188))
    sheet = Image.new("RGBA", (CHECK * 8, CHECK), (0, 0, 0, 0))
    d = ImageDraw.Draw(sheet)
    for k in range(8):
        x = k * CHECK
        d.rounded_rectangle((x + 1, 1, x + CHECK - 2, CHECK - 2), 6, fill=UMBER_DEEP + (255,))
        d.rounded_rectangle((x + 4, 4, x + CHECK - 5, CHECK - 5), 4, fill=faces[k % 4] + (255,))
        if k >= 4:
            d.line((x + 9, 17, x + 15, 24, x + 26, 9), fill=CLAY_DARK + (255,), width=4)
    return sheet


HELP_CAPTIONS = ("Click a square to dig it", "Carry the finds to the tent", "Buy tools between days",
                 "Meet the expert goal")


def help_screen(page):
    """A framed picture of the dig with the page's hint painted in."""
    picture = dig_site(random.Random(100 + page), night=page % 2 == 0).resize((440, 250), Image.LANCZOS)
    frame = Image.new("RGB", (448, 258), UMBER_DEEP)
    frame.paste(picture, (4, 4))
    typeface = font("DejaVuSans-Bold.ttf", 20)
    mask, _ = text_mask(HELP_CAPTIONS[page - 1], typeface)
    x = (448 - mask.width) // 2
    band = Image.new("RGB", (448, mask.height + 16), UMBER_DEEP)
    frame.paste(band, (0, 258 - band.height))
    frame.paste(Image.new("RGB", mask.size, SAND_LIGHT), (x, 258 - band.height + 8), mask)
    return frame


def save_menu_dialog_pictures(root):
    for label, name in MENU_BUTTONS:
        save(button(label), f"{root}/images/ui/button_{name}.png")
    save(slider_track(), f"{root}/images/ui/slider_track.png")
    save(slider_thumb(), f"{root}/images/ui/slider_thumb.png")
    save(check_box(), f"{root}/images/ui/check_box.png")
    for page in range(1, 5):
        save(help_screen(page), f"{root}/images/help/screen{page}.jpg", 86)


def main(root):
    save(publisher_background(), f"{root}/images/splash/publisher_background.jpg", 85)
    save(publisher_logo(), f"{root}/images/splash/publisher_logo.png")
    save(splash_title(random.Random(7)), f"{root}/splash/splash1.jpg", 86)
    save(splash_engine_card(), f"{root}/splash/splash2.png")
    save(loading_background(random.Random(11)), f"{root}/images/loading/background.jpg", 86)
    save(progress_frame(), f"{root}/images/loading/progress_frame.png")
    save(progress_bar(), f"{root}/images/loading/progress_bar.png")
    save(partner_logo("Aulos", "waves"), f"{root}/images/loading/partner_aulos.png")
    save(partner_logo("ZQ2", "hex"), f"{root}/images/loading/partner_zq2.png")
    save(menu_background(random.Random(23)), f"{root}/images/menu/background.jpg", 86)
    for label in ("Yes", "No", "OK", "Quit"):
        save(button(label), f"{root}/images/ui/button_{label.lower()}.png")
    for name, piece in dialog_pieces().items():
        save(piece, f"{root}/images/ui/dialog_{name}.png")
    save_menu_dialog_pictures(root)
    menus_images(root)
    hole_images.main(root)
    # The site's items, their tables, the cook and the toolmaker.
    make_site_items.site_items_images(root)


# ---- main menu and player dialogs


def logo_shine(frames=6, flip=False):
    """A band of light sweeping over the logo, one frame per column."""
    w, h = 320, 60
    sheet = Image.new("RGBA", (w * frames, h), (0, 0, 0, 0))
    for k in range(frames):
        frame = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        d = ImageDraw.Draw(frame)
        x = (k * w) // frames if not flip else w - (k * w) // frames
        d.polygon([(x, 0), (x + 30, 0), (x + 10, h), (x - 20, h)], fill=GOLD_LIGHT + (110,))
        sheet.paste(frame, (k * w, 0))
    return sheet


def sparkle(frames=5):
    size = 40
    sheet = Image.new("RGBA", (size * frames, size), (0, 0, 0, 0))
    for k in range(frames):
        frame = Image.new("RGBA", (size, size), (0, 0, 0, 0))
        d = ImageDraw.Draw(frame)
        r = 4 + 4 * min(k, frames - 1 - k)
        c = size // 2
        d.polygon([(c, c - r * 2), (c + 3, c), (c, c + r * 2), (c - 3, c)], fill=WHITE + (230,))
        d.polygon([(c - r * 2, c), (c, c + 3), (c + r * 2, c), (c, c - 3)], fill=WHITE + (230,))
        sheet.paste(frame, (k * size, 0))
    return sheet


def name_row():
    """A player row: normal, over, pressed, disabled."""
    w, h = 300, 40
    sheet = Image.new("RGBA", (w * 4, h), (0, 0, 0, 0))
    fills = [SAND, SAND_LIGHT, GOLD, SAND]
    for k, fill in enumerate(fills):
        frame = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        ImageDraw.Draw(frame).rounded_rectangle((0, 0, w - 1, h - 1), 8, fill=fill + (255,), outline=UMBER + (255,))
        sheet.paste(frame, (k * w, 0))
    return sheet


def row_border():
    w, h = 308, 48
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    ImageDraw.Draw(img).rounded_rectangle((0, 0, w - 1, h - 1), 10, outline=GOLD_DARK + (255,), width=4)
    return img


FRONT_BUTTONS = ("Play", "Help", "Settings", "Scores", "Trophies", "Player", "More Games", "Add", "Remove",
                "Cancel", "Back")


def menus_images(root):
    for label in FRONT_BUTTONS:
        save(button(label), f"{root}/images/ui/button_{label.lower().replace(' ', '')}.png")
    save(logo_shine(), f"{root}/images/menu/logo_shine1.png")
    save(logo_shine(flip=True), f"{root}/images/menu/logo_shine2.png")
    save(sparkle(), f"{root}/images/menu/sparkle.png")
    save(name_row(), f"{root}/images/ui/name_row.png")
    save(row_border(), f"{root}/images/ui/row_border.png")


if __name__ == "__main__":
    main(sys.argv[1])
