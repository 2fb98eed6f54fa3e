#pragma once
// The translation service: the settings file that keeps the choice, the translator a run uses,
// and the "Test" of the "Translation Service..." dialog.

#include "translate/services.h"

#include <memory>
#include <string>

namespace lex {

struct State;
class Ui;
class Translator;
struct WebOptions;

// The status bar's text for the service: its caption, and the chain of engines its last run
// went through ("Translation: Offline engine (Apertium), English → Spanish → French").
std::string service_status(const State& st);

// The translator a run uses (see service_in_use), and the status bar's caption for it.
std::unique_ptr<Translator> translator_in_use(State& st, Ui& ui, const ServiceSettings& settings);

struct ServiceTest {
    bool ok = false;
    std::string answer; // bytes in the target language's code page; "?" in front when unknown
    std::string error;  // the reason, UTF-8
    std::string route;  // the chain of engines the answer went through, "" when direct
};

// "Test": translates "Lake" from the source into the target language with `tr`.
ServiceTest test_service(State& st, Translator& tr);

} // namespace lex
