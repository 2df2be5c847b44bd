#!/usr/bin/env python3
"""Writes the gallery's frame strips as SVG into the folder given:
level.svg, a sound level of 21 frames (empty to full, green to amber to red)
behind a slider, and spinner.svg, 8 frames of a busy indicator."""
import math
import sys

LEVEL_W, LEVEL_H, LEVEL_FRAMES = 240, 14, 21
SPIN, SPIN_FRAMES = 32, 8


def level():
    inner = LEVEL_W - 6
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{LEVEL_W * LEVEL_FRAMES}" '
             f'height="{LEVEL_H}">',
             f'<defs><linearGradient id="m" gradientUnits="userSpaceOnUse" x1="3" y1="0" '
             f'x2="{3 + inner}" y2="0">'
             '<stop offset="0" stop-color="#30A46C"/><stop offset="0.7" stop-color="#30A46C"/>'
             '<stop offset="0.85" stop-color="#F5A524"/><stop offset="1" stop-color="#E5484D"/>'
             '</linearGradient></defs>']
    for i in range(LEVEL_FRAMES):
        fill = round(inner * i / (LEVEL_FRAMES - 1))
        parts.append(f'<g transform="translate({i * LEVEL_W},0)">'
                     f'<rect x="3" y="4" width="{inner}" height="6" rx="3" fill="#2C313A"/>')
        if fill > 0:
            parts.append(f'<rect x="3" y="4" width="{fill}" height="6" rx="3" fill="url(#m)"/>')
        parts.append('</g>')
    parts.append('</svg>')
    return '\n'.join(parts)


def spinner():
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{SPIN * SPIN_FRAMES}" height="{SPIN}">']
    for f in range(SPIN_FRAMES):
        for d in range(8):
            a = 2 * math.pi * d / 8 - math.pi / 2
            cx = f * SPIN + SPIN / 2 + 10 * math.cos(a)
            cy = SPIN / 2 + 10 * math.sin(a)
            age = (f - d) % 8
            opacity = max(0.15, 1 - age * 0.14)
            parts.append(f'<circle cx="{cx:.2f}" cy="{cy:.2f}" r="2.8" fill="#3B82F6" '
                         f'fill-opacity="{opacity:.2f}"/>')
    parts.append('</svg>')
    return '\n'.join(parts)


def main():
    out = sys.argv[1]
    with open(f"{out}/level.svg", "w", encoding="utf-8") as f:
        f.write(level())
    with open(f"{out}/spinner.svg", "w", encoding="utf-8") as f:
        f.write(spinner())


if __name__ == "__main__":
    main()
