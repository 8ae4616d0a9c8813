#!/bin/sh
# Starts the built program under Wine on the Xvfb display in both modes, checks its main window
# from outside (class, caption, toolbar buttons), takes a screenshot into the build folder,
# closes it with WM_CLOSE and checks exit code 0 and that no process of it is left.
#   smoke_test.sh PROGRAM.exe WINDOW_PROBE.exe WINE_RUN OUTPUT_FOLDER
# Game mode: started from another folder. Analyzer-only mode: a copy named logana.exe started
# with the working folder current. A settings file with a log folder of its own keeps the
# log-folder question away; the prefix's own settings file comes back at the end.
set -u
program="$1"
probe="$2"
wine_run="$3"
out="$4"
state="${ZUVELO_WINE_STATE:-/var/cache/zuvelo-wine}"
DISPLAY=$("$(dirname "$wine_run")/wine-services.sh" display) || exit 1
export DISPLAY
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The prefix wine-run.sh picks for this program: 32-bit programs get pfx32.
off=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
mach=$(od -An -tx2 -j$((off + 4)) -N2 "$program" | tr -d ' ')
prefix="$state/pfx64" loader=/usr/lib/wine/wine64
[ "$mach" = 014c ] && prefix="$state/pfx32" loader=/usr/lib/wine/wine
work="$prefix/drive_c/users/$(id -un)/AppData/Local/Q-ORB/zuvelo/130"
mkdir -p "$work" "$out/smoke-logs"

config="$work/config.ini"
saved=""
if [ -f "$config" ]; then
  saved="$out/smoke-config.ini.saved"
  cp "$config" "$saved"
fi
restore() {
  if [ -n "$saved" ]; then mv "$saved" "$config"; else rm -f "$config"; fi
}
trap restore EXIT
logs_dos="Z:$(printf '%s' "$out/smoke-logs" | tr '/' '\\')"
printf '[LOG]\r\nPATH=%s\r\n' "$logs_dos" >"$config"

# Xvfb has no window manager, so Wine waits 2 s for each managed window it hides, in vain.
# Unmanaged windows (a per-program Wine default in the test prefix) make closing quick.
unmanaged() {
  grep -q "AppDefaults\\\\\\\\$1\\\\\\\\X11 Driver" "$prefix/user.reg" 2>/dev/null && return
  WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=C timeout -s KILL 30 "$loader" reg add \
    "HKCU\\Software\\Wine\\AppDefaults\\$1\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
}
unmanaged "$(basename "$program")"
unmanaged logana.exe

# Processes of this program still alive: their command line names its file.
leftovers() {
  dos="$(printf '%s' "$1" | tr '/' '\\')"
  ps -eo pid=,args= | grep -F -e "$1" -e "$dos" | grep -v -e grep -e smoke_test
}

# run MODE EXE FOLDER BUTTONS SHOT
run() {
  mode="$1" exe="$2" folder="$3" buttons="$4" shot="$5"
  echo "--- $mode"
  (cd "$folder" && exec timeout -s KILL 40 "$wine_run" "$exe") >"$out/smoke-$mode.log" 2>&1 &
  pid=$!
  facts=$(timeout -s KILL 30 "$wine_run" "$probe" find 20000 | tr -d '\r')
  echo "$facts"
  echo "$facts" | grep -qx 'class=WC_ZUVELO_WIN_APP LOGANA' || fail "$mode: main window class"
  echo "$facts" | grep -qx 'caption=ZUVELO' || fail "$mode: caption"
  echo "$facts" | grep -qx 'visible=1' || fail "$mode: not shown"
  echo "$facts" | grep -qx 'toolbar=ToolbarWindow32' || fail "$mode: toolbar class"
  echo "$facts" | grep -qx "buttons=$buttons" || fail "$mode: toolbar buttons, want $buttons"
  sleep 0.5 # let the window paint before the picture
  xwd -root -silent | convert xwd:- "$out/$shot" || fail "$mode: screenshot"
  timeout -s KILL 30 "$wine_run" "$probe" close 5000 >/dev/null || fail "$mode: WM_CLOSE"
  i=0
  while kill -0 "$pid" 2>/dev/null && [ $i -lt 100 ]; do
    sleep 0.1
    i=$((i + 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$mode: still running 10 s after WM_CLOSE"
    kill -KILL "$pid" 2>/dev/null
  fi
  wait "$pid"
  code=$?
  [ "$code" -eq 0 ] || fail "$mode: exit code $code"
  sleep 0.3
  left=$(leftovers "$exe")
  [ -z "$left" ] || fail "$mode: process left: $left"
}

run game "$program" "$out" 8 shot.png

analyzer="$out/logana.exe"
cp "$program" "$analyzer"
run analyzer "$analyzer" "$work" 6 shot-logana.png
rm -f "$analyzer"

[ "$failures" -eq 0 ] && echo "smoke test passed"
[ "$failures" -eq 0 ]
