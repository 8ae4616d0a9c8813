#!/usr/bin/env bash
# Builds the program for 32-bit Windows (the release target), 64-bit Windows and the native
# tools, installing what is missing first, then says where the results are.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
for preset in win32 win64 native; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo
echo "32-bit Windows (release): $(pwd)/build/win32"
echo "64-bit Windows:           $(pwd)/build/win64"
echo "native tools:             $(pwd)/build/native/tools"
echo "Try: echo 123m456p789s1122z | build/native/tools/hand-eval"
