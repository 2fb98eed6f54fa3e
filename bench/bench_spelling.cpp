// The spelling check of 3 x N English labels of a generated style: Hunspell with the system's
// en_US dictionary and the shipped own word list, against the substring search in the word
// list that it replaced, in the same run. Loading a dictionary is measured on its own.

#include "bench_util.h"
#include "generator.h"
#include "word_list_check.h"

#include "commands/open_document.h"
#include "document/files.h"
#include "document/text.h"
#include "translate/hunspell_checker.h"
#include "translate/spelling.h"
#include "view/state.h"

namespace lex::bench {

namespace {

constexpr const char* kEnglish = "/usr/share/hunspell/en_US";

struct Style {
    State st;
    std::string text;
    std::string own_words; // the shipped dictionaries/EN.dic
};

// Labels of two words each: a generated style (its few words repeat), or words taken in turn
// from the en_US word list (nearly every word new).
void fill_distinct(State& st) {
    std::string list;
    read_file(std::string(kEnglish) + ".dic", list);
    std::vector<std::string> words;
    for (std::string_view line : split(list, "\n")) {
        std::string_view w = line.substr(0, line.find('/'));
        if (w.size() > 2 &&
            std::all_of(w.begin(), w.end(), [](char c) { return c > ' ' && c < 127; }))
            words.emplace_back(w);
    }
    if (words.empty()) return;
    std::size_t next = 0;
    for (const Kind kind : kAllKinds)
        for (int r = 0; r < st.row_count(kind); ++r) {
            std::string& caption = st.rows(kind)[std::size_t(r)].caption;
            caption = words[next % words.size()] + " " + words[(next + 1) % words.size()];
            next += 2;
        }
}

Style& style(int elements, bool distinct) {
    static std::map<std::pair<int, bool>, std::unique_ptr<Style>> made;
    auto& s = made[{elements, distinct}];
    if (s) return *s;
    s = std::make_unique<Style>();
    GenOptions options;
    options.elements_per_kind = elements;
    options.languages = 2;
    s->text = generate_typ(options);
    std::string path = write_bench_file("spelling.txt", s->text);
    NullUi ui;
    set_defaults(s->st, bench_dir());
    open_document(s->st, ui, path);
    if (distinct) fill_distinct(s->st);
    read_file(std::string(LEXMARIN_SOURCE_DIR) + "/dictionaries/EN.dic", s->own_words);
    return *s;
}

void counters(benchmark::State& state, const State& st) {
    state.counters["labels"] =
        double(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
    state.counters["us_per_label"] =
        benchmark::Counter(state.counters["labels"], benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

void BM_SpellingWordList(benchmark::State& state) {
    Style& s = style(int(state.range(0)), state.range(1) != 0);
    std::string report;
    run_with_ratio(state, s.text, [&] { word_list_report(s.st, s.own_words, report); });
    counters(state, s.st);
}

void BM_SpellingHunspell(benchmark::State& state) {
    Style& s = style(int(state.range(0)), state.range(1) != 0);
    static auto checker =
        open_hunspell(std::string(kEnglish) + ".aff", std::string(kEnglish) + ".dic");
    if (!checker) return state.SkipWithError("hunspell-en-us is not installed");
    NullUi ui;
    std::string report;
    run_with_ratio(state, s.text, [&] {
        checker->set_own_words(s.own_words, 1252); // as every check does
        spelling_report(s.st, ui, *checker, false, report);
    });
    counters(state, s.st);
}

void BM_SpellingLoadDictionary(benchmark::State& state) {
    for (auto _ : state) {
        auto checker =
            open_hunspell(std::string(kEnglish) + ".aff", std::string(kEnglish) + ".dic");
        benchmark::DoNotOptimize(checker.get());
    }
}

} // namespace

// Arguments: elements per kind (3 x that many labels); 1 for labels of distinct words.
BENCHMARK(BM_SpellingWordList)
    ->ArgsProduct({{1000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SpellingHunspell)
    ->ArgsProduct({{1000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SpellingLoadDictionary)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace lex::bench
