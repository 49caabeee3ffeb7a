"""Whether the image a simulated counter received (its image_map file) holds exactly the data
bytes of an Intel HEX file: same addresses, same values, nothing more.

image_matches_hex.py MAP HEX: exit 0 when they match, 1 with the first difference.
"""
import sys


def hex_bytes(path):
    """Address -> byte of the data records; extended linear and segment addresses applied."""
    image, base = {}, 0
    with open(path) as lines:
        for number, line in enumerate(lines, 1):
            line = line.strip()
            if not line:
                continue
            assert line.startswith(":"), "%s:%d: not a record" % (path, number)
            raw = bytes.fromhex(line[1:])
            assert len(raw) >= 5 and len(raw) == raw[0] + 5, "%s:%d: bad length" % (path, number)
            assert sum(raw) % 256 == 0, "%s:%d: bad checksum" % (path, number)
            offset, kind, data = (raw[1] << 8) | raw[2], raw[3], raw[4:-1]
            if kind == 0:
                for i, byte in enumerate(data):
                    image[base + offset + i] = byte
            elif kind == 1:
                break
            elif kind == 2:
                base = ((data[0] << 8) | data[1]) << 4
            elif kind == 4:
                base = ((data[0] << 8) | data[1]) << 16
    return image


def map_bytes(path):
    """Address -> byte of the runs "0xADDRESS LENGTH HEXBYTES", each checked for its length."""
    image = {}
    with open(path) as lines:
        for number, line in enumerate(lines, 1):
            address, length, data = line.split()
            data = bytes.fromhex(data)
            assert len(data) == int(length), "%s:%d: length %s, %d bytes" % (
                path, number, length, len(data))
            for i, byte in enumerate(data):
                image[int(address, 16) + i] = byte
    return image


def first_difference(received, expected):
    for address in sorted(set(received) | set(expected)):
        if received.get(address) != expected.get(address):
            return address, received.get(address), expected.get(address)
    return None


def main():
    received, expected = map_bytes(sys.argv[1]), hex_bytes(sys.argv[2])
    assert expected, "no data bytes in %s" % sys.argv[2]
    difference = first_difference(received, expected)
    if difference is not None:
        print("image differs at 0x%08X: received %s, file %s" % difference)
        return 1
    print("image matches: %d bytes" % len(expected))
    return 0


if __name__ == "__main__":
    sys.exit(main())
