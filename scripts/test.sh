#!/usr/bin/env bash
# Builds Lexmarin and runs every test (the window tests run on the offscreen platform), then
# builds the suite again with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of its
# own (build-asan, or $ASAN_BUILD_DIR) and runs it there. SANITIZE=0 skips the second run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh" --tests
"$top/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
(cd "${BUILD_DIR:-$top/build}" && ctest --output-on-failure -j2 --timeout 300)

[ "${SANITIZE:-1}" = 0 ] && exit 0
asan="${ASAN_BUILD_DIR:-$top/build-asan}"
options=(-DLEXMARIN_SANITIZE=ON -DLEXMARIN_BENCH=OFF)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$top" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
    "${options[@]}" >/dev/null
cmake --build "$asan"
# Every finding fails its test: AddressSanitizer (leaks included) stops at its first, and
# undefined behaviour is not recovered from.
export UBSAN_OPTIONS="print_stacktrace=1:${UBSAN_OPTIONS:-}"
cd "$asan"
ctest --output-on-failure -j2 --timeout 600
