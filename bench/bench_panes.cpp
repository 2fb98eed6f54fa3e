// Rebuilding the rows of a large document: the row data alone, and with the window's panes
// shown and redrawn.

#include "bench_util.h"
#include "generator.h"

#include "document/pictures.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "view/rows.h"
#include "view/state.h"

#include <QApplication>
#include <QScrollBar>

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

// Decoding 1,000 typical pictures: 32 x 32 fill patterns of two colours, one transparent.
void BM_DecodePictures(benchmark::State& state) {
    std::vector<std::string> bodies;
    for (int i = 0; i < 1000; ++i) {
        std::string body = "Type=0x01\r\nString1=0x04,Heath " + std::to_string(i) +
                           "\r\nXpm=\"32 32 2 1\"\r\n\"! c #5A7DB4\"\r\n\"  c none\"\r\n";
        for (int y = 0; y < 32; ++y) {
            std::string row(32, ' ');
            for (int x = 0; x < 32; ++x)
                if ((x + y + i) % 5 == 0) row[std::size_t(x)] = '!';
            body += "\"" + row + "\"\r\n";
        }
        bodies.push_back(std::move(body));
    }
    for (auto _ : state)
        for (const std::string& body : bodies)
            benchmark::DoNotOptimize(read_element_pictures(body, kPolygons).day.pixels.data());
    state.counters["pictures"] = benchmark::Counter(
        double(bodies.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// Scrolling a pane of 10,000 rows from top to bottom a page at a time: each page decodes the
// pictures of the rows it brings into view.
void BM_ScrollPaneWithPictures(benchmark::State& state) {
    application();
    NullUi dialogs;
    MainWindow window(bench_dir(), "", &dialogs);
    window.resize(960, 720);
    window.show();
    State& st = window.state();
    st.document = document();
    rebuild_rows(st, window.ui());
    QApplication::processEvents();
    PaneView* pane = window.pane(kPolygons);
    for (auto _ : state) {
        ++st.documents_opened; // every pass decodes anew
        for (int v = 0; v <= kScrollMax; v += std::max(1, st.pane(kPolygons).page_step)) {
            pane->scrollBar()->setValue(v);
            QApplication::processEvents();
        }
    }
    state.counters["decoded"] = double(pane->picturesDecoded());
    window.hide();
}

} // namespace

BENCHMARK(BM_DecodePictures)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScrollPaneWithPictures)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RebuildRowsData)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RebuildRowsShown)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace lex::bench
