#pragma once
// A state with one pane of rows ready for a translation run, and a translator that answers
// from a script.

#include "commands/translation.h"
#include "document/state.h"
#include "support/fake_ui.h"
#include "translate/translator.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace lex::test {

class ScriptedTranslator : public Translator {
public:
    std::vector<std::string> sent;
    std::map<std::string, std::string> canned;
    std::function<std::string(State&, const std::string&)> answer;

    std::string translate(State& st, const std::string& request) override {
        sent.push_back(request);
        if (answer) return answer(st, request);
        auto it = canned.find(request);
        return it == canned.end() ? std::string() : it->second;
    }
};

// English to German; pane `kind` gets one row per (source, target) pair.
inline void fill_pane(State& st, int kind,
                      const std::vector<std::pair<std::string, std::string>>& rows) {
    Pane& pane = st.pane(kind);
    if (pane.rows.size() < rows.size()) pane.rows.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        pane.rows[i].caption = rows[i].first;
        pane.rows[i].source_key = "=0x04," + rows[i].first;
        pane.rows[i].text = rows[i].second;
        pane.rows[i].back = rows[i].second.find('?') != std::string::npos ? kRed : kWhite;
    }
    st.row_count(kind) = int(rows.size());
}

inline State english_to_german(const std::string& program_dir = "/tmp") {
    State st;
    set_defaults(st, program_dir);
    st.source_code = "04";
    st.target_code = st.row_target_code = "02";
    st.source_codepage = st.target_codepage = st.font_codepage = 1252;
    st.win.language_row = {0, 2};
    st.win.language_caption = {"English", "German"};
    return st;
}

inline const RunOptions kNoPause{0};

inline std::vector<std::string> texts(const State& st, int kind) {
    std::vector<std::string> out;
    for (int r = 0; r < st.row_count(kind); ++r)
        out.push_back(st.pane(kind).rows[std::size_t(r)].text);
    return out;
}

inline std::vector<Rgb> colours(const State& st, int kind) {
    std::vector<Rgb> out;
    for (int r = 0; r < st.row_count(kind); ++r)
        out.push_back(st.pane(kind).rows[std::size_t(r)].back);
    return out;
}

using Strings = std::vector<std::string>;
using Colours = std::vector<Rgb>;

} // namespace lex::test
