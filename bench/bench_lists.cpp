// Translation lists: the list text of every row, reading it back, and the whole Save List and
// Open List (file written through a temporary file, file read, rows filled).
//
// A list holds one "#" per row, as a document holds one "[end]" per element; the linear pass
// a list operation is measured against ("ratio") counts the "#" of the list text with
// string_view::find. "ratio_end" is the ratio to the document's pass (counting "[end]"), which
// on a list text, that holds no "[end]", is a bare memchr over the bytes.

#include "bench_util.h"
#include "generator.h"

#include "commands/lists.h"
#include "commands/open_document.h"
#include "document/list_file.h"
#include "view/state.h"

#include <ctime>

namespace lex::bench {

namespace {

// Answers every dialog with one path and every question with Yes.
class ListUi : public NullUi {
public:
    std::string path;
    std::string choose_file(const FileRequest&) override { return path; }
};

// A generated document with `rows` rows in all, every row translated.
std::string open_translated(State& st, Ui& ui, long rows) {
    GenOptions options;
    options.elements_per_kind = int(rows / 3);
    const std::string text = generate_typ(options);
    std::string path = write_bench_file("lists.txt", text);
    set_defaults(st, bench_dir());
    st.row_target_code = st.target_code;
    st.win.language_caption = {"English ", "German "};
    open_document(st, ui, path);
    for (const Kind k : kAllKinds)
        for (int r = 0; r < st.row_count(k); ++r) st.row(k, r).text = "Neu " + st.row(k, r).caption;
    return text;
}

std::size_t count_hashes(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t at = text.find('#'); at != std::string_view::npos; at = text.find('#', at + 1))
        ++n;
    return n;
}

double best_seconds(std::string_view text, std::size_t (*pass)(std::string_view)) {
    double best = 1e30;
    for (int i = 0; i < 15; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(pass(text));
        std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        best = std::min(best, d.count());
    }
    return best;
}

// run_with_ratio with the list's own pass as the baseline, and the document's beside it.
template <class Body>
void run_with_list_ratio(benchmark::State& state, std::string_view listText, Body&& body) {
    const double hashes = best_seconds(listText, count_hashes);
    const double ends = best_seconds(listText, count_ends);
    double total = 0;
    const std::clock_t cpu0 = std::clock();
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        body();
        std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        total += d.count();
    }
    const double mean = total / double(state.iterations());
    // Processor time as well: on a busy machine the wall clock also counts the waits for a core
    // (and a save's wait for the disk).
    const double cpu = double(std::clock() - cpu0) / CLOCKS_PER_SEC / double(state.iterations());
    state.counters["ratio"] = mean / hashes;
    state.counters["cpu_ratio"] = cpu / hashes;
    state.counters["ratio_end"] = mean / ends;
    state.counters["baseline_ms"] = hashes * 1e3;
    state.counters["MB"] = double(listText.size()) / 1e6;
}

void set_counters(benchmark::State& state, const State& st) {
    state.counters["rows"] =
        double(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
}

void BM_ListText(benchmark::State& state) {
    ListUi ui;
    State st;
    open_translated(st, ui, state.range(0));
    const std::string text = list_text(st, st.win.language_caption);
    run_with_list_ratio(state, text, [&] {
        std::string out = list_text(st, st.win.language_caption);
        benchmark::DoNotOptimize(out.data());
    });
    set_counters(state, st);
}

void BM_ReadList(benchmark::State& state) {
    ListUi ui;
    State st;
    open_translated(st, ui, state.range(0));
    const std::string text = list_text(st, st.win.language_caption);
    run_with_list_ratio(state, text, [&] {
        ListContents list = read_list(text);
        benchmark::DoNotOptimize(list.entries[0].data());
    });
    set_counters(state, st);
}

void BM_SaveList(benchmark::State& state) {
    ListUi ui;
    State st;
    open_translated(st, ui, state.range(0));
    ui.path = write_bench_file("save.lst", "");
    run_with_list_ratio(state, list_text(st, st.win.language_caption),
                        [&] { benchmark::DoNotOptimize(save_list(st, ui)); });
    set_counters(state, st);
}

void BM_OpenList(benchmark::State& state) {
    ListUi ui;
    State st;
    open_translated(st, ui, state.range(0));
    const std::string text = list_text(st, st.win.language_caption);
    ui.path = write_bench_file("open.lst", text);
    State fresh;
    set_defaults(fresh, bench_dir());
    run_with_list_ratio(state, text, [&] {
        fresh.document.clear();
        benchmark::DoNotOptimize(open_list(fresh, ui));
    });
    set_counters(state, fresh);
}

// Onto the document it came from: the document's rows are built to pair them up, so the
// baseline is a pass over the document text.
void BM_OpenListOntoDocument(benchmark::State& state) {
    ListUi ui;
    State st;
    const std::string doc = open_translated(st, ui, state.range(0));
    ui.path = write_bench_file("onto.lst", list_text(st, st.win.language_caption));
    run_with_ratio(state, doc, [&] { benchmark::DoNotOptimize(open_list(st, ui)); });
    set_counters(state, st);
}

} // namespace

BENCHMARK(BM_ListText)->Arg(30000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadList)->Arg(30000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveList)->Arg(30000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenList)->Arg(30000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenListOntoDocument)
    ->Arg(30000)
    ->Arg(60000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace lex::bench
