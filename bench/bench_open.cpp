// Opening a TYP text file: read, normalise, origin checks and the rebuild of all rows.

#include "bench_util.h"
#include "generator.h"

#include "commands/open_document.h"
#include "view/state.h"

namespace lex::bench {

namespace {

void BM_OpenFile(benchmark::State& state) {
    GenOptions options;
    options.elements_per_kind = elements_for_size(std::size_t(state.range(0)) << 20, options);
    const std::string text = generate_typ(options);
    const std::string path = write_bench_file("open.txt", text);
    NullUi ui;
    State st;
    set_defaults(st, bench_dir());
    run_with_ratio(state, text, [&] {
        std::string p = path;
        open_document(st, ui, p);
        benchmark::DoNotOptimize(st.row_count(kPolygons));
    });
    state.counters["rows"] =
        double(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
}

} // namespace

BENCHMARK(BM_OpenFile)->Arg(5)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace lex::bench
