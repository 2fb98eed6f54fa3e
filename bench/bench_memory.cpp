// The translation memory: learning a generated style into a new memory file (its time and the
// database's size against the text it holds), and looking up 30,000 labels, exact and similar,
// in a memory of 30,000 or 1,000,000 pairs.

#include "bench_util.h"
#include "generator.h"

#include "translate/memory.h"
#include "translate/memory_index.h"
#include "translate/memory_pairs.h"

#include <filesystem>
#include <unordered_set>

namespace lex::bench {

namespace {

std::uintmax_t file_bytes(const std::string& path) {
    std::error_code ec;
    std::uintmax_t n = 0;
    for (const char* suffix : {"", "-wal"}) {
        const auto size = std::filesystem::file_size(path + suffix, ec);
        if (!ec) n += size;
    }
    return n;
}

void remove_memory(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
}

void BM_MemoryLearnStyle(benchmark::State& state) {
    (void)application(); // the label converter is Qt's
    GenOptions options;  // four languages: six pairs an element
    options.elements_per_kind = elements_for_size(std::size_t(state.range(0)) << 20, options);
    const std::string text = generate_typ(options);
    const std::string path = bench_dir() + "/learn.sqlite";
    std::size_t pairs = 0, held = 0;
    double total = 0;
    std::uintmax_t size = 0;
    for (auto _ : state) {
        remove_memory(path);
        std::string why;
        auto memory = TranslationMemory::open(path, why);
        const auto t0 = std::chrono::steady_clock::now();
        const std::vector<MemoryPair> found = style_pairs(text, false, label_codec());
        memory->add(found, {"generated.txt"}, why, text_digest(text));
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        pairs = found.size();
        held = 0;
        for (const MemoryPair& p : found) held += p.source.size() + p.target.size();
        memory.reset(); // the log goes into the file
        size = file_bytes(path);
    }
    state.counters["learn_ms"] = total / double(state.iterations()) * 1e3;
    state.counters["pairs"] = double(pairs);
    state.counters["MB"] = double(text.size()) / 1e6;
    // The database on disk against the text of the pairs it holds.
    state.counters["db_ratio"] = double(size) / double(held);
}

// A word of the synthetic vocabulary: four to nine letters, consonants and vowels in turn as in
// the words of map labels, drawn from its number.
std::string word(unsigned n) {
    static const char kConsonants[] = "bcdfghjklmnprstvwz";
    static const char kVowels[] = "aeiouy";
    unsigned h = n * 2246822519u + 374761393u;
    auto next = [&] {
        h ^= h >> 15;
        h *= 2654435761u;
        h ^= h >> 13;
        return h;
    };
    const unsigned length = 4 + next() % 6;
    std::string w;
    for (unsigned i = 0; i < length; ++i)
        w += i % 2 ? kVowels[next() % 6] : kConsonants[next() % 18];
    w[0] = char(w[0] - 'a' + 'A');
    return w;
}

// The i-th label of the memory: two or three words of a vocabulary of 4,096.
std::string source_label(unsigned i) {
    unsigned h = i * 2654435761u;
    std::string label = word(h % 4096) + " " + word((h >> 12) % 4096);
    if (i % 3 == 0) label += " " + word((h >> 20) % 4096 + i % 7);
    return label;
}

// The bytes of text in the memory of `pairs` pairs (each distinct pair once).
double text_of(unsigned pairs) {
    std::unordered_set<std::string> seen;
    double held = 0;
    for (unsigned i = 0; i < pairs; ++i) {
        std::string source = source_label(i);
        if (seen.insert(source).second) held += double(2 * source.size() + 4);
    }
    return held;
}

// A memory of `pairs` English-German pairs, kept between runs of the benchmark.
std::string memory_of(unsigned pairs) {
    const std::string path = bench_dir() + "/lookup-" + std::to_string(pairs) + ".sqlite";
    std::string why;
    auto memory = TranslationMemory::open(path, why);
    // Some generated labels come twice, so the memory holds a few pairs less than were given;
    // a learning is one transaction, so a memory with pairs holds all of them.
    if (memory && memory->pair_count() > 0) return path;
    memory.reset();
    remove_memory(path);
    memory = TranslationMemory::open(path, why);
    std::vector<MemoryPair> batch;
    for (unsigned i = 0; i < pairs; ++i) {
        const std::string source = source_label(i);
        batch.push_back({"en", source, "de", "Das " + source});
    }
    memory->add(batch, {"generated"}, why);
    return path;
}

// Arguments: the pairs of the memory, the labels looked up, the threshold (101: exact only).
void BM_MemoryLookup(benchmark::State& state) {
    const auto pairs = unsigned(state.range(0));
    const auto count = unsigned(state.range(1));
    const auto threshold = int(state.range(2));
    const std::string path = memory_of(pairs);
    // Half of the labels are in the memory, a third changed a little (a letter more), the rest
    // not in it at all.
    std::vector<std::string> labels;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned k = (i * 7919u) % pairs;
        std::string label = source_label(k);
        if (i % 6 == 1 || i % 6 == 3) label += "s";
        if (i % 6 == 5) label = word(i % 4096) + " Zyx " + std::to_string(i);
        labels.push_back(label);
    }
    std::string why;
    std::size_t exact = 0, fuzzy = 0;
    double total = 0, again = 0;
    for (auto _ : state) {
        auto memory = TranslationMemory::open(path, why); // nothing cached from an earlier run
        const auto t0 = std::chrono::steady_clock::now();
        const auto answers = memory->lookup("en", "de", labels, threshold, why);
        const auto t1 = std::chrono::steady_clock::now();
        total += std::chrono::duration<double>(t1 - t0).count();
        exact = fuzzy = 0;
        for (const auto& a : answers)
            if (a) ++(a->score == 100 ? exact : fuzzy);
        // The same memory asked again: its indexes are in memory by now, as in a window.
        const auto t2 = std::chrono::steady_clock::now();
        memory->lookup("en", "de", labels, threshold, why);
        again += std::chrono::duration<double>(std::chrono::steady_clock::now() - t2).count();
    }
    state.counters["lookup_ms"] = total / double(state.iterations()) * 1e3;
    state.counters["again_ms"] = again / double(state.iterations()) * 1e3;
    state.counters["us_per_label"] = total / double(state.iterations()) / double(count) * 1e6;
    state.counters["exact"] = double(exact);
    state.counters["fuzzy"] = double(fuzzy);
    // The database on disk against the text of the pairs it holds.
    state.counters["db_ratio"] = double(file_bytes(path)) / text_of(pairs);
}

// The index of similar texts alone, without the database: a million labels taken in, the index
// built for 75 %, and 15,000 labels looked up on one thread (a lookup shares these between two).
void BM_MemoryIndex(benchmark::State& state) {
    const auto count = unsigned(state.range(0));
    std::vector<std::string> texts;
    for (unsigned i = 0; i < count; ++i) texts.push_back(normalise_label(source_label(i)));
    std::vector<std::string> labels;
    for (unsigned i = 0; i < 15000; ++i)
        labels.push_back(normalise_label(source_label((i * 7919u) % count) + "s"));
    double add = 0, build = 0, find = 0;
    std::size_t found_total = 0;
    for (auto _ : state) {
        SimilarTexts index;
        const auto t0 = std::chrono::steady_clock::now();
        for (const std::string& t : texts) index.add(t);
        const auto t1 = std::chrono::steady_clock::now();
        index.build(75);
        const auto t2 = std::chrono::steady_clock::now();
        std::vector<SimilarTexts::Found> found;
        found_total = 0;
        for (const std::string& label : labels) {
            index.find(label, 75, found);
            found_total += found.size();
        }
        const auto t3 = std::chrono::steady_clock::now();
        add += std::chrono::duration<double>(t1 - t0).count();
        build += std::chrono::duration<double>(t2 - t1).count();
        find += std::chrono::duration<double>(t3 - t2).count();
    }
    const double n = double(state.iterations());
    state.counters["add_ms"] = add / n * 1e3;
    state.counters["build_ms"] = build / n * 1e3;
    state.counters["find_ms"] = find / n * 1e3;
    state.counters["found"] = double(found_total);
}

// How much of one generated style a memory learnt from another fills: the English labels of a
// style without German looked up in a memory of a style with it (another seed).
void BM_MemoryCoverage(benchmark::State& state) {
    (void)application();
    GenOptions learnt;
    learnt.elements_per_kind = int(state.range(0));
    GenOptions asked = learnt;
    asked.seed = 2;
    asked.with_target = false;
    const std::string path = bench_dir() + "/coverage.sqlite";
    remove_memory(path);
    std::string why;
    auto memory = TranslationMemory::open(path, why);
    const std::string text = generate_typ(learnt);
    memory->add(style_pairs(text, false, label_codec()), {"learnt.txt"}, why, text_digest(text));
    std::vector<std::string> labels;
    for (const MemoryPair& p : style_pairs(generate_typ(asked), false, label_codec()))
        if (p.source_lang == "en") labels.push_back(p.source);
    std::size_t exact = 0, fuzzy = 0;
    for (auto _ : state) {
        exact = fuzzy = 0;
        for (const auto& a : memory->lookup("en", "de", labels, 75, why))
            if (a) ++(a->score == 100 ? exact : fuzzy);
    }
    state.counters["labels"] = double(labels.size());
    state.counters["exact"] = double(exact);
    state.counters["fuzzy"] = double(fuzzy);
}

} // namespace

BENCHMARK(BM_MemoryCoverage)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MemoryLearnStyle)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_MemoryIndex)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
// A million pairs: every label exactly, then exact and similar ones together.
BENCHMARK(BM_MemoryLookup)
    ->Args({30000, 30000, 75})
    ->Args({1000000, 30000, 101})
    ->Args({1000000, 30000, 75})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace lex::bench
