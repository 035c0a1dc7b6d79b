#!/usr/bin/env python3
"""Makes a delay-load import library from MinGW's ordinary one: the same functions,
bound when the program first calls one of them instead of when it starts."""
import argparse
import os
import re
import subprocess

parser = argparse.ArgumentParser()
parser.add_argument("--nm", required=True)
parser.add_argument("--dlltool", required=True)
parser.add_argument("--import-lib", required=True)
parser.add_argument("--dll", required=True)
parser.add_argument("--def-file", required=True)
parser.add_argument("--output", required=True)
# C names carry a leading underscore on 32-bit x86 and none on x86-64: the import
# symbol of f is __imp__f there and __imp_f here.
parser.add_argument("--symbol-prefix", default="_")
args = parser.parse_args()

symbols = subprocess.run([args.nm, args.import_lib], check=True, capture_output=True, text=True).stdout
os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
names = sorted({m.group(1) for m in re.finditer(r" I __imp_" + re.escape(args.symbol_prefix) + r"(\S+)", symbols)})
with open(args.def_file, "w") as f:
    f.write(f"LIBRARY {args.dll}\nEXPORTS\n")
    for name in names:
        f.write(f"  {name}\n")
subprocess.run([args.dlltool, "-k", "--input-def", args.def_file, "--output-delaylib", args.output, "--dllname",
                args.dll], check=True)
