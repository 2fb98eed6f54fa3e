#include "translate/memory.h"
#include "translate/memory_store.h"
#include "translate/memory_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>

namespace lex {

namespace {

// The answers of a pair query: target text, own, seen, last, origin name, source text.
struct Candidate {
    std::string target;
    bool own = false;
    long long seen = 0;
    long long last = 0;
    std::string origin;
};

bool ranks_above(const Candidate& a, const Candidate& b) {
    if (a.own != b.own) return a.own;
    if (a.seen != b.seen) return a.seen > b.seen;
    return a.last > b.last;
}

// The pairs of a text into a language, both ways round, with the number of their origin (the
// few origins' names are looked up once).
const char* const kPairsOfText = R"(
SELECT t.text, p.own, p.seen, p.last, p.origin FROM pairs p JOIN texts t ON t.id = p.target
  WHERE p.source = ?1 AND t.lang = ?2
UNION ALL
SELECT t.text, p.own, p.seen, p.last, p.origin FROM pairs p JOIN texts t ON t.id = p.source
  WHERE p.target = ?1 AND t.lang = ?2
)";

} // namespace

void TranslationMemory::hold_language(const std::string& lang) {
    if (!indexes_) indexes_ = std::make_unique<Indexes>();
    auto& held = indexes_->texts;
    if (!held || held->lang != lang) {
        held = std::make_unique<Indexes::Language>();
        held->lang = lang;
    }
}

bool TranslationMemory::read_language(const std::string& lang, std::string& why,
                                      const std::function<void(std::size_t)>& read_up_to) {
    hold_language(lang);
    auto& held = indexes_->texts;
    Statement rows =
        prepare("SELECT id, text FROM texts WHERE lang = ?1 AND id > ?2 ORDER BY id", why);
    if (!rows) return false;
    rows.bind(1, lang);
    rows.bind(2, held->last_id);
    int rc;
    while ((rc = rows.step()) == SQLITE_ROW) {
        held->ids.push_back(rows.integer(0));
        append_normalised(rows.view(1), held->chars);
        held->ends.push_back(held->chars.size());
        held->last_id = held->ids.back();
        if (read_up_to && held->size() % std::max<std::size_t>(1, sharing_.texts_in_block) == 0)
            read_up_to(held->size());
    }
    if (rc != SQLITE_DONE) return why = error(), false;
    if (read_up_to) read_up_to(held->size());
    return true;
}

