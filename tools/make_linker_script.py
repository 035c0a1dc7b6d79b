#!/usr/bin/env python3
"""Makes the setup programs' linker script from the linker's own default one.

With a file alignment of 4096 (so that Wine maps the payload instead of copying it)
every section of the image costs at least a page of the file. The default script
gives the C runtime's initialiser tables (.CRT, 48 bytes) and the TLS template (.tls,
8 bytes) a page each. This script puts both into .data, which has room for them in
its one page:

  - the TLS template first, so that it still starts its section (offsets of TLS data
    are taken from the section's start);
  - then the data itself, then the initialiser tables (with the TLS initialisers,
    which the default script leaves to the linker), each block unchanged with its
    own symbols and sort order.

The TLS directory is found through its symbol, not a section name, so the loader
sees the same program. The import tables stay in .idata: the linker finds the
import directory by that section's name. Anything unexpected in the default script
stops the build rather than giving a different layout."""
import argparse
import re
import subprocess
import sys

parser = argparse.ArgumentParser()
parser.add_argument("--ld", required=True)
parser.add_argument("--output", required=True)
args = parser.parse_args()

verbose = subprocess.run([args.ld, "--verbose"], check=True, capture_output=True, text=True).stdout
parts = re.split(r"^={20,}\s*$", verbose, flags=re.M)
if len(parts) < 3:
    sys.exit("make_linker_script: no default script in the output of ld --verbose")
script = parts[1]


def take_block(text, name):
    """Removes output section NAME from TEXT; returns the text and the block's body."""
    pattern = re.compile(r"^  " + re.escape(name) + r" BLOCK\(__section_alignment__\) :\n  \{\n(.*?)^  \}\n",
                         re.S | re.M)
    found = pattern.findall(text)
    if len(found) != 1:
        sys.exit(f"make_linker_script: output section {name} is not where it was expected")
    return pattern.sub("", text, count=1), found[0]


script, tls = take_block(script, ".tls")
script, crt = take_block(script, ".CRT")
script, data = take_block(script, ".data")

# The dynamic TLS initialisers (.CRT$XD*) have no place in the default script: the
# linker would give them an output section, and a page, of their own.
if ".CRT$XD" in script:
    sys.exit("make_linker_script: the default script places .CRT$XD* itself")
crt += "    KEEP (*(SORT(.CRT$XD*)))  /* TLS initialisation */\n"
merged = ("  .data BLOCK(__section_alignment__) :\n  {\n" + tls + data + crt + "  }\n")
anchor = "  .rdata BLOCK(__section_alignment__) :\n"
if script.count(anchor) != 1:
    sys.exit("make_linker_script: output section .rdata is not where it was expected")
script = script.replace(anchor, merged + anchor)

with open(args.output, "w") as f:
    f.write("/* Made by tools/make_linker_script.py from the output of ld --verbose. */\n")
    f.write(script)
