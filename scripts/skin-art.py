#!/usr/bin/env python3
"""Draws the skin's strip resources as SVG files into controls/skin/art/.

Each strip holds frames of equal size, side by side or stacked, in the order the controls pick
them by state. The look is ours: slate-blue window frames, light buttons with a blue accent.
Run it after changing a colour or a shape; the SVG files are kept in the repository.
Usage: scripts/skin-art.py [output-folder]
"""
import os
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "controls", "skin", "art")
os.makedirs(out, exist_ok=True)


written = []


def write(name, width, height, body, defs=""):
    written.append(name + ".svg")
    text = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n')
    if defs:
        text += f"<defs>{defs}</defs>\n"
    text += body + "</svg>\n"
    with open(os.path.join(out, name + ".svg"), "w", encoding="utf-8") as f:
        f.write(text)


def vgrad(ident, top, bottom):
    return (f'<linearGradient id="{ident}" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
            f'</linearGradient>')


# ---- window frames --------------------------------------------------------------------------
# Frame 1 active, frame 2 inactive.
FRAMES = {
    "luna": {"active": ("#3f74ad", "#2b5889", "#5f8fc4", "#234a73"),
             "inactive": ("#aab6c3", "#98a5b3", "#bcc6d1", "#8794a2")},
    "xpform": {"active": ("#56677a", "#435366", "#72849a", "#364353"),
               "inactive": ("#b9c0c8", "#a9b1ba", "#c9cfd6", "#98a0aa")},
}
CAPTION_W, CAPTION_H, EDGE, EDGE_LEN = 40, 30, 5, 20

for style, colours in FRAMES.items():
    defs, caption, bottom, left, right = "", "", "", "", ""
    for i, state in enumerate(("active", "inactive")):
        top, low, light, dark = colours[state]
        defs += vgrad(f"c{i}", top, low)
        y = i * CAPTION_H
        caption += (f'<rect x="0" y="{y}" width="{CAPTION_W}" height="{CAPTION_H}" '
                    f'fill="url(#c{i})"/>'
                    f'<rect x="0" y="{y}" width="{CAPTION_W}" height="1" fill="{light}"/>'
                    f'<rect x="0" y="{y + CAPTION_H - 1}" width="{CAPTION_W}" height="1" '
                    f'fill="{dark}"/>\n')
        by = i * EDGE
        bottom += (f'<rect x="0" y="{by}" width="{CAPTION_W}" height="{EDGE}" fill="{low}"/>'
                   f'<rect x="0" y="{by + EDGE - 1}" width="{CAPTION_W}" height="1" '
                   f'fill="{dark}"/>\n')
        if style == "luna":  # stacked
            ly = i * EDGE_LEN
            left += (f'<rect x="0" y="{ly}" width="{EDGE}" height="{EDGE_LEN}" fill="{low}"/>'
                     f'<rect x="0" y="{ly}" width="1" height="{EDGE_LEN}" fill="{dark}"/>\n')
            right += (f'<rect x="0" y="{ly}" width="{EDGE}" height="{EDGE_LEN}" fill="{low}"/>'
                      f'<rect x="{EDGE - 1}" y="{ly}" width="1" height="{EDGE_LEN}" '
                      f'fill="{dark}"/>\n')
        else:  # side by side
            lx = i * EDGE
            left += (f'<rect x="{lx}" y="0" width="{EDGE}" height="{EDGE_LEN}" fill="{low}"/>'
                     f'<rect x="{lx}" y="0" width="1" height="{EDGE_LEN}" fill="{dark}"/>\n')
            right += (f'<rect x="{lx}" y="0" width="{EDGE}" height="{EDGE_LEN}" fill="{low}"/>'
                      f'<rect x="{lx + EDGE - 1}" y="0" width="1" height="{EDGE_LEN}" '
                      f'fill="{dark}"/>\n')
    write(f"{style}_caption", CAPTION_W, 2 * CAPTION_H, caption, defs)
    write(f"{style}_bottom", CAPTION_W, 2 * EDGE, bottom)
    if style == "luna":
        write("luna_left", EDGE, 2 * EDGE_LEN, left)
        write("luna_right", EDGE, 2 * EDGE_LEN, right)
    else:
        write("xpform_left", 2 * EDGE, EDGE_LEN, left)
        write("xpform_right", 2 * EDGE, EDGE_LEN, right)

