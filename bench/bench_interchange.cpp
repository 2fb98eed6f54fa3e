// PO and XLIFF: the rows of a generated style written as a translation file (also the first
// export after the text changed, which reads the elements again), and that file read back and
// imported onto the rows (nothing differs, so every row is compared); the save that keeps the
// layout after one row changed.

#include "bench_util.h"
#include "generator.h"

#include "commands/interchange.h"
#include "commands/open_document.h"
#include "document/elements.h"
#include "document/exchange.h"
#include "document/label_codec.h"
#include "document/po_file.h"
#include "document/saved_text.h"
#include "document/xliff_file.h"
#include "view/state.h"

namespace lex::bench {

namespace {

// Opens a generated style of about `mb` megabytes, English to German.
std::string open_style(State& st, Ui& ui, long mb) {
    GenOptions options;
    options.elements_per_kind = elements_for_size(std::size_t(mb) << 20, options);
    const std::string text = generate_typ(options);
    std::string path = write_bench_file("interchange.txt", text);
    set_defaults(st, bench_dir());
    st.row_target_code = st.target_code;
    open_document(st, ui, path);
    return text;
}

template <bool Xliff> void BM_Export(benchmark::State& state) {
    NullUi ui;
    State st;
    const std::string text = open_style(st, ui, state.range(0));
    std::size_t size = 0;
    run_with_ratio(state, text, [&] {
        const ExchangeBytes out =
            exchange_bytes(st, table_label_codec(),
                           Xliff ? ExchangeFormat::kXliff : ExchangeFormat::kPo, "2026-01-02");
        size = out.size;
        benchmark::DoNotOptimize(out.data.get());
    });
    state.counters["out_MB"] = double(size) / 1e6;
}

// The first export after the text changed: the element records are made again from the text.
void BM_PoExportFirst(benchmark::State& state) {
    NullUi ui;
    State st;
    const std::string text = open_style(st, ui, state.range(0));
    run_with_ratio(state, text, [&] {
        st.text_changed();
        const ExchangeBytes out =
            exchange_bytes(st, table_label_codec(), ExchangeFormat::kPo, "2026-01-02");
        benchmark::DoNotOptimize(out.data.get());
    });
}

// The element records alone, made from the text and its outline.
void BM_ElementRecords(benchmark::State& state) {
    NullUi ui;
    State st;
    const std::string text = open_style(st, ui, state.range(0));
    const Outline outline = read_outline(st.document);
    ElementRecords records;
    run_with_ratio(state, text, [&] {
        make_element_records(st.document, outline, st.source_code, st.zero_fallback, records);
        benchmark::DoNotOptimize(records.labels.data());
    });
}

template <bool Xliff> void BM_Import(benchmark::State& state) {
    NullUi ui;
    State st;
    const std::string text = open_style(st, ui, state.range(0));
    const ExchangeFile file = exchange_file(st, table_label_codec());
    const std::string exported = Xliff ? xliff_text(file) : po_text(file);
    run_with_ratio(state, text, [&] {
        const Outcome outcome = import_exchange_text(
            st, ui, Xliff ? ExchangeFormat::kXliff : ExchangeFormat::kPo, exported, "bench", {});
        benchmark::DoNotOptimize(outcome.count);
    });
}

void BM_SaveTextKeepingLayout(benchmark::State& state) {
    NullUi ui;
    State st;
    const std::string text = open_style(st, ui, state.range(0));
    st.row(kPoints, st.row_count(kPoints) - 1).text = "Neu";
    // As an LF file is read: the save puts the file's own bytes back around the change.
    st.file_bytes = text;
    run_with_ratio(state, text, [&] {
        std::string out = build_layout_kept_text(st);
        benchmark::DoNotOptimize(out.data());
    });
}

} // namespace

BENCHMARK(BM_Export<false>)
    ->Name("BM_PoExport")
    ->Arg(5)
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_PoExportFirst)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ElementRecords)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Import<false>)
    ->Name("BM_PoImport")
    ->Arg(5)
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Export<true>)
    ->Name("BM_XliffExport")
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Import<true>)
    ->Name("BM_XliffImport")
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SaveTextKeepingLayout)
    ->Arg(5)
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace lex::bench
