#!/usr/bin/env python3
"""Holds the program's folders to their order: each includes only its own folder and
the folders below it.

    base <- sysinfo <- localisation <- payload <- setup

Prints every include that points sideways or up as FILE:LINE and exits with 1 when
there is one. Tests, benchmarks and tools may include any of them.
"""
import pathlib
import re
import sys

ORDER = ["base", "sysinfo", "localisation", "payload", "setup"]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/')
SOURCES = {".h", ".hpp", ".cpp", ".c", ".in"}


def faults(root):
    rank = {folder: i for i, folder in enumerate(ORDER)}
    for folder in ORDER:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in SOURCES or not path.is_file():
                continue
            for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = match.group(1)
                if target == folder:
                    continue
                if target not in rank:
                    why = f"{target}/ is not part of the program"
                elif rank[target] > rank[folder]:
                    why = f"{target}/ lies above {folder}/"
                else:
                    continue
                yield f"{path.relative_to(root)}:{number}: {line.strip()}: {why} ({' <- '.join(ORDER)})"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    found = list(faults(root))
    for fault in found:
        print(fault)
    if found:
        print(f"{len(found)} include(s) against the order of the folders")
        return 1
    print("includes follow the order " + " <- ".join(ORDER))
    return 0


if __name__ == "__main__":
    sys.exit(main())
