#!/usr/bin/env python3
"""Prepares the payload resources of setup.exe: the payload itself (or its two parts
for the two-part variant), the checksum table the setup checks itself against, and
the resource script that embeds them with the icon and the manifest."""
import argparse
import os
import struct
import zlib

parser = argparse.ArgumentParser()
parser.add_argument("--payload", required=True)
parser.add_argument("--base-name", required=True)
parser.add_argument("--kind", required=True)
parser.add_argument("--out-dir", required=True)
parser.add_argument("--icon", required=True)
parser.add_argument("--manifest", required=True)
args = parser.parse_args()

os.makedirs(args.out_dir, exist_ok=True)


def rc_path(path):
    return '"' + os.path.abspath(path).replace("\\", "\\\\").replace('"', '\\"') + '"'


def crc_of(path):
    crc = 0
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            crc = zlib.crc32(chunk, crc)
    return crc & 0xFFFFFFFF


name = args.base_name.upper()
kind = args.kind.upper()
if args.base_name == "twq":
    # The two-part variant: the package split in two resources, joined again on install.
    with open(args.payload, "rb") as f:
        data = f.read()
    half = len(data) // 2
    parts = []
    for index, piece in ((1, data[:half]), (2, data[half:])):
        path = os.path.join(args.out_dir, f"payload{index}.bin")
        with open(path, "wb") as f:
            f.write(piece)
        parts.append((f"{name}{index}", path))
else:
    parts = [(name, os.path.abspath(args.payload))]

table = bytearray(b"TWSUMS01" + struct.pack("<I", len(parts)))
for res_name, path in parts:
    table += res_name.encode("ascii").ljust(32, b"\0")[:32]
    table += kind.encode("ascii").ljust(16, b"\0")[:16]
    table += struct.pack("<II", os.path.getsize(path), crc_of(path))
sums = os.path.join(args.out_dir, "payload-sums.bin")
with open(sums, "wb") as f:
    f.write(table)

lines = [
    "#include <winresrc.h>",
    "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL",
    f"1 ICON {rc_path(args.icon)}",
    f"CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST {rc_path(args.manifest)}",
    f"PAYLOADSUMS RCDATA {rc_path(sums)}",
    "LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT",  # 1049
]
for res_name, path in parts:
    lines.append(f"{res_name} {kind} {rc_path(path)}")
script = os.path.join(args.out_dir, "setup.rc")
new = "\n".join(lines) + "\n"
if not os.path.exists(script) or open(script).read() != new:
    with open(script, "w") as f:
        f.write(new)
