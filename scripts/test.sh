#!/usr/bin/env bash
# Builds Lexmarin and runs every test (the window tests run on the offscreen platform).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh" --tests
"$top/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "${BUILD_DIR:-$top/build}"
ctest --output-on-failure -j2 --timeout 300
