# Sourced by the Wine scripts (POSIX sh) after they set zuvelo_root to the checkout: where the
# checkout keeps its Wine state, and which loader and prefix a Windows program needs.
# Each checkout has its own prefixes, wineservers and display under build/wine, so that two
# checkouts testing at once never stop or share each other's services. ZUVELO_WINE_STATE moves it.
state="${ZUVELO_WINE_STATE:-$zuvelo_root/build/wine}"

# pe_is_i386 FILE: the Windows program FILE is 32-bit x86 (PE machine 0x14c).
pe_is_i386() {
  off=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$off" ] && [ "$(od -An -tx2 -j$((off + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')" = 014c ]
}

# wine_for FILE: sets loader and prefix for FILE; 32-bit programs get the 32-bit loader.
wine_for() {
  if pe_is_i386 "$1"; then
    loader=/usr/lib/wine/wine prefix="$state/pfx32"
  else
    loader=/usr/lib/wine/wine64 prefix="$state/pfx64"
  fi
}
