// The review flow over a document of 30,000 elements per kind: undoing (and redoing) a
// translation run over a whole pane, recording such a run's step, and the status bar's counts
// after the run, each against one linear pass over the document.

#include "bench_util.h"
#include "generator.h"

#include "commands/translation.h"
#include "document/state.h"
#include "translate/run.h"
#include "translate/translator.h"
#include "view/review.h"
#include "view/rows.h"
#include "view/steps.h"

namespace lex::bench {

namespace {

// Answers every batch with itself in capitals, so every row of the run is written.
class Capitals : public Translator {
public:
    std::string translate(State&, const std::string& request) override {
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

void BM_StatusCounts(benchmark::State& state) {
    TranslatedPane pane(int(state.range(0)));
    run_with_ratio(state, pane.st.document, [&] {
        for (int k = 0; k < kKinds; ++k) benchmark::DoNotOptimize(pane_statistics(pane.st, k));
        benchmark::DoNotOptimize(codepage_statistics(pane.st));
    });
}

} // namespace

BENCHMARK(BM_UndoRun)->Arg(30000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecordRun)->Arg(30000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StatusCounts)->Arg(30000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace lex::bench
