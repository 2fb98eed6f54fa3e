#!/usr/bin/env bash
# Fuzzing campaign: builds every fuzz target with clang, libFuzzer, AddressSanitizer and UBSan
# (into build-fuzz/, or $FUZZ_BUILD_DIR) and runs each for the given seconds (default 600), one
# after the other, starting from its corpus tests/fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [seconds] [--merge]
#
# A crash, a hang, a leak or a failed check is kept as a new corpus file
# tests/fuzz/corpus/<target>/finding-<name>: from then on the test suite replays it, so it stays
# fixed once fixed. The inputs that reached new code stay in build-fuzz/corpus/<target>/ and the
# next campaign starts from them; --merge also copies into the corpus those that reach code the
# corpus does not.
# At the end a table gives each target's executions and coverage (edges and features).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
merge="${2:-}"
build="${FUZZ_BUILD_DIR:-$top/build-fuzz}"
corpora="$top/tests/fuzz/corpus"

"$top/scripts/deps.sh" --fuzz
compiler="$(command -v clang++ || command -v clang++-14)"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER="$compiler" -DLEXMARIN_FUZZ=ON -DLEXMARIN_TESTS=OFF \
      -DLEXMARIN_BENCH=OFF >/dev/null
names=()
for dir in "$corpora"/*/; do names+=("$(basename "$dir")"); done
cmake --build "$build" --target "${names[@]/#/fuzz_}"

summary="$build/summary.txt"
printf '%-16s %8s %12s %8s %8s %8s  %s\n' target seconds executions exec/s cov ft result \
    >"$summary"
failed=0
for name in "${names[@]}"; do
    work="$build/corpus/$name"
    findings="$build/findings/$name"
    rm -rf "$findings"
    mkdir -p "$work" "$findings"
    log="$build/$name.log"
    echo "== $name: $seconds s"
    status=0
    options=()
    case "$name" in
    open_rows | save_round_trip | pictures) options+=(-dict="$top/tests/fuzz/typ.dict") ;;
    list_file) options+=(-dict="$top/tests/fuzz/lists.dict") ;;
    exchange_files | tmx_file) options+=(-dict="$top/tests/fuzz/exchange.dict") ;;
    esac
    ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="print_stacktrace=1" \
        "$build/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "${options[@]}" "$work" "$corpora/$name" \
        >"$log" 2>&1 || status=$?
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
    cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    ft="$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    result=ok
    for f in "$findings"/*; do
        [ -e "$f" ] || continue
        cp "$f" "$corpora/$name/finding-$(basename "$f")"
        result="FINDING $(basename "$f") (see $log)"
        failed=1
    done
    [ "$status" -ne 0 ] && [ "$result" = ok ] && { result="exit $status (see $log)"; failed=1; }
    if [ "$merge" = "--merge" ]; then
        # Only inputs that reach code the corpus does not (edges, not hit counts): a hundred or
        # so per target, not thousands.
        "$build/fuzz_$name" -merge=1 -use_counters=0 "$corpora/$name" "$work" >>"$log" 2>&1
    fi
    printf '%-16s %8s %12s %8s %8s %8s  %s\n' "$name" "$seconds" "${execs:-?}" "${speed:-?}" \
        "${cov:-?}" "${ft:-?}" "$result" >>"$summary"
done
cat "$summary"
exit "$failed"
