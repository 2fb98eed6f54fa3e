#pragma once
// Shared pieces of the benchmarks: a Ui that does nothing, a temporary folder, the baseline
// linear pass, and a ratio counter against it.

#include "document/ui.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace lex::bench {

// Shows nothing and answers Yes.
class NullUi : public SilentUi {
public:
    NullUi() : SilentUi(true) {}
};

// The one application object of the whole benchmark run. It is never destroyed: at exit, Qt's
// own static objects are already gone, and a static application's destructor would crash.
inline QApplication& application() {
    static int argc = 1;
    static char name[] = "lexmarin_bench";
    static char* argv[] = {name, nullptr};
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

inline std::string bench_dir() {
    auto dir = std::filesystem::temp_directory_path() / "lexmarin-bench";
    std::filesystem::create_directories(dir);
    return dir.string();
}

inline std::string write_bench_file(const std::string& name, const std::string& bytes) {
    std::string path = (std::filesystem::path(bench_dir()) / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// One plain linear pass: counting "[end]" with string_view::find.
inline std::size_t count_ends(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t at = text.find("[end]"); at != std::string_view::npos;
         at = text.find("[end]", at + 5))
        ++n;
    return n;
}

// Seconds of the baseline pass over `text`: the best of several runs.
inline double linear_pass_seconds(std::string_view text) {
    double best = 1e30;
    for (int i = 0; i < 15; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(count_ends(text));
        std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        best = std::min(best, d.count());
    }
    return best;
}

// Times the body of each iteration by hand and reports "ratio": mean time / baseline pass.
template <class Body>
void run_with_ratio(benchmark::State& state, std::string_view baselineText, Body&& body) {
    const double baseline = linear_pass_seconds(baselineText);
    double total = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        body();
        std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        total += d.count();
    }
    const double mean = total / double(state.iterations());
    state.counters["ratio"] = mean / baseline;
    state.counters["baseline_ms"] = baseline * 1e3;
    state.counters["MB"] = double(baselineText.size()) / 1e6;
}

} // namespace lex::bench
