#!/usr/bin/env python3
"""Makes Windows programs and DLLs as a signature expects them, in place.

An Authenticode signature goes at the end of the file, at an offset that is a
multiple of 8, and the file's header checksum counts it. A signing tool pads
the file and sets the checksum itself, and removing the signature leaves
both. Done here to every exe and DLL before it ships, signed or not, a file
whose signature is removed is byte for byte the unsigned file.

The checksum is the one the PE format describes: the file's 16-bit words
added with their carries folded back in, the checksum field itself left out,
plus the file's length.

Usage: pe_tidy.py FILE...
"""

import struct
import sys


def tidy(path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if data[:2] != b"MZ":
        sys.exit(f"pe_tidy: {path} is not a Windows program or DLL")
    (header,) = struct.unpack_from("<I", data, 0x3C)
    if data[header:header + 4] != b"PE\0\0":
        sys.exit(f"pe_tidy: {path} has no PE header")
    # The optional header follows the 4-byte signature and the 20-byte file
    # header; its checksum is at the same place in PE32 and PE32+.
    field = header + 4 + 20 + 64
    data += b"\0" * (-len(data) % 8)
    struct.pack_into("<I", data, field, 0)
    total = 0
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    struct.pack_into("<I", data, field, (total + len(data)) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(data)


for name in sys.argv[1:]:
    tidy(name)
