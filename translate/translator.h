#pragma once
// One request to the web translation page.

#include <cstddef>
#include <memory>
#include <string>

namespace lex {

struct State;
class Ui;

class Translator {
public:
    virtual ~Translator() = default;
    // Translates `request` (bytes in the source language's code page) for the language pair
    // st.language_pair. Returns the answer as bytes in the target language's code page, or the
    // empty text on any failure. Keeps the window responsive while it waits; returns early (empty)
    // when st.stop_requested is set.
    virtual std::string translate(State& st, const std::string& request) = 0;
};

struct WebOptions {
    int timeout_ms = 30000;           // a request ends (empty) after this long
    std::size_t max_bytes = 4u << 20; // a longer answer ends (empty)
    bool system_proxy = true;         // use the system's proxy settings; false: no proxy
    const char* agent = "ZORorIvad";  // User-Agent of the requests
};

// The translator that talks to the configured web page (st.translate_url).
std::unique_ptr<Translator> make_web_translator(Ui& ui);
std::unique_ptr<Translator> make_web_translator(Ui& ui, const WebOptions& options);

} // namespace lex
