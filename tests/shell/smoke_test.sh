#!/bin/sh
# smoke_test.sh PROGRAM.exe WINDOW_PROBE.exe WINE_RUN OUTPUT_FOLDER
# Starts the program under Wine in game mode (from another folder) and analyzer-only mode (as
# logana.exe in the working folder), checks its window from outside, takes a screenshot, closes
# it and checks exit code 0 and that no process is left. The system locale is English
# (wine-run.sh: LC_ALL=C), so the toolbar labels, read back as UTF-16, show that
# the Japanese texts do not depend on a Japanese code page. A settings file naming a log folder
# keeps the log-folder question away; the prefix's own one comes back at the end.
set -u
program="$1" probe="$2" wine_run="$3" out="$4"
DISPLAY=$("$(dirname "$wine_run")/wine-services.sh" display) || exit 1
export DISPLAY
failures=0
fail() { echo "FAIL: $*" && failures=$((failures + 1)); }

# The prefix and loader wine-run.sh picks.
zuvelo_root=$(cd "$(dirname "$wine_run")/.." && pwd)
. "$zuvelo_root/tools/wine-env.sh"
wine_for "$program"
work="$prefix/drive_c/users/$(id -un)/AppData/Local/Q-ORB/zuvelo/130"
config="$work/config.ini" saved="$out/smoke-config.ini.saved"
mkdir -p "$work" "$out/smoke-logs"
rm -f "$saved"; [ -f "$config" ] && cp "$config" "$saved"
trap 'if [ -f "$saved" ]; then mv "$saved" "$config"; else rm -f "$config"; fi' EXIT
printf '[LOG]\r\nPATH=Z:%s\r\n' "$(printf '%s' "$out/smoke-logs" | tr '/' '\\')" >"$config"

# Xvfb has no window manager, so Wine waits 2 s in vain for each managed window it hides:
# unmanaged windows (a per-program Wine default) make closing quick.
for exe in "$(basename "$program")" logana.exe; do
  grep -q "AppDefaults\\\\\\\\$exe\\\\\\\\X11 Driver" "$prefix/user.reg" 2>/dev/null ||
    WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=C timeout -s KILL 30 "$loader" reg add \
      "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
done

# The stand-in of the system's dialog font has no Japanese glyphs: link it to the IPA font
# (tools/install-deps.sh), so that the screenshot shows the labels themselves.
link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=C timeout -s KILL 30 "$loader" reg add "$link" \
  /v Tahoma /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f >/dev/null 2>&1

# run MODE EXE FOLDER BUTTONS SHOT LABELS
run() {
  mode="$1" exe="$2"
  echo "--- $mode"
  (cd "$3" && exec timeout -s KILL 40 "$wine_run" "$exe") >"$out/smoke-$mode.log" 2>&1 & pid=$!
  facts=$(timeout -s KILL 30 "$wine_run" "$probe" find 20000 | tr -d '\r')
  echo "$facts"
  for fact in 'class=WC_ZUVELO_WIN_APP LOGANA' caption=ZUVELO visible=1 \
    toolbar=ToolbarWindow32 "buttons=$4" "labels=$6"; do
    echo "$facts" | grep -qx "$fact" || fail "$mode: want $fact"
  done
  sleep 0.5 # let the window paint before the picture
  xwd -root -silent | convert xwd:- "$out/$5" || fail "$mode: screenshot"
  timeout -s KILL 30 "$wine_run" "$probe" close 5000 >/dev/null || fail "$mode: WM_CLOSE"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null && sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "$mode: still running 10 s after WM_CLOSE" &&
    kill -KILL "$pid" 2>/dev/null
  wait "$pid" || fail "$mode: exit code $?"
  sleep 0.3
  # A process left over names the program's file in its command line.
  left=$(ps -eo pid=,args= | grep -F -e "$exe" -e "$(printf '%s' "$exe" | tr '/' '\\')" |
    grep -v -e grep -e smoke_test)
  [ -z "$left" ] || fail "$mode: process left: $left"
}

run game "$program" "$out" 8 shot.png '対戦|解析'
cp "$program" "$out/logana.exe"
run analyzer "$out/logana.exe" "$work" 6 shot-logana.png '|解析'
rm -f "$out/logana.exe"

[ "$failures" -eq 0 ] && echo "smoke test passed"
