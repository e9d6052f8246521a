#!/usr/bin/env python3
"""Packs PNG pictures of one icon into a Windows .ico file (each picture stored as PNG, which Windows
reads at every size since Vista). Usage: make-ico.py OUTPUT.ico SIZE.png..."""
import struct
import sys


def png_size(data):
    # The IHDR chunk follows the 8-byte signature: length, type, then width and height.
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG picture")
    return struct.unpack(">II", data[16:24])


def main(args):
    if len(args) < 2:
        sys.exit("usage: make-ico.py OUTPUT.ico PICTURE.png...")
    pictures = []
    for path in args[1:]:
        with open(path, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if width > 256 or height > 256:
            sys.exit(f"{path}: {width}x{height} is larger than an icon may be (256)")
        pictures.append((width, height, data))
    pictures.sort(key=lambda p: p[0])
    offset = 6 + 16 * len(pictures)
    out = bytearray(struct.pack("<HHH", 0, 1, len(pictures)))
    for width, height, data in pictures:
        # 256 is written as 0: the field is one byte.
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in pictures:
        out += data
    with open(args[0], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1:])
