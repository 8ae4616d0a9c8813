#!/usr/bin/env bash
# The analyzer at scale, as a user runs it: N generated logs (default 10,000) through
# logana-run of the 32-bit build under Wine.
#   1. the player report (every per-move callback) twice, the second from the cache: time,
#      logs/s, peak memory;
#   2. a script with log-level callbacks only, with the analyzer's profile from the trace;
#   3. the caching script twice: the second run against the first;
#   4. the native replay of the same files (mjlog-dump --summary of the bench build).
# Needs the win32 and bench builds (cmake --build --preset win32 / bench) and UDP port 514 free;
# SCALE_RUNNER names another logana-run.exe (the win64 one, say).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
count="${1:-10000}"
work="${SCALE_DIR:-/tmp/zuvelo-scale}"
runner="${SCALE_RUNNER:-$root/build/win32/tools/logana_run/logana-run.exe}"
gen="$root/build/bench/tools/mjlog_gen/mjlog-gen"
dump="$root/build/bench/tools/mjlog_dump/mjlog-dump"
wine_path() { printf 'Z:%s' "$1" | tr / '\\'; }
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

if [ ! -d "$work/logs-$count" ]; then
  echo "generating $count logs ..."
  "$gen" --seed 1 --count "$count" --out "$work/logs-$count" >/dev/null
fi
logs=$(wine_path "$work/logs-$count")

# Runs logana-run; prints wall seconds and the peak resident size of its process (Wine's own
# libraries included) in MB, sampled every 0.2 s.
run() {
  local start peak=0 pid hwm
  start=$(date +%s.%N)
  "$root/tools/wine-run.sh" "$runner" --quiet "$@" >"$work/out.txt" 2>"$work/err.txt" &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    for p in $(pgrep -f 'logana-run\.exe' || true); do
      # Only this script's runs: others on a shared machine run logana-run too.
      grep -qaF -- "$(wine_path "$work")" "/proc/$p/cmdline" 2>/dev/null || continue
      hwm=$(awk '/VmHWM/ {print $2}' "/proc/$p/status" 2>/dev/null || echo 0)
      [ "${hwm:-0}" -gt "$peak" ] && peak=$hwm
    done
    sleep 0.2
  done
  wait "$pid"
  echo "$(calc "$(date +%s.%N) - $start") $((peak / 1024))"
}

report() {  # what, logs, seconds, peak MB
  printf '%-44s %6d logs %8.2f s %7.0f logs/s  peak %s MB\n' "$1" "$2" "$3" \
    "$(calc "$2 / $3")" "$4"
}

rm -rf "$work/work"
report_first=0 report_second=0
# The first run chooses a player (with trend charts); the second finds the choice in the cache.
choice=(--player Kotaro)
for pass in first second; do
  read -r t m < <(run --work "$(wine_path "$work/work")" --logs "$logs" \
    "$(wine_path "$root/examples/player_report.js")" "${choice[@]}" \
    "$(wine_path "$work/report.html")")
  choice=()
  report "player report, $pass run" "$count" "$t" "$m"
  eval "report_$pass=$t"
done
printf '    second / first = %.1f%%\n' "$(calc "100 * $report_second / $report_first")"

cat >"$work/log_level.js" <<'EOF'
var n = 0, a = external.mjCommand("CREATEINSTANCE::LOGANA1.0");
function nothing() {}
a.analyze({Array: Array, OnEnumLog: function () { return true; },
           OnLogBegin: function () { n++; }, OnLogEnd: nothing,
           OnAnalyzeEnd: function () { host.print("logs " + n); }});
EOF
rm -f "$work/trace.txt"
python3 - "$work/trace.txt" <<'EOF' &
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 514))
s.settimeout(20)
with open(sys.argv[1], "wb") as out:
    try:
        while True:
            out.write(s.recvfrom(70000)[0].rstrip(b"\0"))
    except socket.timeout:
        pass
EOF
listener=$!
sleep 0.5
read -r t m < <(run --work "$(wine_path "$work/work")" --logs "$logs" \
  "$(wine_path "$work/log_level.js")")
report "log-level callbacks only" "$count" "$t" "$m"
wait "$listener" || true
if [ -s "$work/trace.txt" ]; then
  grep -a -E "^(files=|On[A-Za-z]+ +[0-9]+ +[0-9]+|total=)" "$work/trace.txt" | sed 's/^/    /'
else
  echo "    (no profile: another program holds UDP port 514)"
fi

rm -rf "$work/cache"
read -r first m1 < <(run --work "$(wine_path "$work/cache")" --logs "$logs" \
  "$(wine_path "$root/examples/cached_counts.js")")
report "caching script, first run" "$count" "$first" "$m1"
read -r second m2 < <(run --work "$(wine_path "$work/cache")" --logs "$logs" \
  "$(wine_path "$root/examples/cached_counts.js")")
report "caching script, second run" "$count" "$second" "$m2"
printf '    second / first = %.1f%%\n' "$(calc "100 * $second / $first")"

start=$(date +%s.%N)
find "$work/logs-$count" -name '*.mjlog' -print0 | xargs -0 "$dump" --summary >/dev/null
report "native replay (mjlog-dump --summary)" "$count" "$(calc "$(date +%s.%N) - $start")" "-"
