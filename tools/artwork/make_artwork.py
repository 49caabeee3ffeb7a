#!/usr/bin/env python3
"""Draws the window's brand pictures from artwork.txt and writes them as 8-bit BMP files.

    python3 tools/artwork/make_artwork.py [--description FILE] [--out DIR] [--preview DIR]

The pictures go to ui/resources/ by default; --preview also writes each one as a PNG for
looking at. Only the standard library is used, so any Python 3 can remake the artwork, and
the output is the same byte for byte on every run.
"""

import argparse
import math
import pathlib
import struct
import sys
import zlib

HERE = pathlib.Path(__file__).resolve().parent

# A 5 x 7 font: seven rows per glyph, '#' a set pixel.
FONT_ROWS = {
    'A': [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    'B': ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    'C': [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    'D': ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    'E': ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    'F': ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    'G': [" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"],
    'H': ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    'I': [" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    'J': ["  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "],
    'K': ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    'L': ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    'M': ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    'N': ["#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"],
    'O': [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    'P': ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    'Q': [" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"],
    'R': ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    'S': [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    'T': ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    'U': ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    'V': ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    'W': ["#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "],
    'X': ["#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"],
    'Y': ["#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "],
    'Z': ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
    '0': [" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "],
    '1': ["  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    '2': [" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"],
    '3': ["#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "],
    '4': ["   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "],
    '5': ["#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "],
    '6': ["  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "],
    '7': ["#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "],
    '8': [" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "],
    '9': [" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "],
    ' ': ["     "] * 7,
    '-': ["     ", "     ", "     ", "#####", "     ", "     ", "     "],
    '/': ["    #", "    #", "   # ", "  #  ", " #   ", "#    ", "#    "],
    '.': ["     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "],
    ',': ["     ", "     ", "     ", "     ", " ##  ", "  #  ", " #   "],
    ':': ["     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "],
    '&': [" ##  ", "#  # ", "# #  ", " #   ", "# # #", "#  # ", " ## #"],
}
GLYPH_WIDTH, GLYPH_HEIGHT = 5, 7


class ArtworkError(Exception):
    pass


class Picture:
    def __init__(self, name, width, height, file_name):
        self.name, self.width, self.height, self.file_name = name, width, height, file_name
        self.pixels = [[(0, 0, 0)] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x, y, w, h, colour):
        for row in range(max(y, 0), min(y + h, self.height)):
            for column in range(max(x, 0), min(x + w, self.width)):
                self.pixels[row][column] = colour


def text_width(text, scale):
    return max(len(text) * (GLYPH_WIDTH + 1) - 1, 0) * scale


def draw_text(picture, x, y, scale, colour, text):
    for index, char in enumerate(text):
        rows = FONT_ROWS.get(char)
        if rows is None:
            raise ArtworkError(f"no glyph for {char!r} in {text!r}")
        left = x + index * (GLYPH_WIDTH + 1) * scale
        for row, line in enumerate(rows):
            for column, mark in enumerate(line):
                if mark == '#':
                    picture.rect(left + column * scale, y + row * scale, scale, scale, colour)


def blend(first, second, t):
    return tuple(round(a + (b - a) * t) for a, b in zip(first, second))


def draw_trace(picture, x, y, w, h, period, colour, level, thickness):
    """Joins the levels (0 top .. 1 bottom) of consecutive columns with vertical strokes."""
    previous = None
    for column in range(w):
        row = y + round(level(column / period) * (h - thickness))
        top, bottom = (row, row) if previous is None else (min(row, previous), max(row, previous))
        picture.rect(x + column, top, 1, bottom - top + thickness, colour)
        previous = row


def parse_colour(text):
    if len(text) != 7 or text[0] != '#':
        raise ArtworkError(f"bad colour {text!r}")
    value = int(text[1:], 16)
    return (value >> 16, (value >> 8) & 0xFF, value & 0xFF)


def read_description(path):
    colours, pictures, current = {}, [], None

    def colour_of(name):
        if name not in colours:
            raise ArtworkError(f"unknown colour {name!r}")
        return colours[name]

    for number, raw in enumerate(path.read_text(encoding='ascii').splitlines(), 1):
        words = raw.split()
        if not words or words[0].startswith('#'):
            continue
        command, args = words[0], words[1:]
        try:
            if command == 'colour':
                colours[args[0]] = parse_colour(args[1])
                continue
            if command == 'picture':
                current = Picture(args[0], int(args[1]), int(args[2]), args[3])
                pictures.append(current)
                continue
            if current is None:
                raise ArtworkError("drawing before the first picture")
            p = current
            if command == 'fill':
                p.rect(0, 0, p.width, p.height, colour_of(args[0]))
            elif command == 'rect':
                x, y, w, h = map(int, args[:4])
                p.rect(x, y, w, h, colour_of(args[4]))
            elif command == 'frame':
                x, y, w, h = map(int, args[:4])
                c = colour_of(args[4])
                p.rect(x, y, w, 1, c)
                p.rect(x, y + h - 1, w, 1, c)
                p.rect(x, y, 1, h, c)
                p.rect(x + w - 1, y, 1, h, c)
            elif command == 'bands':
                x, y, w, h = map(int, args[:4])
                first, last, count = colour_of(args[4]), colour_of(args[5]), int(args[6])
                for band in range(count):
                    top, bottom = y + h * band // count, y + h * (band + 1) // count
                    t = band / (count - 1) if count > 1 else 0.0
                    p.rect(x, top, w, bottom - top, blend(first, last, t))
            elif command == 'hlines':
                x, y, w, h, step = map(int, args[:5])
                for row in range(y, y + h, step):
                    p.rect(x, row, w, 1, colour_of(args[5]))
            elif command == 'square':
                x, y, w, h, period = map(int, args[:5])
                draw_trace(p, x, y, w, h, period, colour_of(args[5]),
                           lambda phase: 0.0 if phase % 1.0 < 0.5 else 1.0, 1)
            elif command == 'sine':
                x, y, w, h, period = map(int, args[:5])
                draw_trace(p, x, y, w, h, period, colour_of(args[5]),
                           lambda phase: 0.5 - 0.5 * math.sin(2 * math.pi * phase), 2)
            elif command == 'ring':
                cx, cy, r, thickness = map(int, args[:4])
                c = colour_of(args[4])
                for row in range(cy - r, cy + r + 1):
                    for column in range(cx - r, cx + r + 1):
                        distance = math.hypot(column - cx, row - cy)
                        if r - thickness < distance <= r:
                            p.put(column, row, c)
            elif command == 'text':
                scale, text = int(args[2]), ' '.join(args[4:])
                if args[0].startswith('right-'):
                    x = p.width - int(args[0][6:]) - text_width(text, scale)
                else:
                    x = int(args[0])
                draw_text(p, x, int(args[1]), scale, colour_of(args[3]), text)
            else:
                raise ArtworkError(f"unknown command {command!r}")
        except (IndexError, ValueError) as error:
            raise ArtworkError(f"{path.name}:{number}: {raw.strip()}: {error}") from None
        except ArtworkError as error:
            raise ArtworkError(f"{path.name}:{number}: {error}") from None
    return pictures


def palette_of(picture):
    colours = sorted({c for row in picture.pixels for c in row})
    if len(colours) > 256:
        raise ArtworkError(f"{picture.name} uses {len(colours)} colours; 8 bits hold 256")
    return colours


def rle8_row(indexes):
    """One row in the BMP run-length encoding: runs of one index, literal stretches of
    three or more differing pixels in absolute mode, then the end-of-line mark."""
    out, i, n = bytearray(), 0, len(indexes)
    while i < n:
        run = 1
        while i + run < n and run < 255 and indexes[i + run] == indexes[i]:
            run += 1
        if run >= 2:
            out += bytes((run, indexes[i]))
            i += run
            continue
        # Collect pixels until the next run of two; shorter than 3 goes out as runs of 1.
        j = i
        while j < n and j - i < 255 and not (j + 1 < n and indexes[j + 1] == indexes[j]):
            j += 1
        literal = indexes[i:j]
        if len(literal) >= 3:
            out += bytes((0, len(literal))) + bytes(literal)
            if len(literal) % 2:
                out.append(0)
        else:
            for value in literal:
                out += bytes((1, value))
        i = j
    return out + b'\x00\x00'


def bmp_bytes(picture):
    colours = palette_of(picture)
    index = {c: i for i, c in enumerate(colours)}
    data = bytearray()
    for row in reversed(picture.pixels):  # BMP rows run from the bottom up
        data += rle8_row([index[c] for c in row])
    data += b'\x00\x01'  # end of bitmap
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in colours)
    offset = 14 + 40 + len(palette)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    info_header = struct.pack('<IiiHHIIiiII', 40, picture.width, picture.height, 1, 8,
                              1, len(data), 2835, 2835, len(colours), 0)
    return file_header + info_header + palette + bytes(data)


def png_bytes(picture):
    raw = b''.join(b'\x00' + bytes(v for c in row for v in c) for row in picture.pixels)

    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body +
                struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack('>IIBBBBB', picture.width, picture.height, 8, 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--description', type=pathlib.Path, default=HERE / 'artwork.txt')
    parser.add_argument('--out', type=pathlib.Path,
                        default=HERE.parent.parent / 'ui' / 'resources')
    parser.add_argument('--preview', type=pathlib.Path)
    options = parser.parse_args()
    try:
        pictures = read_description(options.description)
        for picture in pictures:
            data = bmp_bytes(picture)
            (options.out / picture.file_name).write_bytes(data)
            print(f"{picture.name}: {picture.width} x {picture.height}, "
                  f"{len(palette_of(picture))} colours, {len(data)} bytes")
            if options.preview:
                options.preview.mkdir(parents=True, exist_ok=True)
                (options.preview / (picture.name.lower() + '.png')).write_bytes(
                    png_bytes(picture))
    except ArtworkError as error:
        print(f"make_artwork: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
