#!/usr/bin/env bash
# Installs everything the three builds and their tests need on a Debian 12 machine: host
# compilers and test libraries, MinGW-w64 for both Windows targets, Wine with one prefix per
# target, and (on kernels without 32-bit support) qemu-i386 so the 32-bit Wine loader runs.
# Safe to run again: each step checks first. Only apt and binfmt need root (through sudo when
# run by another user); the Wine prefixes are the checkout's own (tools/wine-services.sh).
set -euo pipefail
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev zlib1g-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev binutils-mingw-w64
  wine wine64 wine32:i386 wine32-preloader:i386 wine64-preloader xvfb x11-apps x11-utils imagemagick python3 clang-format
  fonts-ipafont-gothic)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The 32-bit Wine loader is a 32-bit Linux program. Where the kernel refuses those (ENOEXEC),
# run it through qemu-i386 registered in binfmt_misc. Debian 12's own qemu (7.2) ignores
# MAP_FIXED_NOREPLACE and crashes Wine; the backports suite carries a version that works.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  qemu=/usr/local/lib/zuvelo/qemu-i386
  if [ ! -x "$qemu" ]; then
    mirror=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    [ -n "$mirror" ] || mirror=$(awk '$1=="deb"{print $2; exit}' /etc/apt/sources.list)
    bp=$(mktemp -d)
    trap 'as_root rm -rf "$bp"' EXIT
    mkdir -p "$bp/lists/partial"
    echo "deb $mirror bookworm-backports main" >"$bp/sources.list"
    apto=(-o "Dir::Etc::sourcelist=$bp/sources.list" -o Dir::Etc::sourceparts=- -o "Dir::State::lists=$bp/lists")
    as_root apt-get "${apto[@]}" update -qq
    (cd "$bp" && as_root apt-get "${apto[@]}" download qemu-user >/dev/null)
    dpkg-deb --fsys-tarfile "$bp"/qemu-user_*.deb | tar -xO ./usr/bin/qemu-i386 >"$bp/qemu-i386"
    as_root install -D -m 755 "$bp/qemu-i386" "$qemu"
  fi
  mountpoint -q /proc/sys/fs/binfmt_misc || as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' |
      as_root tee /proc/sys/fs/binfmt_misc/register >/dev/null
  fi
fi
echo "install-deps: ready"
