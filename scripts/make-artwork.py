#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the header artwork of the main window and the About box as PNG files
(standard library only): a blue wave background and the program's name in a
small block font. Run it after changing the look; the PNGs are committed."""

import math
import struct
import sys
import zlib
from pathlib import Path

GLYPHS = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "C": ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "I": ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
    "X": ["10001", "01010", "00100", "00100", "00100", "01010", "10001"],
    " ": ["00000"] * 7,
}


def write_png(path, width, height, pixels):
    """pixels: list of rows of (r, g, b, a)."""
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                           + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def background(width, height):
    """Deep blue to light blue with three soft sound waves."""
    top, bottom = (18, 52, 110), (70, 150, 215)
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            colour = mix(top, bottom, y / max(1, height - 1))
            for k, (amp, period, phase) in enumerate(((0.18, 140, 0.0), (0.12, 90, 1.7), (0.08, 60, 3.1))):
                centre = height * (0.55 + 0.1 * k) + amp * height * math.sin(2 * math.pi * x / period + phase)
                glow = max(0.0, 1.0 - abs(y - centre) / 2.5)
                colour = mix(colour, (235, 245, 255), 0.55 * glow)
            row.append(colour + (255,))
        rows.append(row)
    return rows


def text_image(lines):
    """lines: (text, scale) pairs drawn one under another, white with a dark
    one-pixel shadow, on a transparent ground."""
    gap = 4
    widths = [len(text) * 6 * scale for text, scale in lines]
    width = max(widths) + 2
    height = sum(7 * scale for _, scale in lines) + gap * (len(lines) - 1) + 2
    pixels = [[(0, 0, 0, 0)] * width for _ in range(height)]
    top = 0
    for text, scale in lines:
        for i, letter in enumerate(text):
            for gy, bits in enumerate(GLYPHS[letter]):
                for gx, bit in enumerate(bits):
                    if bit != "1":
                        continue
                    for dy in range(scale):
                        for dx in range(scale):
                            x = (i * 6 + gx) * scale + dx
                            y = top + gy * scale + dy
                            pixels[y + 1][x + 1] = (10, 30, 70, 200)
                            pixels[y][x] = (255, 255, 255, 255)
        top += 7 * scale + gap
    return width, height, pixels


def main(folder):
    out = Path(folder)
    (out / "icons").mkdir(parents=True, exist_ok=True)
    write_png(out / "bkg.png", 715, 98, background(715, 98))
    write_png(out / "sbkg.png", 372, 80, background(372, 80))
    write_png(out / "mft.png", *text_image([("TREMOLIX", 5), ("AUDIO CONVERTER", 2)]))
    write_png(out / "sft.png", *text_image([("TREMOLIX", 3), ("AUDIO CONVERTER", 1)]))
    write_png(out / "tremolix.png", *icon(64))
    for size in ICON_SIZES:
        write_png(out / "icons" / f"tremolix-{size}.png", *icon(size))
    (out / "icons" / "tremolix.svg").write_text(icon_svg())


ICON_SIZES = (16, 32, 48, 128, 256)


def icon(size):
    """A round blue badge with a white wave: the program's icon."""
    pixels = []
    r = size / 2
    for y in range(size):
        row = []
        for x in range(size):
            d = math.hypot(x + 0.5 - r, y + 0.5 - r)
            if d > r - 0.5:
                row.append((0, 0, 0, 0))
                continue
            colour = mix((30, 80, 160), (80, 170, 230), y / size)
            wave = r + 0.28 * size * math.sin(2 * math.pi * (x / size) * 1.5)
            if abs(y - wave) < size / 18:
                colour = (255, 255, 255)
            row.append(colour + (255,))
        pixels.append(row)
    return size, size, pixels


def icon_svg():
    """The same badge as a scalable image, for desktops that prefer one."""
    size = 256
    points = " ".join(
        f"{x},{size / 2 + 0.28 * size * math.sin(2 * math.pi * (x / size) * 1.5):.1f}" for x in range(0, size + 1, 4))
    return f"""<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 {size} {size}">
  <defs>
    <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#1e50a0"/>
      <stop offset="1" stop-color="#50aae6"/>
    </linearGradient>
    <clipPath id="badge"><circle cx="{size / 2}" cy="{size / 2}" r="{size / 2}"/></clipPath>
  </defs>
  <circle cx="{size / 2}" cy="{size / 2}" r="{size / 2}" fill="url(#sky)"/>
  <polyline clip-path="url(#badge)" points="{points}" fill="none" stroke="#ffffff" stroke-width="{size / 9:.1f}"/>
</svg>
"""


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "app/ui/resources")
