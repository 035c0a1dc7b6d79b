#!/usr/bin/env bash
# Installs what building and testing the setup needs on a Debian 12 machine:
# the MinGW-w64 i686 cross compiler (and the x86-64 one for the benchmark's twin),
# Wine with both loaders (a win64 prefix runs 32-bit programs under real WOW64), Xvfb
# for message boxes, osslsigncode and openssl for signing setup.exe, and the locales
# that give Wine its Russian and other user locales. Does nothing when all is there.
set -euo pipefail

need=()
command -v i686-w64-mingw32-g++ >/dev/null 2>&1 || need+=(g++-mingw-w64-i686)
# The x86-64 twin (preset mingw64) that tools/bench.sh times where 32-bit code is emulated.
command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1 || need+=(g++-mingw-w64-x86-64)
command -v wine >/dev/null 2>&1 || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
[ -x /usr/lib/wine/wine ] || need+=(wine32:i386)
command -v Xvfb >/dev/null 2>&1 || need+=(xvfb)
# Wine's own Tahoma and Marlett, which the demo's message boxes are drawn with.
[ -f /usr/share/wine/fonts/marlett.ttf ] || need+=(fonts-wine)
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v localedef >/dev/null 2>&1 || need+=(locales)
[ -d /usr/src/googletest ] || need+=(googletest)
command -v osslsigncode >/dev/null 2>&1 || need+=(osslsigncode)
command -v openssl >/dev/null 2>&1 || need+=(openssl)
command -v convert >/dev/null 2>&1 && convert -version 2>/dev/null | grep -q ImageMagick || need+=(imagemagick)

if [ ${#need[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  # An index that fails to download (a mirror in the middle of a sync) leaves the old
  # one in use; the install below still finds what it needs, or says what it misses.
  apt-get update -q || echo "install-deps: apt-get update reported errors; going on" >&2
  if ! apt-get install -y -q "${need[@]}"; then
    # With one architecture's index of the security suite missing, the two architectures
    # see different candidates of the same library and wine32 cannot be installed beside
    # its 64-bit half. The release's own suite has one version for both.
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "install-deps: trying again with the packages of $codename alone" >&2
    apt-get install -y -q -t "$codename" "${need[@]}"
  fi
fi

# The user locales the tests switch between through LANG.
want_locales="ru_RU.UTF-8 en_US.UTF-8 ky_KG.UTF-8 bg_BG.UTF-8"
missing=0
for l in $want_locales; do
  locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || missing=1
done
if [ $missing -eq 1 ]; then
  for l in $want_locales; do
    grep -q "^$l UTF-8" /etc/locale.gen 2>/dev/null || echo "$l UTF-8" >> /etc/locale.gen
  done
  locale-gen >/dev/null
fi

# Where the kernel runs no 32-bit code, Wine's 32-bit side runs under qemu.
bash "$(dirname "$0")/ia32.sh" deps
