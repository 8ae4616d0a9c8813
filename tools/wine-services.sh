#!/bin/sh
# start: this checkout's Wine prefixes (made once), an X display and one persistent wineserver
# per prefix, each only if not running yet. stop: ends what start started for this checkout
# and nothing else. display: starts them if needed and prints the display the programs use.
# The display is DISPLAY when a server answers there, else an Xvfb of our own on a free number;
# the one chosen is kept in "$state/display" for wine-run.sh. A socket or lock file left in
# /tmp by a server that no longer runs (a restored machine, a killed run) is not a display.
# Output of the background servers goes to /dev/null: Wine's background processes otherwise
# write to the first caller's stderr and hold its pipe open.
zuvelo_root=$(cd "$(dirname "$0")/.." && pwd)
. "$zuvelo_root/tools/wine-env.sh"
mkdir -p "$state" || exit 1
export WINEDEBUG=-all LC_ALL=C WINEDLLOVERRIDES="mscoree,mshtml="

answers() { [ -n "$1" ] && DISPLAY="$1" xdpyinfo >/dev/null 2>&1; }

# pid_runs FILE NAME: the process whose number FILE holds runs and its name begins with NAME
# (not a reused pid; the wineserver script execs "wineserver64" on 64-bit systems).
pid_runs() {
  [ -f "$1" ] || return 1
  case "$(cat "/proc/$(cat "$1")/comm" 2>/dev/null)" in
    "$2"*) return 0 ;;
  esac
  return 1
}

start_display() {
  for d in "${DISPLAY:-}" "$(cat "$state/display" 2>/dev/null)"; do
    if answers "$d"; then
      echo "$d" >"$state/display"
      return 0
    fi
  done
  command -v Xvfb >/dev/null || { echo "wine-services: no X display and no Xvfb" >&2; return 1; }
  pid_runs "$state/xvfb.pid" Xvfb && kill "$(cat "$state/xvfb.pid")"
  rm -f "$state/display"
  : >"$state/display.num" # there before the wait below reads it
  # -displayfd: Xvfb takes the first free number and writes it when it listens.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$state/display.num" 9>&- </dev/null >/dev/null 2>&1 &
  echo $! >"$state/xvfb.pid"
  i=0
  while [ $i -lt 100 ]; do
    n=$(tr -dc 0-9 <"$state/display.num" 2>/dev/null)
    if [ -n "$n" ] && answers ":$n"; then
      echo ":$n" >"$state/display"
      return 0
    fi
    sleep 0.1
    i=$((i + 1))
  done
  echo "wine-services: Xvfb did not start" >&2
  return 1
}

# One prefix per target; the browser engine and .NET installers are skipped (none exists here).
# wineboot leaves a short-lived server behind: wait for it before a persistent one starts.
make_prefixes() {
  for p in pfx32 pfx64; do
    [ -f "$state/$p/system.reg" ] && continue
    loader=/usr/lib/wine/wine64 arch=win64
    [ "$p" = pfx32 ] && loader=/usr/lib/wine/wine arch=win32
    WINEPREFIX="$state/$p" WINEARCH=$arch "$loader" wineboot -i 9>&- </dev/null >/dev/null 2>&1
    WINEPREFIX="$state/$p" /usr/lib/wine/wineserver -w 9>&- </dev/null >/dev/null 2>&1
    [ -f "$state/$p/system.reg" ] || { echo "wine-services: cannot make $state/$p" >&2; return 1; }
  done
}

start_wineservers() {
  for p in pfx32 pfx64; do
    pid_runs "$state/$p.server" wineserver && continue
    WINEPREFIX="$state/$p" setsid /usr/lib/wine/wineserver -p -f 9>&- </dev/null >/dev/null 2>&1 &
    echo $! >"$state/$p.server"
    # Wine names the server's folder after the prefix's device and inode. A stale socket there
    # only shortens this wait: Wine's clients retry until the server listens.
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
    WINEPREFIX="$state/$p" DISPLAY="$(cat "$state/display" 2>/dev/null)" \
      "$loader" cmd /c exit 9>&- </dev/null >/dev/null 2>&1
  done
}

# Tests run two at a time, each through wine-run.sh: one starter at a time. What starts in
# the background must not inherit the lock's descriptor, or the lock outlives the starter.
locked() {
  exec 9>"$state/services.lock"
  flock 9
  "$@"
  status=$?
  flock -u 9
  return $status
}

start_all() { make_prefixes && start_display && start_wineservers; }

case "${1:-start}" in
  start) locked start_all ;;
  display) locked start_all && cat "$state/display" ;;
  stop)
    for p in pfx32 pfx64; do
      WINEPREFIX="$state/$p" /usr/lib/wine/wineserver -k >/dev/null 2>&1
      rm -f "$state/$p.server"
    done
    if pid_runs "$state/xvfb.pid" Xvfb; then kill "$(cat "$state/xvfb.pid")"; fi
    rm -f "$state/xvfb.pid" "$state/display" "$state/display.num"
    ;;
  *)
    echo "usage: wine-services.sh start|display|stop" >&2
    exit 2
    ;;
esac
