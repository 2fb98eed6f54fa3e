#pragma once
// One request to the web translation page.

#include <memory>
#include <string>

namespace lex {

struct State;
class Ui;

class Translator {
public:
    virtual ~Translator() = default;
    // Translates `request` (bytes in the source language's code page) for the language pair
    // st.trquery. Returns the answer as bytes in the target language's code page, or the empty
    // text on any failure. Keeps the window responsive while it waits; returns early (empty)
    // when st.stopflag is set.
    virtual std::string translate(State& st, const std::string& request) = 0;
};

// The translator that talks to the configured web page (st.translate_url).
std::unique_ptr<Translator> make_web_translator(Ui& ui);

} // namespace lex
