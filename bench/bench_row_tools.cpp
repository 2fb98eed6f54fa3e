// The row tools over big documents: the language survey, a search of the rows' source labels
// and a label edit that rewrites the document, each against one linear pass over the text.

#include "bench_util.h"
#include "generator.h"

#include "commands/edit_label.h"
#include "commands/search.h"
#include "commands/survey.h"
#include "view/rows.h"
#include "view/state.h"

namespace lex::bench {

namespace {

std::string document_of(std::int64_t megabytes) {
    GenOptions options;
    options.elements_per_kind = elements_for_size(std::size_t(megabytes) << 20, options);
    return generate_typ(options);
}

void BM_Survey(benchmark::State& state) {
    const std::string text = document_of(state.range(0));
    run_with_ratio(state, text, [&] { benchmark::DoNotOptimize(languages_in_document(text)); });
}

// Every label holds one of 16 words, so "lake" matches about one row in eight.
void BM_Search(benchmark::State& state) {
    NullUi ui;
    State st;
    set_defaults(st, bench_dir());
    st.row_target_code = st.target_code;
    st.document = document_of(state.range(0));
    rebuild_rows(st, ui);
    st.win.search_text = "LAKE";
    run_with_ratio(state, st.document, [&] { search_labels(st, ui); });
    state.counters["rows"] =
        double(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
}

// A label that stands in one element: the document is read line by line and written anew.
void BM_EditLabel(benchmark::State& state) {
    std::string text = document_of(state.range(0));
    const std::string baseline = text;
    const std::size_t at = text.find("String1=0x04,", text.size() / 2);
    const std::size_t end = text.find("\r\n", at);
    const std::string oldKey = text.substr(at + 7, end - at - 7);
    const std::string newKey = oldKey.substr(0, 6) + "Renamed";
    bool forward = true;
    run_with_ratio(state, baseline, [&] {
        replace_label_lines(text, forward ? oldKey : newKey, forward ? newKey : oldKey);
        forward = !forward;
    });
}

} // namespace

BENCHMARK(BM_Survey)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Search)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditLabel)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace lex::bench
