#!/usr/bin/env bash
# Builds the native, win32 and win64 trees and runs every test of each (Windows tests under
# Wine). Installs what is missing first. Exits non-zero if any build or test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh || exit 1
if display=$(tools/wine-services.sh display); then
  echo "=== Windows tests use X display $display"
else
  echo "=== no X display: the Windows tests that make windows will fail"
fi
trap 'tools/wine-services.sh stop' EXIT

passed=0
failed=0
status=0
for preset in native win32 win64; do
  echo "=== $preset: build"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    echo "=== $preset: BUILD FAILED"
    status=1
    continue
  fi
  echo "=== $preset: test"
  log="build/$preset/ctest-summary.log"
  ctest --preset "$preset" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  # "100% tests passed, 0 tests failed out of 7"
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + t - f))
    failed=$((failed + f))
  else
    status=1
  fi
done
[ $status -eq 0 ] || [ $failed -gt 0 ] || failed=1
echo "all builds: $passed passed, $failed failed"
exit $status
