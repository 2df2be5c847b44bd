#!/usr/bin/env python3
"""Writes the client's frame strips as SVG into the folder given:
 - push_<source>.svg: a source button in 6 frames (1 selected, 2 selected
   under the pointer, 4 not selected, 5 not selected under the pointer; 0 and
   3 repeat 1 and 4), for the camera, window/desktop, merged and file sources;
 - tab.svg: a tab in 4 frames (0 selected, 1 selected under the pointer,
   2 not selected under the pointer, 3 not selected);
 - level.svg: the volume track in 22 frames, frame k showing the sound level
   filled to (k - 1) / 20 (frame 0 empty);
 - spinner.svg: 8 frames of the loading indicator."""
import math
import sys

BTN_W, BTN_H = 112, 56
BG, PANEL, LINE, TEXT, TEXT2 = "#16181D", "#1F2229", "#2C313A", "#E6E8EB", "#9AA3AE"
LIVE, READY = "#E5484D", "#3B82F6"

ICONS = {
    # camera
    "video": '<rect x="-11" y="-7" width="15" height="14" rx="3"/><path d="M6 -3l7 -4v14l-7 -4z"/>',
    # window / desktop
    "app": '<rect x="-11" y="-9" width="22" height="15" rx="2" fill="none" stroke-width="2"/>'
           '<path d="M-5 10h10" fill="none" stroke-width="2" stroke-linecap="round"/>',
    # picture in picture
    "merge": '<rect x="-11" y="-8" width="22" height="16" rx="2" fill="none" stroke-width="2"/>'
             '<rect x="1" y="-5" width="8" height="6" rx="1"/>',
    # film / video file
    "vod": '<rect x="-10" y="-9" width="20" height="18" rx="2" fill="none" stroke-width="2"/>'
           '<path d="M-3 -4l7 4-7 4z"/>',
}


def button(kind):
    looks = [  # (fill, stroke, icon colour)
        ("#1E2A40", READY, "#FFFFFF"),
        ("#1E2A40", READY, "#FFFFFF"),
        ("#24344F", "#5B97F8", "#FFFFFF"),
        (PANEL, LINE, TEXT2),
        (PANEL, LINE, TEXT2),
        ("#272B33", "#363C47", TEXT),
    ]
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{BTN_W * 6}" height="{BTN_H}">']
    for i, (fill, stroke, ink) in enumerate(looks):
        parts.append(f'<g transform="translate({i * BTN_W},0)">'
                     f'<rect x="0.5" y="0.5" width="{BTN_W - 1}" height="{BTN_H - 1}" rx="6" '
                     f'fill="{fill}" stroke="{stroke}"/>'
                     f'<g transform="translate(26,28)" fill="{ink}" stroke="{ink}">{ICONS[kind]}</g>'
                     '</g>')
    parts.append('</svg>')
    return '\n'.join(parts)


def tab():
    w, h = 120, 34
    looks = [(TEXT, READY, "#1F2229"), ("#FFFFFF", READY, "#272B33"),
             (TEXT, LINE, "#20232A"), (TEXT2, None, BG)]
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{w * 4}" height="{h}">']
    for i, (_, line, fill) in enumerate(looks):
        parts.append(f'<g transform="translate({i * w},0)"><rect width="{w}" height="{h}" fill="{fill}"/>')
        if line:
            parts.append(f'<rect x="16" y="{h - 3}" width="{w - 32}" height="3" rx="1.5" fill="{line}"/>')
        parts.append('</g>')
    parts.append('</svg>')
    return '\n'.join(parts)


def level():
    w, h, frames = 240, 16, 22
    inner = w - 8
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{w * frames}" height="{h}">',
             f'<defs><linearGradient id="m" gradientUnits="userSpaceOnUse" x1="4" y1="0" '
             f'x2="{4 + inner}" y2="0">'
             '<stop offset="0" stop-color="#30A46C"/><stop offset="0.7" stop-color="#30A46C"/>'
             '<stop offset="0.85" stop-color="#F5A524"/><stop offset="1" stop-color="#E5484D"/>'
             '</linearGradient></defs>']
    for i in range(frames):
        fill = round(inner * max(0, i - 1) / 20)
        parts.append(f'<g transform="translate({i * w},0)">'
                     f'<rect x="4" y="5" width="{inner}" height="6" rx="3" fill="{LINE}"/>')
        if fill > 0:
            parts.append(f'<rect x="4" y="5" width="{fill}" height="6" rx="3" fill="url(#m)"/>')
        parts.append('</g>')
    parts.append('</svg>')
    return '\n'.join(parts)


def spinner():
    size, frames = 28, 8
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{size * frames}" height="{size}">']
    for f in range(frames):
        for d in range(8):
            a = 2 * math.pi * d / 8 - math.pi / 2
            cx = f * size + size / 2 + 9 * math.cos(a)
            cy = size / 2 + 9 * math.sin(a)
            age = (f - d) % 8
            opacity = max(0.15, 1 - age * 0.14)
            parts.append(f'<circle cx="{cx:.2f}" cy="{cy:.2f}" r="2.5" fill="{READY}" '
                         f'fill-opacity="{opacity:.2f}"/>')
    parts.append('</svg>')
    return '\n'.join(parts)


def main():
    out = sys.argv[1]
    files = {f"push_{k}.svg": button(k) for k in ICONS}
    files.update({"tab.svg": tab(), "level.svg": level(), "spinner.svg": spinner()})
    for name, text in files.items():
        with open(f"{out}/{name}", "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