# ---- caption buttons ------------------------------------------------------------------------
B = 21
GLYPHS = {
    "close": '<path d="M7 7 L14 14 M14 7 L7 14" stroke="{c}" stroke-width="1.6" '
             'stroke-linecap="round" fill="none"/>',
    "max": '<rect x="6.5" y="6.5" width="8" height="8" rx="1" stroke="{c}" stroke-width="1.4" '
           'fill="none"/>',
    "restore": '<rect x="6" y="8.5" width="6.5" height="6.5" rx="1" stroke="{c}" '
               'stroke-width="1.3" fill="none"/><path d="M8.5 8.5 V6 H15 V12.5 H12.5" '
               'stroke="{c}" stroke-width="1.3" fill="none"/>',
    "min": '<path d="M7 14 H14" stroke="{c}" stroke-width="1.8" stroke-linecap="round"/>',
    "help": '<path d="M8.2 8.6 A2.4 2.4 0 1 1 11.6 10.6 C10.8 11 10.5 11.5 10.5 12.4" '
            'stroke="{c}" stroke-width="1.5" fill="none" stroke-linecap="round"/>'
            '<circle cx="10.5" cy="14.8" r="0.95" fill="{c}"/>',
}
# (fill, stroke, glyph) for normal, pressed, hot, inactive window.
LOOKS = [("#ffffff", "#ffffff", "#ffffff", 0.10, 0.35),
         ("#000000", "#ffffff", "#ffffff", 0.25, 0.30),
         ("#ffffff", "#ffffff", "#ffffff", 0.28, 0.60),
         ("#ffffff", "#ffffff", "#eef2f6", 0.0, 0.20)]
HOT_CLOSE = "#d2504a"


def button(x, glyph, look, close_hot=False):
    fill, stroke, colour, fill_op, stroke_op = look
    if close_hot:
        fill, fill_op = HOT_CLOSE, 1.0
    return (f'<g transform="translate({x},0)">'
            f'<rect x="1.5" y="1.5" width="18" height="18" rx="4" fill="{fill}" '
            f'fill-opacity="{fill_op}" stroke="{stroke}" stroke-opacity="{stroke_op}"/>'
            + GLYPHS[glyph].format(c=colour) + "</g>\n")


for glyph in GLYPHS:
    body = ""
    for i, look in enumerate(LOOKS):
        body += button(i * B, glyph, look, close_hot=(glyph == "close" and i == 2))
    write(f"luna_{glyph}", 4 * B, B, body)
    body = ""
    for i, look in enumerate(LOOKS[:3]):
        body += button(i * B, glyph, look, close_hot=(glyph == "close" and i == 2))
    write("xpform_Restore" if glyph == "restore" else f"xpform_{glyph}", 3 * B, B, body)

# ---- resize grip ----------------------------------------------------------------------------
G = 12
grip = ""
for i, colour in enumerate(("#7d8fa3", "#b3bfcb")):
    for (cx, cy) in ((10, 4), (7, 7), (10, 7), (4, 10), (7, 10), (10, 10)):
        grip += f'<circle cx="{i * G + cx}" cy="{cy}" r="1.1" fill="{colour}"/>'
write("XPFORM_RESIZEGRIP", 2 * G, G, grip + "\n")

# ---- push button: normal, pressed, disabled, hot, focused -----------------------------------
BW, BH = 16, 24
BUTTON = [("#ffffff", "#edf0f4", "#97a6b7", None),
          ("#d9e1ea", "#e8edf2", "#6d8399", None),
          ("#f2f3f5", "#f2f3f5", "#cad0d6", None),
          ("#ffffff", "#e1edf9", "#4d8bd0", None),
          ("#ffffff", "#edf0f4", "#2f6db5", "#9fc0e6")]
