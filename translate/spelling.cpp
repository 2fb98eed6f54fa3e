#include "translate/spelling.h"

#include "document/files.h"
#include "document/folders.h"
#include "document/state.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/webpage.h"

#include <algorithm>

namespace lex {

std::string dictionary_path(const State& st) {
    return user_file(st, kDictionaryFile);
}

std::string report_path(const State& st) {
    return user_file(st, "tmp_.txt");
}

std::string dictionary_read_path(const State& st) {
    return user_or_shipped_file(st, kDictionaryFile);
}

namespace {

// Suffixes are indexed up to this length; longer words are looked for by a scan.
constexpr std::size_t kSpan = 64;

bool line_break(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

Lexicon::Lexicon(const std::string& text, bool indexed) : text_(text) {
    if (!indexed) return;
    // A word without line breaks occurs in the text exactly when it begins one of the suffixes
    // of a line; cut at kSpan, the sort stays cheap whatever the text holds.
    suffixes_.reserve(text.size());
    const std::string_view all(text);
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = start;
        while (end < all.size() && !line_break(all[end])) ++end;
        for (std::size_t i = start; i < end; ++i)
            suffixes_.push_back(all.substr(i, std::min(end - i, kSpan)));
        start = end + 1;
    }
    std::sort(suffixes_.begin(), suffixes_.end());
}

bool Lexicon::known(std::string_view word) const {
    if (suffixes_.empty() || word.size() > kSpan ||
        std::any_of(word.begin(), word.end(), line_break))
        return text_.find(word) != std::string::npos;
    if (word.empty()) return true;
    auto it = std::lower_bound(suffixes_.begin(), suffixes_.end(), word);
    return it != suffixes_.end() && it->substr(0, word.size()) == word;
}

namespace {

std::string two_words(const Lexicon& dict, std::string_view first, std::string_view second) {
    if (!dict.known(first)) return std::string(first) + "\r\n";
    if (!dict.known(second)) return std::string(second) + "\r\n";
    return {};
}

} // namespace

std::string check_label_spelling(const Lexicon& dict, std::string& text) {
    blank_symbols(text);
    std::replace(text.begin(), text.end(), ',', ' ');
    if (dict.known(text)) return {};

    auto parts = split(text, "=");
    if (parts.size() >= 2) return two_words(dict, trim(parts[0]), trim(parts[1]));
    parts = split(text, " ");
    if (parts.size() >= 2) return two_words(dict, parts[0], parts[1]);

    if (!text.empty() && text.back() == 's') {
        std::string_view stem(text.data(), text.size() - 1);
        if (!stem.empty() && !dict.known(stem)) return std::string(stem) + "\r\n";
        return {};
    }
    return text + "\r\n";
}

std::string check_label_spelling(const std::string& dictionary, std::string& text) {
    return check_label_spelling(Lexicon(dictionary, false), text);
}

std::string lower_1252(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            ch = char(c + 0x20);
        else if (c == 0x8A || c == 0x8C || c == 0x8E)
            ch = char(c + 0x10);
        else if (c == 0x9F)
            ch = char(0xFF);
    }
    return out;
}

bool spelling_report(State& st, Ui& ui, std::string& report) {
    static const std::string kDots(40, '.');
    static constexpr const char* kTitles[] = {"Polygons", "Lines", "Pois"};
    bool found = false;
    report.clear();
    // A big dictionary makes each label's search slow enough that the window must breathe
    // between labels, not only between panes.
    Throttle yield(ui);
    int labels = 0;
    for (int kind = 0; kind < kKinds; ++kind) labels += st.row_count(kind);
    // Indexing costs about as much as a few hundred scans of the text.
    const Lexicon dict(st.dictionary, labels >= 200 && st.dictionary.size() >= 16384);
    for (int kind = 0; kind < kKinds; ++kind) {
        if (kind > 0) {
            ui.process_events();
            report += "\r\n" + kDots + "\r\n";
        }
        report += std::string(kTitles[kind]) + "\r\n" + kDots + "\r\n";
        auto& rows = st.pane(kind).rows;
        const int n = std::min<int>(st.row_count(kind), int(rows.size()));
        for (int r = 0; r < n; ++r) {
            yield();
            Row& row = rows[std::size_t(r)];
            std::string s(trim(lower_1252(row.caption)));
            row.label_back = kWhite;
            const std::string w = check_label_spelling(dict, s);
            if (w.empty()) continue;
            report += "(" + std::to_string(r) + ")" + w + "\r\n";
            row.label_back = kYellow;
            found = true;
        }
        ui.refresh(kind);
    }
    ui.process_events();
    return found;
}

} // namespace lex
