"""Renders DejaVu typefaces into the engine's bitmap fonts: for each font a
description (fonts/<name>.xml: glyph rectangles, advances, bearings, cells,
line metrics, kerning) and its layer pictures beside it.

Glyphs sit in a grid of equal cells on an unpadded sheet. A layer with
padding p is drawn on a sheet whose every cell is 2p larger, so a glyph's
rectangle there is its unpadded one moved by 2p per cell to its left and
above, and grown by 2p: the engine finds it from the glyph's cell.
"""
import os
import sys
from xml.sax.saxutils import quoteattr

from PIL import Image, ImageDraw, ImageFilter

from art import CLAY, CLAY_DARK, GOLD, INK, PARCHMENT, SAND_LIGHT, UMBER, UMBER_DEEP, font, save, vgradient

COLUMNS = 16
# Printable ASCII and the printable Latin-1 letters and signs.
CHARACTERS = [chr(c) for c in range(33, 127)] + [chr(c) for c in range(161, 256) if c != 173]
# Pairs worth kerning in the game's texts.
KERNING_LEFT = "AFLPTVWYfrvy"
KERNING_RIGHT = "AJTVWYacdegoqsu.,"

# name: typeface, size, fill stops (top to bottom), shadow colour or None,
# shadow padding, shadow offset, pixels the shadow grows by on every side.
FONTS = {
    "title": ("DejaVuSerif-Bold.ttf", 30, [(0.0, CLAY), (1.0, CLAY_DARK)], GOLD, 3, (1, 1), 0),
    "text": ("DejaVuSans.ttf", 18, [(0.0, INK), (1.0, INK)], None, 0, (0, 0), 0),
    "small": ("DejaVuSans-Bold.ttf", 17, [(0.0, PARCHMENT), (1.0, SAND_LIGHT)], UMBER_DEEP, 2, (1, 1), 0),
    # Captions on a dialog's parchment (column headings, the version): its
    # lightest ink still stands out from the parchment six to one.
    "caption": ("DejaVuSans-Bold.ttf", 16, [(0.0, CLAY_DARK), (1.0, UMBER)], None, 0, (0, 0), 0),
    # The name of a find over the dig site: dark ink in a pale halo reads on sand and in the pit.
    "artifacts": ("DejaVuSerif-Bold.ttf", 16, [(0.0, UMBER_DEEP), (1.0, CLAY_DARK)], PARCHMENT, 2, (0, 0), 1),
}


def glyph_boxes(typeface):
    """Each character's ink box relative to the pen at the line's top."""
    boxes = {}
    for ch in CHARACTERS:
        left, top, right, bottom = typeface.getbbox(ch, anchor="la")
        if right <= left or bottom <= top:
            continue
        boxes[ch] = (left, top, right, bottom)
    return boxes


def layer_sheet(typeface, boxes, cell, padding, fill, offset=(0, 0), blur=0, grow=0):
    """One layer: every glyph drawn into its (padded) cell."""
    cw, ch_ = cell
    rows = (len(boxes) + COLUMNS - 1) // COLUMNS
    width = COLUMNS * (cw + 2 * padding)
    height = rows * (ch_ + 2 * padding)
    mask = Image.new("L", (width, height), 0)
    draw = ImageDraw.Draw(mask)
    for index, (ch, (left, top, _, _)) in enumerate(boxes.items()):
        col, row = index % COLUMNS, index // COLUMNS
        x = col * (cw + 2 * padding) + 1 + padding + offset[0]
        y = row * (ch_ + 2 * padding) + 1 + padding + offset[1]
        draw.text((x - left, y - top), ch, font=typeface, fill=255, anchor="la")
    if grow:
        mask = mask.filter(ImageFilter.MaxFilter(2 * grow + 1))
    if blur:
        mask = mask.filter(ImageFilter.GaussianBlur(blur))
    sheet = Image.new("RGBA", (width, height), (0, 0, 0, 0))
    if isinstance(fill, list):
        # The gradient runs down each row of cells.
        strip = vgradient(width, ch_ + 2 * padding, fill, "RGBA")
        colour = Image.new("RGBA", (width, height))
        for row in range(rows):
            colour.paste(strip, (0, row * (ch_ + 2 * padding)))
    else:
        colour = Image.new("RGBA", (width, height), fill + (255,))
    sheet.paste(colour, (0, 0), mask)
    return sheet


def kerning(typeface, boxes):
    """Pairs whose drawn advance differs from the sum of the two advances."""
    by_amount = {}
    for a in KERNING_LEFT:
        for b in KERNING_RIGHT:
            if a not in boxes or b not in boxes:
                continue
            amount = round(typeface.getlength(a + b) - typeface.getlength(a) - typeface.getlength(b))
            if amount:
                by_amount.setdefault(amount, []).append((a, b))
    # Per amount: "#0#left#right#right..." for each left character, in hex.
    entries = []
    for amount, pairs in sorted(by_amount.items()):
        text = ""
        for left in dict.fromkeys(a for a, _ in pairs):
            text += "#0#%x" % ord(left) + "".join("#%x" % ord(b) for a, b in pairs if a == left)
        entries.append((amount, text))
    return entries


def write_font(root, name, spec):
    face, size, fill, shadow, padding, offset, grow = spec
    typeface = font(face, size)
    boxes = glyph_boxes(typeface)
    cw = max(r - l for l, t, r, b in boxes.values()) + 2
    ch_ = max(b - t for l, t, r, b in boxes.values()) + 2
    ascent, descent = typeface.getmetrics()
    folder = os.path.join(root, "fonts")
    layers = [("%s_fill.png" % name, 0, layer_sheet(typeface, boxes, (cw, ch_), 0, fill))]
    if shadow:
        layers.append(("%s_shadow.png" % name, padding,
                       layer_sheet(typeface, boxes, (cw, ch_), padding, shadow, offset, blur=0.8, grow=grow)))
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<root>",
             '  <Font id="font" lineheight="%d" baseline="%d" spacewidth="%g" charspacing="0">'
             % (ascent + descent, ascent, typeface.getlength(" ")),
             '    <Vector id="chars">']
    for index, (ch, (left, top, right, bottom)) in enumerate(boxes.items()):
        col, row = index % COLUMNS, index // COLUMNS
        lines.append('      <C c="%d" sx="%d" sy="%d" sw="%d" sh="%d" width="%g" ix="%d" iy="%d" bx="%d" by="%d"/>'
                     % (ord(ch), col * cw + 1, row * ch_ + 1, right - left, bottom - top,
                        round(typeface.getlength(ch), 2), col, row, left, top))
    lines.append("    </Vector>")
    lines.append('    <Vector id="kerning">')
    for amount, text in kerning(typeface, boxes):
        lines.append("      <K width=\"%d\" chars=%s/>" % (amount, quoteattr(text)))
    lines.append("    </Vector>")
    lines.append("  </Font>")
    lines.append('  <Vector id="layers">')
    for file, pad, sheet in layers:
        save(sheet, os.path.join(folder, file))
        lines.append('    <Layer image="%s" padding="%d" color="0xFFFFFF"/>' % (file, pad))
    lines.append("  </Vector>")
    lines.append("</root>")
    with open(os.path.join(folder, name + ".xml"), "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


def main(root):
    for name, spec in FONTS.items():
        write_font(root, name, spec)


if __name__ == "__main__":
    main(sys.argv[1])
