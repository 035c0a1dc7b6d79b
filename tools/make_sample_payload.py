#!/usr/bin/env python3
"""Writes the deterministic sample package: "tws" and a zero byte, a 16-bit value at
offset 4, the version as 16-bit little-endian at offset 6, incompressible filler after
that (SHA-256 in counter mode, so every build makes the same bytes)."""
import argparse
import hashlib
import os
import struct

parser = argparse.ArgumentParser()
parser.add_argument("output")
parser.add_argument("--size", type=int, default=23767588)
parser.add_argument("--version", type=int, default=408)
parser.add_argument("--magic", default="tws")
args = parser.parse_args()

os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
header = args.magic.encode("ascii")[:3].ljust(3, b"\0") + b"\0" + struct.pack("<HH", 1, args.version)
with open(args.output, "wb") as out:
    out.write(header[: args.size])
    remaining = args.size - len(header)
    counter = 0
    block = bytearray()
    while remaining > 0:
        block.clear()
        while len(block) < (1 << 20) and len(block) < remaining:
            block += hashlib.sha256(struct.pack("<Q", counter)).digest()
            counter += 1
        chunk = bytes(block[:remaining])
        out.write(chunk)
        remaining -= len(chunk)
