// Rebuilding the rows of a large document: the row data alone, and with the window's panes
// shown and redrawn.

#include "bench_util.h"
#include "generator.h"

#include "gui/main_window.h"
#include "view/rows.h"
#include "view/state.h"

#include <QApplication>

#include <chrono>
#include <functional>
#include <memory>

namespace lex::bench {

namespace {

constexpr int kElements = 10000;

const std::string& document() {
    static const std::string text = [] {
        GenOptions options;
        options.elements_per_kind = kElements;
        return generate_typ(options);
    }();
    return text;
}

double mean_seconds(int runs, const std::function<void()>& body) {
    double total = 0;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        body();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    return total / runs;
}

void BM_RebuildRowsData(benchmark::State& state) {
    NullUi ui;
    State st;
    set_defaults(st, bench_dir());
    st.row_target_code = st.target_code;
    st.document = document();
    run_with_ratio(state, st.document, [&] {
        rebuild_rows(st, ui);
        benchmark::DoNotOptimize(st.row_count(kPolygons));
    });
    state.counters["rows"] =
        double(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
}

void BM_RebuildRowsShown(benchmark::State& state) {
    application();
    NullUi dialogs;
    MainWindow window(bench_dir(), "", &dialogs);
    window.resize(960, 720);
    window.show();
    QApplication::processEvents();
    State& st = window.state();
    st.document = document();

    // The same rebuild without a window, measured in the same run for the difference.
    State bare = st;
    NullUi none;
    const double data = mean_seconds(5, [&] { rebuild_rows(bare, none); });

    double shown = 0;
    int runs = 0;
    run_with_ratio(state, st.document, [&] {
        auto t0 = std::chrono::steady_clock::now();
        rebuild_rows(st, window.ui());
        QApplication::processEvents(); // the panes are painted
        shown += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ++runs;
    });
    state.counters["rows"] =
        double(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
    state.counters["data_ms"] = data * 1e3;
    state.counters["panes_added_ms"] = (shown / runs - data) * 1e3;
    window.hide();
}

} // namespace

BENCHMARK(BM_RebuildRowsData)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RebuildRowsShown)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace lex::bench
