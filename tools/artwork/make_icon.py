#!/usr/bin/env python3
"""Makes each release's desktop icon from the square mark at the left of its brand's logo.

    python3 tools/artwork/make_icon.py [--resources DIR] [--out DIR]

Writes NAME-SIZE.png for each release and icon size into DIR (ui/resources/icons/ by
default): hx4x-loader from the main logo band, rv226x-loader and lta5x-lma5x-loader from
the partner logos that stand in the partner brands' bands, each mark enlarged by whole
pixels so that its lines stay sharp. It also writes hx4x-loader.ico, the Windows program's
icon resource, from the main mark. Run it again only when a logo changes; the build
installs the committed files and needs no image tools.
"""

import argparse
import pathlib
import struct
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.dont_write_bytecode = True  # no cache folder beside the committed scripts
sys.path.insert(0, str(HERE))
from make_artwork import ArtworkError, Picture, png_bytes  # noqa: E402

# Per release: its icon name, the logo holding its mark and the mark's top left corner.
# The main mark is the amber frame (artwork.txt: "frame 10 7 32 32") taken whole; the
# partners' marks (the three bars, the ring) sit in the square left of their names.
MARK_SIZE = 32
ICONS = (
    ('hx4x-loader', 'valdmore_logo.bmp', 10, 7),
    ('rv226x-loader', 'dwern_logo.bmp', 8, 8),
    ('lta5x-lma5x-loader', 'quorvelan_logo.bmp', 8, 8),
)
ICON_SIZES = (128, 256)
# The Windows icon: the small and large sizes the system asks for, and twice the large one.
# Icon files keep uncompressed bitmaps here, which every Windows version and Wine read.
WINDOWS_ICON = 'hx4x-loader'
WINDOWS_ICON_SIZES = (16, 32, 64)


def read_bmp(path):
    """The pixels of an 8-bit BMP, uncompressed or run-length encoded, top row first."""
    data = path.read_bytes()
    if data[:2] != b'BM':
        raise ArtworkError(f"{path} is not a BMP file")
    offset, = struct.unpack_from('<I', data, 10)
    header_size, width, height, _, bits, compression = struct.unpack_from('<IiiHHI', data, 14)
    colours_used, = struct.unpack_from('<I', data, 46)
    if bits != 8 or compression not in (0, 1):
        raise ArtworkError(f"{path}: only 8-bit BMP files are read")
    count = colours_used or 256
    palette_at = 14 + header_size
    palette = [(data[palette_at + 4 * i + 2], data[palette_at + 4 * i + 1],
                data[palette_at + 4 * i]) for i in range(count)]
    rows = [[0] * width for _ in range(abs(height))]
    if compression == 0:
        stride = (width + 3) & ~3
        for y in range(abs(height)):
            rows[y] = list(data[offset + y * stride:offset + y * stride + width])
    else:
        x = y = 0
        at = offset
        while at + 1 < len(data):
            first, second = data[at], data[at + 1]
            at += 2
            if first:
                for _ in range(first):
                    if x < width and y < len(rows):
                        rows[y][x] = second
                    x += 1
            elif second == 0:
                x, y = 0, y + 1
            elif second == 1:
                break
            elif second == 2:
                x, y = x + data[at], y + data[at + 1]
                at += 2
            else:
                for value in data[at:at + second]:
                    if x < width and y < len(rows):
                        rows[y][x] = value
                    x += 1
                at += second + (second & 1)
    if height > 0:  # a positive height stores the bottom row first
        rows.reverse()
    return [[palette[i] for i in row] for row in rows]


def scaled(mark, size):
    """The mark at a size: enlarged by whole pixels, or halved by averaging 2 x 2 blocks."""
    if size >= MARK_SIZE:
        scale = size // MARK_SIZE
        return [[row[x // scale] for x in range(size)] for row in mark for _ in range(scale)]
    step = MARK_SIZE // size
    return [[tuple(sum(mark[y * step + dy][x * step + dx][c]
                       for dy in range(step) for dx in range(step)) // (step * step)
                   for c in range(3))
             for x in range(size)] for y in range(size)]


def ico_bytes(images):
    """An icon file of opaque pictures, one 32-bit bitmap entry per size."""
    entries = []
    for pixels in images:
        size = len(pixels)
        header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
        colour = b''.join(bytes((b, g, r, 255)) for row in reversed(pixels) for r, g, b in row)
        mask_stride = ((size + 31) // 32) * 4
        entries.append((size, header + colour + bytes(mask_stride * size)))
    data = struct.pack('<HHH', 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, body in entries:
        data += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    return data + b''.join(body for _, body in entries)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--resources', type=pathlib.Path,
                        default=HERE.parent.parent / 'ui' / 'resources')
    parser.add_argument('--out', type=pathlib.Path,
                        default=HERE.parent.parent / 'ui' / 'resources' / 'icons')
    options = parser.parse_args()
    try:
        options.out.mkdir(parents=True, exist_ok=True)
        for name, logo, mark_x, mark_y in ICONS:
            path = options.resources / logo
            pixels = read_bmp(path)
            mark = [row[mark_x:mark_x + MARK_SIZE]
                    for row in pixels[mark_y:mark_y + MARK_SIZE]]
            if len(mark) != MARK_SIZE or any(len(row) != MARK_SIZE for row in mark):
                raise ArtworkError(f"{path} is too small for the mark")
            for size in ICON_SIZES:
                icon = Picture('icon', size, size, f'{name}-{size}.png')
                icon.pixels = scaled(mark, size)
                data = png_bytes(icon)
                (options.out / icon.file_name).write_bytes(data)
                print(f"{icon.file_name}: {size} x {size}, {len(data)} bytes")
            if name == WINDOWS_ICON:
                data = ico_bytes([scaled(mark, size) for size in WINDOWS_ICON_SIZES])
                (options.out / f'{name}.ico').write_bytes(data)
                print(f"{name}.ico: {', '.join(map(str, WINDOWS_ICON_SIZES))} pixels, "
                      f"{len(data)} bytes")
    except ArtworkError as error:
        print(f"make_icon: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
