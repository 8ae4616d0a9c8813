#!/bin/sh
# Runs a Windows program under Wine, headless, keeping its exit code and output; ctest uses it as
# the cross-compiling emulator. A persistent wineserver per prefix (started once, see
# wine-services.sh) makes each run take a fraction of a second instead of several.
exe="$1"
zuvelo_root=$(cd "$(dirname "$0")/.." && pwd)
. "$zuvelo_root/tools/wine-env.sh"
wine_for "$exe"
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=C # the 32-bit loader under qemu needs it
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
DISPLAY=$("$zuvelo_root/tools/wine-services.sh" display 2>/dev/null)
export DISPLAY
exec "$loader" "$@"
