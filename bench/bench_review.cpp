// The review flow over a document of 30,000 elements per kind: undoing (and redoing) a
// translation run over a whole pane, recording such a run's step, and the status bar's counts
// after the run, each against one linear pass over the document.

#include "bench_util.h"
#include "generator.h"

#include "commands/edit_label.h"
#include "commands/translation.h"
#include "translate/run.h"
#include "translate/translator.h"
#include "view/review.h"
#include "view/rows.h"
#include "view/state.h"
#include "view/steps.h"

#include <algorithm>

namespace lex::bench {

namespace {

// Answers every batch with itself in capitals, so every row of the run is written.
class Capitals : public Translator {
public:
    std::string translate(const TranslationRequest&, const std::string& request) override {
        std::string out = request;
        for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
        return out;
    }
};

// A document of `elements` per kind without target labels, its rows built, and the step of a
// translation run over its polygons.
struct TranslatedPane {
    NullUi ui;
    State st;
    Step run;
    explicit TranslatedPane(int elements) {
        set_defaults(st, bench_dir());
        st.row_target_code = st.target_code;
        GenOptions options;
        options.elements_per_kind = elements;
        options.with_target = false;
        st.document = generate_typ(options);
        rebuild_rows(st, ui);
        Capitals tr;
        StepRecorder recorder(st, StepScope::pane(kPolygons));
        translate_pane(st, ui, tr, kPolygons, RunOptions{0});
        run = recorder.finish(st);
    }
};

void BM_UndoRun(benchmark::State& state) {
    TranslatedPane pane(int(state.range(0)));
    bool undone = false;
    run_with_ratio(state, pane.st.document, [&] {
        if (undone)
            redo_step(pane.st, pane.ui, pane.run, true);
        else
            undo_step(pane.st, pane.ui, pane.run, true);
        undone = !undone;
    });
    state.counters["rows"] = double(pane.run.rows.size());
}

// What the window adds to a run: the pane taken before it and compared after it.
void BM_RecordRun(benchmark::State& state) {
    TranslatedPane pane(int(state.range(0)));
    bool undone = false;
    run_with_ratio(state, pane.st.document, [&] {
        StepRecorder recorder(pane.st, StepScope::pane(kPolygons));
        if (undone)
            redo_step(pane.st, pane.ui, pane.run, true);
        else
            undo_step(pane.st, pane.ui, pane.run, true);
        undone = !undone;
        benchmark::DoNotOptimize(recorder.finish(pane.st));
    });
}

// A step over the whole window (rows of every pane, document, languages) around an action that
// changes one row: what a label edit or a string operation adds to its own cost. The document
// version is the one the step before kept, as in the window.
void BM_RecordWindowStep(benchmark::State& state) {
    TranslatedPane pane(int(state.range(0)));
    const auto known = keep_document(pane.st.document);
    run_with_ratio(state, pane.st.document, [&] {
        StepRecorder recorder(pane.st, StepScope::everything(), known);
        pane.st.row(kLines, 7).text += "x";
        benchmark::DoNotOptimize(recorder.finish(pane.st));
    });
}

void BM_StatusCounts(benchmark::State& state) {
    TranslatedPane pane(int(state.range(0)));
    run_with_ratio(state, pane.st.document, [&] {
        for (const Kind k : kAllKinds) benchmark::DoNotOptimize(pane_statistics(pane.st, k));
        benchmark::DoNotOptimize(codepage_statistics(pane.st));
    });
}

// A label edit in a document of `range(0)` MB kept as an undo step: the version before is shared
// with the step before, the version after shares all pieces but the edited ones.
void BM_LabelEditStep(benchmark::State& state) {
    NullUi ui;
    State st;
    set_defaults(st, bench_dir());
    GenOptions options;
    options.elements_per_kind = elements_for_size(std::size_t(state.range(0)) << 20, options);
    st.document = generate_typ(options);
    const std::string baseline = st.document;
    const std::size_t at = st.document.find("String1=0x04,", st.document.size() / 2);
    const std::string oldKey = st.document.substr(at + 7, st.document.find("\r\n", at) - at - 7);
    const std::string newKey = oldKey.substr(0, 6) + "Renamed";
    std::shared_ptr<const DocumentVersion> known = keep_document(st.document);
    StepScope scope;
    scope.document = true;
    bool forward = true;
    std::size_t kept = 0;
    run_with_ratio(state, baseline, [&] {
        StepRecorder recorder(st, scope, known);
        replace_label_lines(st.document, forward ? oldKey : newKey, forward ? newKey : oldKey);
        forward = !forward;
        const Step step = recorder.finish(st);
        kept = 0;
        for (const auto& piece : step.document_after->pieces)
            if (std::find(step.document_before->pieces.begin(), step.document_before->pieces.end(),
                          piece) == step.document_before->pieces.end())
                kept += piece->size();
        known = step.document_after;
    });
    state.counters["kept_KB"] = double(kept) / 1024;
}

} // namespace

BENCHMARK(BM_LabelEditStep)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UndoRun)->Arg(30000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecordRun)->Arg(30000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecordWindowStep)
    ->Arg(30000)
    ->Arg(60000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_StatusCounts)->Arg(30000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace lex::bench
