#!/usr/bin/env bash
# Builds an optimised Lexmarin and runs the benchmarks on synthetic files.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh" --tests
BUILD_DIR="$top/build-release" BUILD_TYPE=Release "$top/scripts/build.sh" --target lexmarin_bench
export QT_QPA_PLATFORM=offscreen
exec "$top/build-release/lexmarin_bench" "$@"
