// The Edit Strings operations on big generated files: the rewrite of the label lines alone, and
// the whole command (rewrite, rows rebuilt, report written) as the menu runs it. Every element
// of the files has work for the operation measured.

#include "bench_util.h"
#include "generator.h"

#include "commands/actions.h"
#include "commands/open_document.h"
#include "commands/string_tools.h"
#include "document/label_edits.h"
#include "document/lines.h"
#include "document/text.h"
#include "view/state.h"

namespace lex::bench {

namespace {

// Generated labels run 04, 02, 01, 12: every element is out of order.
std::string generated(long mb) {
    GenOptions options;
    options.elements_per_kind = elements_for_size(std::size_t(mb) << 20, options);
    return generate_typ(options);
}

// Every English label as a 0x00 label.
std::string with_zero_labels(long mb) {
    return replace_all(generated(mb), "=0x04,", "=0x00,");
}

// Every French label emptied.
std::string with_empty_labels(long mb) {
    const std::string text = generated(mb);
    std::string out;
    out.reserve(text.size());
    for_each_line(text, [&](std::string_view line, std::size_t) {
        const std::size_t at = line.find("=0x01,");
        out += at == std::string_view::npos ? line : line.substr(0, at + 6);
        out += "\r\n";
    });
    return out;
}

void BM_ReplaceZeroText(benchmark::State& state) {
    const std::string text = with_zero_labels(state.range(0));
    run_with_ratio(state, text,
                   [&] { benchmark::DoNotOptimize(relabel_language(text, "00", "04").count); });
}

void BM_ReplaceSourceText(benchmark::State& state) {
    const std::string text = generated(state.range(0));
    run_with_ratio(state, text,
                   [&] { benchmark::DoNotOptimize(relabel_language(text, "04", "09").count); });
}

void BM_DeleteEmptyText(benchmark::State& state) {
    const std::string text = with_empty_labels(state.range(0));
    run_with_ratio(state, text, [&] { benchmark::DoNotOptimize(remove_empty_labels(text).count); });
}

void BM_SortText(benchmark::State& state) {
    const std::string text = generated(state.range(0));
    run_with_ratio(state, text, [&] { benchmark::DoNotOptimize(sort_labels(text).count); });
}

// The whole command from the menu, the document and languages put back before each run
// (untimed). "ratio" is the mean time over one linear pass over the same text.
void command(benchmark::State& state, const std::string& text, ActionId item,
             const std::string& target = "02") {
    NullUi ui; // answers Yes
    State st;
    set_defaults(st, bench_dir());
    st.target_code = st.row_target_code = target;
    std::string path = write_bench_file("string_tools.txt", text);
    open_document(st, ui, path);
    const State opened = st;
    const double baseline = linear_pass_seconds(text);
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        st = opened;
        state.ResumeTiming();
        auto t0 = std::chrono::steady_clock::now();
        run_action(st, ui, item);
        std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        total += d.count();
        benchmark::DoNotOptimize(st.document.size());
    }
    state.counters["ratio"] = total / double(state.iterations()) / baseline;
    state.counters["baseline_ms"] = baseline * 1e3;
    state.counters["MB"] = double(text.size()) / 1e6;
    state.counters["rows"] =
        double(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
}

void BM_ReplaceZeroCommand(benchmark::State& state) {
    command(state, with_zero_labels(state.range(0)), ActionId::kReplaceZero);
}
void BM_ReplaceSourceCommand(benchmark::State& state) {
    command(state, generated(state.range(0)), ActionId::kReplaceSource,
            "09"); // no element has 0x09 yet
}
void BM_DeleteEmptyCommand(benchmark::State& state) {
    command(state, with_empty_labels(state.range(0)), ActionId::kDeleteEmpty);
}
void BM_SortCommand(benchmark::State& state) {
    command(state, generated(state.range(0)), ActionId::kSortLanguages);
}

} // namespace

// Sizes in MB: 10 against the bar, 20 for the doubling check.
BENCHMARK(BM_ReplaceZeroText)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReplaceSourceText)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeleteEmptyText)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortText)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReplaceZeroCommand)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReplaceSourceCommand)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeleteEmptyCommand)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortCommand)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace lex::bench
