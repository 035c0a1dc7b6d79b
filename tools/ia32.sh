#!/usr/bin/env bash
# Wine runs 32-bit Windows programs in 32-bit Linux processes. Where the kernel runs
# no 32-bit code (IA-32 emulation switched off), this makes them run under qemu-i386
# user-mode emulation instead: the binfmt_misc entry "qemu-i386" hands every 32-bit
# program to qemu-user 10 or later, which runs Wine's 32-bit side as it is.
#   ia32.sh deps          installs qemu-user when it is needed
#   ia32.sh prepare BUILD  writes BUILD/ia32/env: the environment Wine's programs need
#                          here (empty where the kernel runs 32-bit code itself)
set -euo pipefail
binfmt=/proc/sys/fs/binfmt_misc

registered() { [ -e "$binfmt/qemu-i386" ]; }
# The interpreter the entry names. With the F flag the kernel keeps the file it opened
# at registration, whatever is at that path later.
registered_interpreter() { sed -n 's/^interpreter //p' "$binfmt/qemu-i386" 2>/dev/null; }
# A 32-bit program that every Wine installation brings: the 32-bit dynamic loader.
runs_natively() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
needs_qemu() { registered || ! runs_natively; }

# qemu-user 10.0 or later: Debian 12's own 7.2 answers several system calls otherwise
# than Linux, and Wine's 32-bit side fails on them (file mappings at offsets that are
# not page-aligned, MAP_FIXED_NOREPLACE, the trap number in signal contexts, one
# descriptor table for all threads of a process). Debian 12 carries 10.0 in its
# backports suite.
qemu_major_wanted=10
# shellcheck disable=SC1091  # the running system's file
backports="$(. /etc/os-release && echo "$VERSION_CODENAME")-backports"

# Prints the path of an installed qemu-i386 that is new enough, links resolved; fails
# when there is none. qemu-user 10 ships a static /usr/bin/qemu-i386 and the
# transitional qemu-user-static a link to it; Debian 12's 7.2 has
# /usr/bin/qemu-i386-static.
qemu_i386() {
  local q major
  for q in /usr/bin/qemu-i386 /usr/bin/qemu-i386-static; do
    [ -x "$q" ] || continue
    major=$("$q" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p')
    if [ -n "$major" ] && [ "$major" -ge "$qemu_major_wanted" ]; then
      readlink -f "$q"
      return 0
    fi
  done
  return 1
}

# apt reads one-line sources from *.list files and deb822 ones ("Suites: a b") from
# *.sources files; a commented line names nothing.
has_backports() {
  grep -sqE "^[^#]*[[:space:]]$backports([[:space:]]|\$)" \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources
}

add_backports() {
  has_backports && return 0
  # A file of its own: the machine's own sources stay as they are. The backports
  # suite's release file says NotAutomatic, so apt installs from it only what it is
  # asked to with -t, and everything else still comes from the release.
  cat >"/etc/apt/sources.list.d/$backports.sources" <<EOF
Types: deb
URIs: http://deb.debian.org/debian
Suites: $backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  echo "ia32.sh: added Debian's $backports suite for qemu-user" >&2
}

deps() {
  needs_qemu || return 0
  qemu_i386 >/dev/null && return 0
  add_backports
  export DEBIAN_FRONTEND=noninteractive
  # An index that fails to download (a mirror in the middle of a sync) leaves the old
  # one in use; the install below still finds what it needs, or says what it misses.
  apt-get update -q >/dev/null || echo "ia32.sh: apt-get update reported errors; going on" >&2
  # qemu-user-static from backports is the transitional package that brings qemu-user
  # and qemu-user-binfmt of the same version, and replaces an installed 7.2.
  apt-get install -y -q -t "$backports" qemu-user-static >/dev/null
  if ! qemu_i386 >/dev/null; then
    echo "ia32.sh: no qemu-i386 of version $qemu_major_wanted or later after installing from $backports" >&2
    exit 1
  fi
}

register() {
  local qemu
  qemu=$(qemu_i386) || { echo "ia32.sh: no qemu-i386 of version $qemu_major_wanted or later" >&2; exit 1; }
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  if registered; then
    [ "$(registered_interpreter)" = "$qemu" ] && return 0
    # An entry of another qemu, such as Debian 12's 7.2 at /usr/bin/qemu-i386-static:
    # the kernel would go on running the file it opened then, even after an upgrade
    # replaced it, so the entry goes.
    echo -1 >"$binfmt/qemu-i386"
  fi
  # 32-bit x86 ELF executables and shared objects; F: qemu is opened now, so it
  # serves in any mount namespace.
  printf '%s' ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$qemu:F" \
    >"$binfmt/register"
  echo "ia32.sh: 32-bit programs now run under $qemu" >&2
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
  # Nothing to set: qemu 10 runs Wine's 32-bit side as it is. The line says that
  # programs here run emulated (tools/test.sh sets its timeout by whether it is there).
  echo "# 32-bit programs run under $(registered_interpreter) (binfmt_misc entry qemu-i386)" >"$dir/env"
  echo "32-bit programs run under qemu-i386 here (the kernel runs no 32-bit code)" >&2
}

case "${1:-}" in
  deps) deps ;;
  prepare) prepare "${2:-}" ;;
  *) echo "usage: $0 deps | prepare BUILD_DIR" >&2; exit 2 ;;
esac
