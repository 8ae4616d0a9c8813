#!/usr/bin/env bash
# The demo: installs what is missing, builds the 32-bit Windows program, generates a log folder
# of a few hundred games among a dozen named players, runs the player report through logana-run
# under Wine, prints the tables and says where the HTML report is.
set -euo pipefail
cd "$(dirname "$0")/.."
games="${DEMO_GAMES:-300}"
player="${DEMO_PLAYER-Kotaro}"  # the report's chosen player; empty for everyone
tools/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target logana-run mjlog-gen

demo="$(pwd)/build/demo"
# The report keeps per-log figures in the working folder's cache: start both afresh.
rm -rf "$demo/logs" "$demo/work"
mkdir -p "$demo/work"
wine_path() { printf 'Z:%s' "$1" | tr / '\\'; }
bin="$(pwd)/build/win32/tools"
echo "Generating $games games under $demo/logs ..."
tools/wine-run.sh "$bin/mjlog_gen/mjlog-gen.exe" --seed 1 --count "$games" \
  --out "$(wine_path "$demo/logs")" >"$demo/mjlog-gen.out"
echo "Analysing ..."
tools/wine-run.sh "$bin/logana_run/logana-run.exe" --work "$(wine_path "$demo/work")" \
  --logs "$(wine_path "$demo/logs")" "$(wine_path "$(pwd)/examples/player_report.js")" \
  --player "$player" "$(wine_path "$demo/player_report.html")"
echo
echo "HTML report: $demo/player_report.html"
