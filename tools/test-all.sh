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
  junit="$(pwd)/build/$preset/ctest-junit.xml"
  rm -f "$junit"
  ctest --preset "$preset" --output-junit "$junit" || status=1
  # The counts are attributes of the report's one suite element, which spans several lines.
  count() { tr '\n\t' '  ' <"$junit" | sed -n "s/.*<testsuite [^>]*\b$1=\"\([0-9]*\)\".*/\1/p"; }
  t=$(count tests) f=$(count failures) sk=$(count skipped)
  if [ -n "$t" ] && [ -n "$f" ]; then
    passed=$((passed + t - f - ${sk:-0}))
    failed=$((failed + f))
  else
    echo "=== $preset: no test report"
    status=1
  fi
done
[ $status -eq 0 ] || [ $failed -gt 0 ] || failed=1
echo "all builds: $passed passed, $failed failed"
exit $status
