// The spelling check of 3 x N English labels against a dictionary of 50,000 words.

#include "bench_util.h"

#include "document/state.h"
#include "translate/spelling.h"

#include <chrono>
#include <random>

namespace lex::bench {

namespace {

std::string word(std::mt19937& rng) {
    std::uniform_int_distribution<int> len(3, 10);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string w;
    for (int i = len(rng); i > 0; --i) w.push_back(char(letter(rng)));
    return w;
}

void BM_Spelling(benchmark::State& state) {
    std::mt19937 rng(7);
    State st;
    set_defaults(st, bench_dir());
    std::vector<std::string> words;
    for (int i = 0; i < 50000; ++i) words.push_back(word(rng));
    for (const auto& w : words) st.dictionary += w + "\r\n";
    const int n = int(state.range(0));
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    for (int kind = 0; kind < kKinds; ++kind) {
        st.pane(kind).rows.assign(std::size_t(n), Row{});
        // Half the labels are two known words, half hold an unknown one.
        for (int r = 0; r < n; ++r)
            st.pane(kind).rows[std::size_t(r)].caption =
                words[pick(rng)] + " " + (r % 2 ? words[pick(rng)] : word(rng) + "q");
        st.row_count(kind) = n;
    }
    NullUi ui;
    std::string report;
    double seconds = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        spelling_report(st, ui, report);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        benchmark::DoNotOptimize(report);
    }
    state.counters["labels"] = 3.0 * n;
    state.counters["us_per_label"] = seconds / double(state.iterations()) / (3.0 * n) * 1e6;
    state.counters["dict_MB"] = double(st.dictionary.size()) / 1e6;
}

} // namespace

BENCHMARK(BM_Spelling)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace lex::bench
