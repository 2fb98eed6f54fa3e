#pragma once
// A state with panes ready for a translation run, rows written compactly as "source=target|..."
// and a translator that answers from a script.

#include "support/doc_fixture.h"
#include "translate/commands.h"
#include "translate/translator.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lex::test {

using Strings = std::vector<std::string>;

// Answers from `canned` ("request=answer;..."); a request canned as "!request" also presses
// STOP while its answer is on the way. Anything else fails (empty answer).
class ScriptedTranslator : public Translator {
public:
    Strings sent;
    std::map<std::string, std::string> canned;
    std::function<std::string(State&, const std::string&)> answer;

    void script(const std::string& text) {
        canned.clear();
        for (const std::string& pair : cells(text, ';')) {
            const std::size_t eq = pair.find('=');
            if (eq != std::string::npos) canned[pair.substr(0, eq)] = pair.substr(eq + 1);
        }
    }
    std::string translate(State& st, const std::string& request) override {
        sent.push_back(request);
        if (answer) return answer(st, request);
        if (auto stop = canned.find("!" + request); stop != canned.end()) {
            st.stopflag = true;
            return stop->second;
        }
        auto it = canned.find(request);
        return it == canned.end() ? std::string() : it->second;
    }
};

// Pane `kind` gets one row per "source=target" cell; rows with a "?" are red.
inline void fill_pane(State& st, int kind, const std::string& rows) {
    const Strings list = cells(rows);
    Pane& pane = st.pane(kind);
    if (pane.rows.size() < list.size()) pane.rows.resize(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::size_t eq = list[i].find('=');
        Row& r = pane.rows[i];
        r.caption = list[i].substr(0, eq);
        r.tag = "=0x04," + r.caption;
        r.text = eq == std::string::npos ? "" : list[i].substr(eq + 1);
        r.back = r.text.find('?') != std::string::npos ? kRed : kWhite;
    }
    st.count(kind) = int(list.size());
}

// English to German.
inline State english_to_german(const std::string& progdir = "/tmp") {
    State st;
    set_defaults(st, progdir);
    st.tolang2 = "02";
    st.fromcp = st.tocp = st.curcp = 1252;
    st.win.label4 = {"English", "German"};
    return st;
}

inline const RunOptions kNoPause{0};

} // namespace lex::test
