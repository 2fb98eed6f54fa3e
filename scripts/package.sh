#!/usr/bin/env bash
# Builds an optimised Lexmarin and makes its Debian package with CPack, in build-package/ (or
# the folder given as $BUILD_DIR): lexmarin_<version>_<architecture>.deb
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh"
build="${BUILD_DIR:-$top/build-package}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DLEXMARIN_TESTS=OFF -DLEXMARIN_BENCH=OFF >/dev/null
cmake --build "$build" "$@"
rm -f "$build"/lexmarin_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/lexmarin_*.deb
