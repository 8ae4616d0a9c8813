#!/bin/sh
# smoke_test.sh PROGRAM.exe WINDOW_PROBE.exe WINE_RUN OUTPUT_FOLDER: both modes under Wine.
set -u
program="$1" probe="$2" wine_run="$3" out="$4"
DISPLAY=$("$(dirname "$wine_run")/wine-services.sh" display) && export DISPLAY || exit 1
failures=0
fail() { echo "FAIL: $*" && failures=$((failures + 1)); }

zuvelo_root=$(cd "$(dirname "$wine_run")/.." && pwd)
. "$zuvelo_root/tools/wine-env.sh"
wine_for "$program"
work="$prefix/drive_c/users/$(id -un)/AppData/Local/Q-ORB/zuvelo/130"
config="$work/config.ini" saved="$out/smoke-config.ini.saved"
mkdir -p "$work" "$out/smoke-logs"
rm -f "$saved"; [ -f "$config" ] && cp "$config" "$saved"
trap 'if [ -f "$saved" ]; then mv "$saved" "$config"; else rm -f "$config"; fi' EXIT
printf '[LOG]\r\nPATH=Z:%s\r\n' "$(printf '%s' "$out/smoke-logs" | tr '/' '\\')" >"$config"

# Xvfb has no window manager: unmanaged windows spare Wine's 2 s wait on each hidden one.
for exe in "$(basename "$program")" logana.exe; do
  grep -q "AppDefaults\\\\\\\\$exe\\\\\\\\X11 Driver" "$prefix/user.reg" 2>/dev/null ||
    WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=C timeout -s KILL 30 "$loader" reg add \
      "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
done

# The dialog font's stand-in has no Japanese glyphs: the screenshot needs the IPA font.
link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
grep -q 'ipag.ttf' "$prefix/system.reg" 2>/dev/null ||
  WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=C timeout -s KILL 30 "$loader" reg add "$link" \
  /v Tahoma /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f >/dev/null 2>&1

# run MODE EXE FOLDER BUTTONS SHOT
run() {
  mode="$1" exe="$2"
  (cd "$3" && exec timeout -s KILL 40 "$wine_run" "$exe") >"$out/smoke-$mode.log" 2>&1 & pid=$!
  facts=$(timeout -s KILL 30 "$wine_run" "$probe" find 20000 | tr -d '\r')
  echo "$facts"
  for fact in caption=ZUVELO visible=1 "buttons=$4"; do
    echo "$facts" | grep -qx "$fact" || fail "$mode: want $fact"
  done
  sleep 0.5 # let the window paint before the picture
  xwd -root -silent | convert xwd:- "$out/$5" || fail "$mode: screenshot"
  timeout -s KILL 30 "$wine_run" "$probe" close 5000 >/dev/null || fail "$mode: WM_CLOSE"
  wait "$pid" || fail "$mode: exit code $?"
  sleep 0.3
  left=$(ps -eo pid=,args= | grep -F -e "$exe" -e "$(printf '%s' "$exe" | tr '/' '\\')" |
    grep -v -e grep -e smoke_test)
  [ -z "$left" ] || fail "$mode: process left: $left"
}

run game "$program" "$out" 8 shot.png
cp "$program" "$out/logana.exe"
run analyzer "$out/logana.exe" "$work" 6 shot-logana.png
rm -f "$out/logana.exe"

[ "$failures" -eq 0 ] && echo "smoke test passed"
