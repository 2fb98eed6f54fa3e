// The translation checks over a big document's rows, against one linear pass over its text.

#include "bench_util.h"
#include "generator.h"

#include "document/checks.h"
#include "view/checks.h"
#include "view/rows.h"
#include "view/state.h"

namespace lex::bench {

namespace {

// Every check over every row of a generated style of `megabytes` (10 MB: about 30,000 rows),
// translated into the language `target`.
void all_checks(benchmark::State& state, const char* target) {
    NullUi ui;
    State st;
    set_defaults(st, bench_dir());
    st.row_target_code = target;
    GenOptions options;
    options.elements_per_kind = elements_for_size(std::size_t(state.range(0)) << 20, options);
    st.document = generate_typ(options);
    rebuild_rows(st, ui);
    const CheckContext ctx = check_context(st);
    const CheckSettings all;
    std::size_t findings = 0;
    run_with_ratio(state, st.document, [&] { findings = run_checks(st, ctx, all).size(); });
    state.counters["rows"] =
        double(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
    state.counters["findings"] = double(findings);
}

// German targets: ASCII labels, as most labels of Western styles are.
void BM_AllChecks(benchmark::State& state) {
    all_checks(state, "02");
}

// Czech targets in code page 1250, each with a letter beyond ASCII ("Řeka ..."): the rows are
// read as characters.
void BM_AllChecksBeyondAscii(benchmark::State& state) {
    all_checks(state, "12");
}

} // namespace

BENCHMARK(BM_AllChecks)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AllChecksBeyondAscii)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace lex::bench
