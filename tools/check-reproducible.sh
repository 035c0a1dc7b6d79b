#!/usr/bin/env bash
# The same sources built in another folder give a byte-identical setup.exe: no time
# stamp and no build path in the image or its resources. Compares build/mingw's
# setup.exe with one built from a copy of the tree under build/reproducible.
set -euo pipefail
cd "$(dirname "$0")/.."
copy=build/reproducible/src
rm -rf build/reproducible
mkdir -p "$copy"
# The files of the working tree as git sees them, without what git ignores (build/).
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy"
(cd "$copy" && cmake --preset mingw >/dev/null && cmake --build --preset mingw --target setup -j"$(nproc)" >/dev/null)
if cmp build/mingw/bin/setup.exe "$copy/build/mingw/bin/setup.exe"; then
  echo "reproducible: setup.exe built in $(pwd) and in $copy is the same, byte for byte"
  rm -rf build/reproducible
else
  cmp -l build/mingw/bin/setup.exe "$copy/build/mingw/bin/setup.exe" | head -20 >&2
  echo "reproducible: setup.exe differs between the two builds (offsets and bytes above)" >&2
  exit 1
fi