std::vector<std::optional<MemoryMatch>>
TranslationMemory::lookup(const std::string& source_lang, const std::string& target_lang,
                          const std::vector<std::string>& texts, int threshold, std::string& why) {
    std::vector<std::optional<MemoryMatch>> answers(texts.size());
    // When reading fails part of the way, no answer at all.
    auto nothing = [&] { return std::vector<std::optional<MemoryMatch>>(texts.size()); };
    Statement of_text = prepare(kPairsOfText, why);
    if (!of_text) return answers;
    if (source_lang == target_lang) return answers;

    // The labels once each: `asked` holds the first of each normalised text.
    std::vector<std::string> normalised(texts.size());
    std::unordered_map<std::string_view, std::size_t> slot_of;
    std::vector<std::size_t> asked;
    slot_of.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        normalised[i] = normalise_label(texts[i]);
        if (!normalised[i].empty() && slot_of.emplace(normalised[i], asked.size()).second)
            asked.push_back(i);
    }
    if (asked.empty()) return answers;
    hold_language(source_lang);
    Indexes::Language& language = *indexes_->texts;
    const Indexes::Language& held = language;

    // Similar texts are looked up in an index of the texts' trigrams, which a second thread
    // brings up to date while this one reads the texts and finds the exact matches. It takes the
    // texts as copies: the texts held grow as they are read.
    std::optional<BackgroundIndexer> indexer;
    std::size_t handed = language.in_similar;
    auto hand_up_to = [&](std::size_t n) {
        if (n <= handed) return;
        BackgroundIndexer::Block block;
        const std::size_t from = handed ? language.ends[handed - 1] : 0;
        block.chars.assign(language.chars, from, language.ends[n - 1] - from);
        block.ends.reserve(n - handed);
        for (std::size_t k = handed; k < n; ++k) block.ends.push_back(language.ends[k] - from);
        indexer->hand(std::move(block));
        handed = n;
    };
    if (threshold <= 99) indexer.emplace(language.similar, language.in_similar);
    if (!read_language(source_lang, why,
                       indexer ? std::function<void(std::size_t)>(hand_up_to) : nullptr))
        return answers;

    // The best pair into the target language of each held text asked about, read in the order
    // of the texts' ids (the pairs of neighbouring texts are near each other in the file).
    std::unordered_map<std::size_t, std::optional<Candidate>> best_of;
    std::vector<std::size_t> wanted;
    Statement name_of = prepare("SELECT name FROM origins WHERE id = ?1", why);
    if (!name_of) return answers;
    std::unordered_map<long long, std::string> origin_names;
    auto origin_name = [&](long long id) -> const std::string& {
        auto it = origin_names.find(id);
        if (it == origin_names.end()) {
            name_of.reset();
            name_of.bind(1, id);
            it =
                origin_names.emplace(id, name_of.step() == SQLITE_ROW ? name_of.text(0) : "").first;
        }
        return it->second;
    };
    auto read_pairs = [&]() -> bool {
        std::sort(wanted.begin(), wanted.end());
        wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
        for (const std::size_t k : wanted) {
            if (best_of.count(k)) continue;
            of_text.reset();
            of_text.bind(1, held.ids[k]);
            of_text.bind(2, target_lang);
            std::optional<Candidate> best;
            int rc;
            while ((rc = of_text.step()) == SQLITE_ROW) {
                Candidate c{of_text.text(0), of_text.integer(1) != 0, of_text.integer(2),
                            of_text.integer(3), origin_name(of_text.integer(4))};
                if (!best || ranks_above(c, *best)) best = std::move(c);
            }
            if (rc != SQLITE_DONE) return why = error(), false;
            best_of.emplace(k, std::move(best));
        }
        wanted.clear();
        return true;
    };

    // Exact: the held texts equal to a label, the first learnt first. A bit for each label's
    // quick hash passes most texts by before the map is asked.
    std::vector<std::uint64_t> maybe_asked(std::size_t(1) << 15, 0); // two million bits
    auto quick = [](std::string_view text) {
        std::uint64_t head = 0, tail = 0;
        std::memcpy(&head, text.data(), std::min<std::size_t>(8, text.size()));
        if (text.size() > 8) std::memcpy(&tail, text.data() + text.size() - 8, 8);
        return ((head * 0x9E3779B97F4A7C15ull) ^ tail ^ text.size()) * 0xC2B2AE3D27D4EB4Full >>
               43; // 21 bits
    };
    for (const auto& asked_text : slot_of) {
        const std::uint64_t q = quick(asked_text.first);
        maybe_asked[q / 64] |= std::uint64_t(1) << (q % 64);
    }
    std::vector<std::pair<std::size_t, std::size_t>> equal; // label's slot, held text
    for (std::size_t k = 0; k < held.size(); ++k) {
        const std::string_view text = held.text(k);
        const std::uint64_t q = quick(text);
        if (!(maybe_asked[q / 64] >> (q % 64) & 1)) continue;
        if (const auto it = slot_of.find(text); it != slot_of.end()) {
            equal.emplace_back(it->second, k);
            wanted.push_back(k);
        }
    }
    if (!read_pairs()) return nothing();
    std::stable_sort(equal.begin(), equal.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const Candidate*> exact(asked.size(), nullptr);
    for (const auto& [slot, k] : equal)
        if (const auto& c = best_of[k]; c && (!exact[slot] || ranks_above(*c, *exact[slot])))
            exact[slot] = &*c;
    std::vector<std::size_t> missing; // slots
    for (std::size_t slot = 0; slot < asked.size(); ++slot) {
        if (const Candidate* c = exact[slot])
            answers[asked[slot]] = MemoryMatch{c->target, 100, c->origin, c->own};
        else
            missing.push_back(slot);
    }

    // Similar: each label gets the most similar text that has a pair into the target language.
    // The pairs of the few most similar texts of every label are read together; a label whose
    // few all lack a pair goes on through the rest of its texts alone.
    if (indexer) {
        if (missing.empty())
            indexer->stop();
        else
            indexer->finish(language.size(), threshold);
        indexer.reset();
    }
    // The most similar texts of each label, on two threads when there are many labels.
    constexpr std::size_t kFew = 8;
    std::vector<std::vector<SimilarTexts::Found>> nearest(missing.size());
    std::vector<char> more(missing.size(), 0);
    auto find_similar = [&](std::size_t from, std::size_t to, SimilarTexts::Scratch& scratch) {
        std::vector<SimilarTexts::Found> found;
        for (std::size_t l = from; l < to; ++l) {
            language.similar.find(normalised[asked[missing[l]]], threshold, found, scratch);
            more[l] = found.size() > kFew;
            nearest[l].assign(found.begin(),
                              found.begin() + std::ptrdiff_t(std::min(kFew, found.size())));
        }
    };
    if (threshold <= 99) {
        const std::size_t half = missing.size() >= sharing_.labels_on_two_threads &&
                                         std::thread::hardware_concurrency() > 1
                                     ? missing.size() / 2
                                     : missing.size();
        std::exception_ptr failure;
        std::thread second;
        if (half < missing.size())
            second = std::thread([&] {
                try {
                    find_similar(half, missing.size(), language.scratch[1]);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        struct Join {
            std::thread& thread;
            ~Join() {
                if (thread.joinable()) thread.join();
            }
        } join{second};
        find_similar(0, half, language.scratch[0]);
        if (second.joinable()) second.join();
        if (failure) std::rethrow_exception(failure);
    }
    std::vector<SimilarTexts::Found> found;
    std::vector<std::size_t> open, next, place(missing.size(), 0);
    for (std::size_t l = 0; l < missing.size(); ++l)
        if (!nearest[l].empty()) open.push_back(l);
    auto answer = [&](std::size_t l, const SimilarTexts::Found& f) {
        const auto& c = best_of[f.entry];
        if (c) answers[asked[missing[l]]] = MemoryMatch{c->target, f.score, c->origin, c->own};
        return bool(c);
    };
    while (!open.empty()) {
        for (const std::size_t l : open) wanted.push_back(nearest[l][place[l]].entry);
        if (!read_pairs()) return nothing();
        next.clear();
        for (const std::size_t l : open) {
            if (answer(l, nearest[l][place[l]])) continue;
            if (++place[l] < nearest[l].size()) {
                next.push_back(l);
            } else if (more[l]) {
                language.similar.find(normalised[asked[missing[l]]], threshold, found);
                for (std::size_t k = kFew; k < found.size(); ++k) {
                    wanted.push_back(found[k].entry);
                    if (!read_pairs()) return nothing();
                    if (answer(l, found[k])) break;
                }
            }
        }
        open.swap(next);
    }

    // Texts asked more than once get the first one's answer.
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto it = slot_of.find(normalised[i]);
        if (it != slot_of.end() && asked[it->second] != i) answers[i] = answers[asked[it->second]];
    }
    return answers;
}

} // namespace lex
