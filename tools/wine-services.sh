#!/bin/sh
# start: an Xvfb display (:99 unless DISPLAY names another) and one persistent wineserver per
# prefix, each only if not running yet. stop: ends the wineservers and the Xvfb started here.
# Their output goes to /dev/null: Wine's background processes otherwise write to the first
# caller's stderr and hold its pipe open.
state="${ZUVELO_WINE_STATE:-/var/cache/zuvelo-wine}"
display="${DISPLAY:-:99}"
num="${display#:}"
num="${num%%.*}"
case "${1:-start}" in
  start)
    if [ ! -e "/tmp/.X11-unix/X$num" ] && command -v Xvfb >/dev/null; then
      setsid Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      echo $! >"$state/xvfb.pid"
      i=0
      while [ ! -e "/tmp/.X11-unix/X$num" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    fi
    for p in pfx32 pfx64; do
      # A second server for a prefix that has one exits at once, so a race here is harmless.
      if [ ! -f "$state/$p.server" ] || ! kill -0 "$(cat "$state/$p.server")" 2>/dev/null; then
        WINEPREFIX="$state/$p" setsid /usr/lib/wine/wineserver -p -f </dev/null >/dev/null 2>&1 &
        echo $! >"$state/$p.server"
        # Wine names the server's folder after the prefix's device and inode.
        id=$(printf 'server-%x-%x' "$(stat -c %d "$state/$p")" "$(stat -c %i "$state/$p")")
        i=0
        while ! ls /tmp/wine-*/"$id"/socket /tmp/.wine-*/"$id"/socket >/dev/null 2>&1 && [ $i -lt 50 ]; do
          sleep 0.1
          i=$((i + 1))
        done
        # The first program in a prefix starts Wine's own services (services.exe, rpcss, ...),
        # which keep the caller's output open for as long as they live: start them here, on
        # /dev/null, rather than inside a test whose output ctest is waiting on.
        loader=/usr/lib/wine/wine64
        [ "$p" = pfx32 ] && loader=/usr/lib/wine/wine
        WINEPREFIX="$state/$p" WINEDEBUG=-all LC_ALL=C WINEDLLOVERRIDES="mscoree,mshtml=" \
          "$loader" cmd /c exit </dev/null >/dev/null 2>&1
      fi
    done
    ;;
  stop)
    for p in pfx32 pfx64; do
      WINEPREFIX="$state/$p" /usr/lib/wine/wineserver -k >/dev/null 2>&1
      rm -f "$state/$p.server"
    done
    if [ -f "$state/xvfb.pid" ]; then
      kill "$(cat "$state/xvfb.pid")" 2>/dev/null
      rm -f "$state/xvfb.pid"
    fi
    ;;
esac
