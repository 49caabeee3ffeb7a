#!/usr/bin/env python3
"""Whether a counter's received image holds exactly a firmware file's data bytes.

    image_matches_hex.py FIRMWARE.hex IMAGE.map

FIRMWARE is Intel HEX (data, extended segment and extended linear address records); IMAGE is
the simulated counter's image map, one run per line: "0xADDRESS LENGTH HEXBYTES". Exit 0 when
both hold the same bytes at the same addresses, else 1 with the first difference on standard
error.
"""
import sys


def hex_bytes(path):
    image, base = {}, 0
    with open(path, encoding="ascii") as source:
        for number, line in enumerate(source, 1):
            line = line.strip()
            if not line.startswith(":"):
                continue
            record = bytes.fromhex(line[1:])
            count, offset, kind = record[0], int.from_bytes(record[1:3], "big"), record[3]
            data = record[4:4 + count]
            if kind == 0:
                for i, byte in enumerate(data):
                    image[base + offset + i] = byte
            elif kind == 2:
                base = int.from_bytes(data, "big") * 16
            elif kind == 4:
                base = int.from_bytes(data, "big") << 16
    return image


def map_bytes(path):
    image = {}
    with open(path, encoding="ascii") as source:
        for number, line in enumerate(source, 1):
            fields = line.split()
            if len(fields) != 3 or len(fields[2]) != 2 * int(fields[1]):
                raise ValueError(f"{path}:{number}: not an image run")
            address = int(fields[0], 16)
            for i, byte in enumerate(bytes.fromhex(fields[2])):
                image[address + i] = byte
    return image


def main():
    wanted, received = hex_bytes(sys.argv[1]), map_bytes(sys.argv[2])
    if not wanted:
        print("no data in the firmware file", file=sys.stderr)
        return 1
    for address in sorted(set(wanted) | set(received)):
        if wanted.get(address) != received.get(address):
            print(f"first difference at 0x{address:08X}: file {wanted.get(address)}, "
                  f"image {received.get(address)}", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
