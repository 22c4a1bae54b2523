"""Draws the level scene's own pictures into the data folder given as
argument: the dig site's background, the three tables with Vuru's crate
and its lids, the hourglass button, the in-level menu button and the
hourglass clock's face, rim, hand and flash overlays."""
import math
import random
import sys

from PIL import Image, ImageDraw, ImageFilter

from art import (CLAY, CLAY_DARK, GOLD, GOLD_DARK, GOLD_LIGHT, PARCHMENT, SAND, SAND_LIGHT, STONE, UMBER,
                 UMBER_DEEP, WHITE, font, mix, rounded_panel, save, text_mask, vgradient)

W, H = 800, 600
SKY = [(0.0, (120, 176, 214)), (1.0, (206, 226, 232))]
GRASS = (142, 150, 84)
BLUE = (70, 130, 190)
RED = (196, 52, 40)


def canvas(w, h):
    return Image.new("RGBA", (w, h), (0, 0, 0, 0))


def background(rng):
    """Sky and hills above a sandy dig site with a path along the bottom."""
    img = vgradient(W, H, SKY)
    d = ImageDraw.Draw(img)
    d.polygon([(0, 120), (160, 80), (330, 110), (520, 70), (800, 105), (800, 160), (0, 160)], fill=mix(GRASS, STONE, 0.3))
    d.rectangle((0, 140, W, H), fill=SAND)
    for _ in range(900):
        x, y = rng.randrange(W), rng.randrange(150, H)
        shade = mix(SAND, rng.choice([SAND_LIGHT, CLAY, STONE]), rng.uniform(0.1, 0.45))
        d.point((x, y), fill=shade)
    d.rectangle((0, 440, W, 520), fill=mix(SAND, UMBER, 0.18))
    for x in range(0, W, 40):
        d.line([(x, 446), (x + 18, 446)], fill=mix(SAND, UMBER, 0.3), width=2)
    return img.filter(ImageFilter.GaussianBlur(0.6))


def table(w, h, top):
    """A trestle table seen from the front, its top in the given colour."""
    img = canvas(w, h)
    d = ImageDraw.Draw(img)
    d.rectangle((6, 14, 12, h - 1), fill=UMBER_DEEP + (255,))
    d.rectangle((w - 13, 14, w - 7, h - 1), fill=UMBER_DEEP + (255,))
    d.rounded_rectangle((0, 0, w - 1, 18), 4, fill=top + (255,), outline=UMBER + (255,), width=2)
    d.line([(4, 6), (w - 5, 6)], fill=mix(top, WHITE, 0.25) + (255,), width=1)
    return img


def crate():
    img = canvas(70, 44)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 8, 69, 43), fill=CLAY_DARK + (255,), outline=UMBER_DEEP + (255,), width=2)
    for y in (18, 30):
        d.line([(2, y), (67, y)], fill=UMBER + (255,), width=2)
    return img


def lid():
    img = canvas(35, 10)
    ImageDraw.Draw(img).rectangle((0, 0, 34, 9), fill=CLAY + (255,), outline=UMBER_DEEP + (255,), width=2)
    return img


def small_button(draw_face, w=40, h=40):
    """Four frames side by side: normal, over, pressed, disabled."""
    looks = [(PARCHMENT, GOLD, 0), (SAND_LIGHT, GOLD_LIGHT, 0), (SAND, GOLD_DARK, 2), ((190, 186, 178), STONE, 0)]
    sheet = canvas(w * 4, h)
    for k, (fill, rim, shift) in enumerate(looks):
        frame = canvas(w, h)
        face = rounded_panel(w - 4, h - 4, 8, [(0.0, fill), (1.0, mix(fill, UMBER, 0.2))], rim, 2)
        frame.alpha_composite(face, (shift, shift))
        draw_face(ImageDraw.Draw(frame), shift, k == 3)
        sheet.paste(frame, (k * w, 0))
    return sheet


def hourglass_face(d, shift, disabled):
    ink = STONE if disabled else UMBER_DEEP
    sand = STONE if disabled else GOLD
    x, y = 10 + shift, 8 + shift
    d.line([(x, y), (x + 16, y)], fill=ink + (255,), width=3)
    d.line([(x, y + 22), (x + 16, y + 22)], fill=ink + (255,), width=3)
    d.polygon([(x + 2, y + 2), (x + 14, y + 2), (x + 8, y + 11), (x + 14, y + 20), (x + 2, y + 20), (x + 8, y + 11)],
              outline=ink + (255,))
    d.polygon([(x + 4, y + 19), (x + 12, y + 19), (x + 8, y + 14)], fill=sand + (255,))


def menu_button():
    typeface = font("DejaVuSans-Bold.ttf", 16)

    def face(d, shift, disabled):
        mask, _ = text_mask("Menu", typeface)
        ink = STONE if disabled else UMBER_DEEP
        x = (80 - 4 - mask.width) // 2 + shift
        y = (32 - 4 - mask.height) // 2 + shift
        d.bitmap((x, y), mask, fill=ink + (255,))

    return small_button(face, 80, 32)


def clock_face():
    """The clock's own picture: a round parchment face with twelve ticks,
    under the hand and the hourglass sand."""
    img = canvas(64, 64)
    d = ImageDraw.Draw(img)
    d.ellipse((1, 1, 62, 62), fill=PARCHMENT + (255,))
    for k in range(12):
        a = k * math.pi / 6
        x0, y0 = 32 + 22 * math.sin(a), 32 - 22 * math.cos(a)
        x1, y1 = 32 + 27 * math.sin(a), 32 - 27 * math.cos(a)
        d.line([(x0, y0), (x1, y1)], fill=UMBER + (255,), width=2)
    return img


def clock_frame_back(rim):
    """The rim around the face, drawn over the hand and the sand so that
    both end at its edge."""
    img = canvas(64, 64)
    ImageDraw.Draw(img).ellipse((1, 1, 62, 62), outline=rim + (255,), width=4)
    return img


def flash_ring(colour):
    img = canvas(64, 64)
    ImageDraw.Draw(img).ellipse((1, 1, 62, 62), outline=colour + (220,), width=5)
    return img


def clock_hand():
    img = canvas(4, 26)
    ImageDraw.Draw(img).rectangle((0, 0, 3, 25), fill=UMBER_DEEP + (255,))
    return img


def main(root):
    out = f"{root}/images/level"
    save(background(random.Random(31)), f"{out}/background.jpg", 86)
    save(table(150, 60, CLAY), f"{out}/table_vuru.png")
    save(table(130, 60, mix(CLAY, SAND, 0.5)), f"{out}/table_dovidi.png")
    save(table(110, 60, mix(CLAY_DARK, SAND, 0.4)), f"{out}/table_cookie.png")
    save(crate(), f"{out}/crate.png")
    save(lid(), f"{out}/lid.png")
    save(small_button(hourglass_face), f"{out}/button_hourglass.png")
    save(menu_button(), f"{out}/button_menu.png")
    save(clock_face(), f"{out}/clock.png")
    save(clock_frame_back(UMBER), f"{out}/clock_frame_back.png")
    save(clock_hand(), f"{out}/clock_hand.png")
    save(flash_ring(RED), f"{out}/timer_frame_red.png")
    save(flash_ring(BLUE), f"{out}/timer_frame_blue.png")


if __name__ == "__main__":
    main(sys.argv[1])
