#pragma once
// The spelling check that Hunspell replaced, kept as the benchmarks' point of comparison: a
// word is known when it occurs anywhere in the word list's text; only the first two words of
// a label are looked at, a final "s" is dropped from a single word.

#include "document/text.h"
#include "translate/webpage.h"
#include "view/state.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace lex::bench {

// The word list's text asked whether a word occurs in it, through a sorted index of the
// suffixes of its lines (up to 64 bytes each).
class WordListIndex {
public:
    explicit WordListIndex(const std::string& text) : text_(text) {
        const std::string_view all(text);
        std::size_t start = 0;
        while (start < all.size()) {
            std::size_t end = all.find_first_of("\r\n", start);
            if (end == std::string_view::npos) end = all.size();
            for (std::size_t i = start; i < end; ++i)
                suffixes_.push_back(all.substr(i, std::min<std::size_t>(end - i, 64)));
            start = end + 1;
        }
        std::sort(suffixes_.begin(), suffixes_.end());
    }
    bool known(std::string_view word) const {
        if (word.size() > 64 || word.find_first_of("\r\n") != std::string_view::npos)
            return text_.find(word) != std::string::npos;
        auto it = std::lower_bound(suffixes_.begin(), suffixes_.end(), word);
        return it != suffixes_.end() && it->substr(0, word.size()) == word;
    }

private:
    const std::string& text_;
    std::vector<std::string_view> suffixes_;
};

// One label, lower-cased and trimmed: the empty text or one unknown word and CR LF.
inline std::string word_list_check(const WordListIndex& list, std::string text) {
    blank_symbols(text);
    std::replace(text.begin(), text.end(), ',', ' ');
    if (list.known(text)) return {};
    auto pair = [&](std::string_view a, std::string_view b) -> std::string {
        if (!list.known(a)) return std::string(a) + "\r\n";
        if (!list.known(b)) return std::string(b) + "\r\n";
        return {};
    };
    auto parts = split(text, "=");
    if (parts.size() >= 2) return pair(trim(parts[0]), trim(parts[1]));
    parts = split(text, " ");
    if (parts.size() >= 2) return pair(parts[0], parts[1]);
    if (!text.empty() && text.back() == 's') {
        std::string_view stem(text.data(), text.size() - 1);
        return !stem.empty() && !list.known(stem) ? std::string(stem) + "\r\n" : std::string();
    }
    return text + "\r\n";
}

// The report over the source labels of the three panes, as the old check built it.
inline bool word_list_report(State& st, const std::string& list_text, std::string& report) {
    static const std::string kDots(40, '.');
    static constexpr const char* kTitles[] = {"Polygons", "Lines", "Pois"};
    const WordListIndex list(list_text);
    bool found = false;
    report.clear();
    for (const Kind kind : kAllKinds) {
        if (kind > 0) report += "\r\n" + kDots + "\r\n";
        report += std::string(kTitles[kind]) + "\r\n" + kDots + "\r\n";
        for (int r = 0; r < st.row_count(kind); ++r) {
            Row& row = st.rows(kind)[std::size_t(r)];
            row.marks.source_doubt = false;
            const std::string w = word_list_check(list, std::string(trim(to_lower(row.caption))));
            if (w.empty()) continue;
            report += "(" + std::to_string(r) + ")" + w + "\r\n";
            row.marks.source_doubt = true;
            found = true;
        }
    }
    return found;
}

} // namespace lex::bench