defs, body = "", ""
for i, (top, low, stroke, inner) in enumerate(BUTTON):
    defs += vgrad(f"b{i}", top, low)
    x = i * BW
    body += (f'<rect x="{x + 0.5}" y="0.5" width="{BW - 1}" height="{BH - 1}" rx="3" '
             f'fill="url(#b{i})" stroke="{stroke}"/>\n')
    if inner:
        body += (f'<rect x="{x + 1.5}" y="1.5" width="{BW - 3}" height="{BH - 3}" rx="2" '
                 f'fill="none" stroke="{inner}"/>\n')
write("XPBUTTON", 5 * BW, BH, body, defs)

# ---- check and radio boxes: unchecked, checked, both disabled, both hot ---------------------
C = 13
BOXES = [("#ffffff", "#8496aa", None), ("#2f6db5", "#2f6db5", "#ffffff"),
         ("#f1f2f4", "#c3c9d0", None), ("#c3c9d0", "#c3c9d0", "#ffffff"),
         ("#eaf2fc", "#4d8bd0", None), ("#4d8bd0", "#3a78bd", "#ffffff")]
check, radio = "", ""
for i, (fill, stroke, mark) in enumerate(BOXES):
    x = i * C
    check += (f'<rect x="{x + 0.5}" y="0.5" width="{C - 1}" height="{C - 1}" rx="2.5" '
              f'fill="{fill}" stroke="{stroke}"/>')
    radio += f'<circle cx="{x + C / 2}" cy="{C / 2}" r="{C / 2 - 0.5}" fill="{fill}" ' \
             f'stroke="{stroke}"/>'
    if mark:
        check += (f'<path d="M{x + 3.2} 6.8 L{x + 5.5} 9.2 L{x + 9.8} 3.9" stroke="{mark}" '
                  f'stroke-width="1.7" fill="none" stroke-linecap="round" '
                  f'stroke-linejoin="round"/>')
        radio += f'<circle cx="{x + C / 2}" cy="{C / 2}" r="2.6" fill="{mark}"/>'
    check += "\n"
    radio += "\n"
write("XPCHECKBOX", 6 * C, C, check)
write("XPRADIOBOX", 6 * C, C, radio)

# ---- progress bar ---------------------------------------------------------------------------
write("XPPROGRESSBAR_GRAY", 16, 14,
      '<rect x="0.5" y="0.5" width="15" height="13" rx="3" fill="#eef1f4" stroke="#a9b4c0"/>\n'
      '<rect x="2" y="2" width="12" height="1" fill="#dde2e8"/>\n')
write("XPPROGRESSBAR_GRAY_VERT", 14, 16,
      '<rect x="0.5" y="0.5" width="13" height="15" rx="3" fill="#eef1f4" stroke="#a9b4c0"/>\n'
      '<rect x="2" y="2" width="1" height="12" fill="#dde2e8"/>\n')
write("XPPROGRESSBAR_COLOR", 8, 10,
      '<rect x="0" y="0" width="7" height="10" rx="1" fill="url(#p)"/>\n',
      vgrad("p", "#6fb2ec", "#2f7fcf"))
write("XPPROGRESSBAR_COLOR_VERT", 10, 8,
      '<rect x="0" y="1" width="10" height="7" rx="1" fill="url(#p)"/>\n',
      '<linearGradient id="p" x1="0" y1="0" x2="1" y2="0"><stop offset="0" '
      'stop-color="#6fb2ec"/><stop offset="1" stop-color="#2f7fcf"/></linearGradient>')

with open(os.path.join(out, "skin_art.qrc"), "w", encoding="utf-8") as f:
    f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n<qresource prefix="/skin">\n')
    for name in sorted(written):
        f.write(f"    <file>{name}</file>\n")
    f.write("</qresource>\n</RCC>\n")
