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

// The settings file of the services, beside tr.dat: <program folder>/translation.ini
std::string service_settings_path(const State& st);

// The choice the settings file keeps; a missing or unreadable file, or a service name it does
// not know, gives "nothing chosen".
ServiceSettings read_service_settings(const std::string& path);
// Writes the settings file, readable by its owner only (it holds keys). False with the reason
// in `error`; a previous file then stays whole.
bool write_service_settings(const std::string& path, const ServiceSettings& settings,
                            std::string& error);

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
