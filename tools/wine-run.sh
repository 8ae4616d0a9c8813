#!/bin/sh
# Runs a Windows program under Wine, headless, keeping its exit code and output; ctest uses it as
# the cross-compiling emulator. The loader follows the PE machine type: i386 (0x14c) gets the
# 32-bit loader and prefix, everything else the 64-bit ones. A persistent wineserver per prefix
# (started once here) makes each run take a fraction of a second instead of several.
exe="$1"
state="${ZUVELO_WINE_STATE:-/var/cache/zuvelo-wine}"
off=$(od -An -tu4 -j60 -N4 "$exe" 2>/dev/null | tr -d ' ')
mach=$(od -An -tx2 -j$((off + 4)) -N2 "$exe" 2>/dev/null | tr -d ' ')
case "$mach" in
  014c) loader=/usr/lib/wine/wine; export WINEPREFIX="$state/pfx32" ;;
  *) loader=/usr/lib/wine/wine64; export WINEPREFIX="$state/pfx64" ;;
esac
export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=C # the 32-bit loader under qemu needs it
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
DISPLAY=$("$(dirname "$0")/wine-services.sh" display 2>/dev/null)
export DISPLAY
exec "$loader" "$@"
