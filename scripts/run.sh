#!/usr/bin/env bash
# Builds Lexmarin and starts it with the TYP text file given, or with the bundled example.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh"
"$top/scripts/build.sh" --target lexmarin
file="${1:-$top/examples/city.txt}"
exec "${BUILD_DIR:-$top/build}/lexmarin" "$file"
