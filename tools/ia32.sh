#!/usr/bin/env bash
# Wine runs 32-bit Windows programs in 32-bit Linux processes. Where the kernel runs
# no 32-bit code (IA-32 emulation switched off), this makes them run under qemu-i386
# user-mode emulation instead: the binfmt_misc entry "qemu-i386" hands every 32-bit
# program to qemu, and a preloaded library (tools/ia32/wine_qemu_shim.c) evens out
# where qemu answers otherwise than Linux.
#   ia32.sh deps          installs qemu and a 32-bit C compiler when they are needed
#   ia32.sh prepare BUILD  writes BUILD/ia32/env: the environment Wine's programs need
#                          here (empty where the kernel runs 32-bit code itself)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binfmt=/proc/sys/fs/binfmt_misc

registered() { [ -e "$binfmt/qemu-i386" ]; }
# A 32-bit program that every Wine installation brings: the 32-bit dynamic loader.
runs_natively() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
needs_qemu() { registered || ! runs_natively; }

deps() {
  needs_qemu || return 0
  local need=()
  [ -x /usr/bin/qemu-i386-static ] || need+=(qemu-user-static)
  echo 'int main(void){return 0;}' | gcc -m32 -x c - -o /dev/null >/dev/null 2>&1 || need+=(gcc-multilib)
  if [ ${#need[@]} -gt 0 ]; then
    # install-deps.sh updates only when it installs itself; a failed index is not fatal
    apt-get update -q >/dev/null 2>&1 || true
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${need[@]}" >/dev/null
  fi
}

register() {
  registered && return 0
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  # 32-bit x86 ELF executables and shared objects; F: qemu is opened now, so it
  # serves in any mount namespace.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    >"$binfmt/register"
}

prepare() {
  local build=${1:?build dir}
  mkdir -p "$build/ia32"
  local dir
  dir=$(cd "$build/ia32" && pwd)  # the env file is read from other folders
  if ! needs_qemu; then
    : >"$dir/env"
    return 0
  fi
  deps
  register
  local name=wine_qemu_shim.so src="$here/ia32/wine_qemu_shim.c"
  local lib32="$dir/lib/i386-linux-gnu/$name" lib64="$dir/lib/x86_64-linux-gnu/$name"
  if [ ! -f "$lib32" ] || [ "$src" -nt "$lib32" ]; then
    mkdir -p "$(dirname "$lib32")" "$(dirname "$lib64")"
    gcc -m32 -O2 -Wall -shared -fPIC "$src" -o "$lib32" -ldl
    echo 'void wine_qemu_shim_64(void) {}' | gcc -O2 -shared -fPIC -x c - -o "$lib64"
  fi
  # shellcheck disable=SC2016  # $LIB is for the dynamic loader to expand
  printf 'export LD_PRELOAD=%q\n' "$dir/\$LIB/$name" >"$dir/env"
  echo "32-bit programs run under qemu-i386 here (the kernel runs no 32-bit code)" >&2
}

case "${1:-}" in
  deps) deps ;;
  prepare) prepare "${2:-}" ;;
  *) echo "usage: $0 deps | prepare BUILD_DIR" >&2; exit 2 ;;
esac
