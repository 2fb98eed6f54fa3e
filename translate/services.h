#pragma once
// The translation services behind the run: which ones there are, their settings, their language
// codes, the interface they answer through, and the text rules of the Apertium engine.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// The STOP button's flag as a service sees it: a run hands its services a token that reads the
// flag while they wait, and they end early once it is raised. A default token never stops.
class StopToken {
public:
    StopToken() = default;
    explicit StopToken(const bool& flag) : flag_(&flag) {}
    bool requested() const { return flag_ != nullptr && *flag_; }

private:
    const bool* flag_ = nullptr;
};

enum class ServiceKind : int {
    kOfflineEngine = 0, // Apertium on this machine
    kApertiumServer,    // an Apertium server (APy)
    kLibreTranslate,
    kDeepL,
    kWebPage, // the translation page, labels joined by commas
};
constexpr int kServiceKinds = 5;

// Which code of the language table (translate/languages.h) a service knows a language by.
enum class CodeColumn {
    kWeb,   // the translation page's code (LanguageEntry::web)
    kIso3,  // ISO 639-3 (LanguageEntry::iso3)
    kIso1,  // ISO 639-1 (LanguageEntry::iso1); the custom language by its web code
    kDeepL, // ISO 639-1 in capitals as source, LanguageEntry::deepl as target; the custom
            // language by its web code in capitals
};

// Whether a service takes a key.
enum class KeyNeed { kNone, kOptional, kRequired };

// Everything the program knows of a service apart from how it talks: one row per service in
// services.cpp, in the order of ServiceKind. The service's own file builds it (make_translator).
struct ServiceRow {
    ServiceKind kind;
    const char* title;        // the name the window shows: "Offline engine (Apertium)"
    const char* settings_key; // its group in the settings file: "offline"
    bool has_address;         // takes an address
    KeyNeed key;
    const char* address;          // the address used while none is entered; "" none
    const char* free_key_address; // ... instead for a key ending ":fx" (a free one); null none
    CodeColumn codes;
    std::size_t batch; // labels per request; 0: the page's batches of comma-joined labels
};

// The row of `kind`.
const ServiceRow& service_row(ServiceKind kind);

// The name the window shows: "Offline engine (Apertium)", ...
const char* service_title(ServiceKind kind);
// The service's group in the settings file: "offline", "apy", "libretranslate", "deepl", "webpage".
const char* service_key(ServiceKind kind);
// Which services take an address and a key.
bool service_has_address(ServiceKind kind);
bool service_has_key(ServiceKind kind);
// The address used while none is entered; DeepL's depends on the key (":fx" keys are free ones).
std::string default_address(ServiceKind kind, const std::string& key = {});

// `address` as it is shown and logged: without a user name and password ("http://u:p@h/" gives
// "http://h/").
std::string address_without_password(std::string_view address);

// One service with its address and key, ready to be built.
struct ServiceChoice {
    ServiceKind kind = ServiceKind::kWebPage;
    std::string address; // empty: default_address (the web page: State::translate_url)
    std::string key;
};

// What the settings file keeps: the chosen service, and an address and a key per service.
struct ServiceSettings {
    bool chosen = false; // false: nobody chose yet, the default applies
    ServiceKind kind = ServiceKind::kWebPage;
    std::array<std::string, kServiceKinds> address;
    std::array<std::string, kServiceKinds> key;
    bool memory = true;        // the translation memory answers before the service
    int memory_threshold = 75; // the least similarity of its fuzzy answers, in percent
    ServiceChoice choice(ServiceKind k) const;
    ServiceChoice choice() const { return choice(kind); }
};

// The service a run uses: the web page while LEXMARIN_TRANSLATE_URL overrides the address, else
// the chosen one, else the offline engine when it is installed, else the web page.
// `url_overridden`: the page's address comes from LEXMARIN_TRANSLATE_URL.
ServiceKind service_in_use(bool url_overridden, const ServiceSettings& settings,
                           bool offline_installed);
// The status bar's text for the service in use; the overriding address `url` is named in it.
std::string service_caption(ServiceKind kind, bool url_overridden, const std::string& url);

// The code `kind` knows a language by, from its three-letter key ("eng"); the source and the
// target code differ where a service wants a regional variant. Empty when the service has none.
// The custom language ("cus") is known by `custom_web_code`, its code on the web page.
std::string service_language_code(ServiceKind kind, const std::string& key, bool target,
                                  const std::string& custom_web_code);
// The list name of the language a service code stands for ("spa" gives "Spanish"); the code
// itself when no table row has it.
std::string service_language_name(ServiceKind kind, const std::string& code);

// The labels of one batch for a service: Unicode (UTF-8), with the service's language codes.
struct LabelRequest {
    std::string source;
    std::string target;
    std::vector<std::string> labels;
};

// One answer per label, or the service's reason.
struct LabelReply {
    std::vector<std::string> texts; // UTF-8
    std::vector<bool> unknown;      // the service marked a word of that label as unknown
    std::string error;              // not empty: what went wrong, said to the user as it is
    std::string route =
        {}; // not empty: the answers went through a chain ("English → Spanish → French")
};

// A service that answers label by label.
class LabelService {
public:
    virtual ~LabelService() = default;
    // Waits for the answer and ends early, with whatever reason, once `stop` is raised.
    virtual LabelReply translate(const LabelRequest& request, StopToken stop) = 0;
};

// The Apertium engine moves words across single line breaks but keeps text apart that a blank
// line separates: labels go in joined by blank lines and come back split at them.
std::string join_for_engine(const std::vector<std::string>& labels);
std::vector<std::string> split_engine_output(std::string_view text);

// Removes the marks the engine puts before a word it could not handle ("*" unknown, "@" not in
// its bilingual dictionary, "#" no form to generate). A mark character that the source label
// itself holds is left where it is, since it cannot be told from the label's own; the label
// still counts as marked when the answer holds more of it. True when the label was marked.
bool strip_engine_marks(std::string_view source, std::string& text);

// The translation directions in the engine's listing of its modes ("  eng-spa" per line), without
// the variants ("eng-cat_valencia").
std::vector<std::string> engine_pairs(std::string_view listing);

// One direction the engine has installed: its mode's name and its two languages (ISO 639-3).
struct EngineStep {
    std::string mode; // as the engine names it: "eng-spa", "es-fr"
    std::string from;
    std::string to;
    bool operator==(const EngineStep&) const = default;
};
// The directions of the engine's pairs (engine_pairs), a mode named with two-letter codes
// ("es-fr") read as the same languages' three-letter ones; a name of three parts is no direction.
std::vector<EngineStep> engine_directions(const std::vector<std::string>& pairs);
// The shortest chain of directions from `source` to `target` (ISO 639-3), of at most `most`
// steps; among chains of one length the first in the listing's order. Empty when there is none.
std::vector<EngineStep> engine_chain(const std::vector<EngineStep>& directions,
                                     const std::string& source, const std::string& target,
                                     std::size_t most = 3);
// The languages of a chain: "English → Spanish → French".
std::string chain_caption(const std::vector<EngineStep>& chain);
// The target languages of the list the engine reaches from `source`, directly or through a
// chain, as the list names them: the direct ones first, then by the chain's length, each in the
// list's order.
std::vector<std::string> engine_targets(const std::vector<EngineStep>& directions,
                                        const std::string& source);
// "Offline, English can be translated into Spanish, French, Italian, Portuguese; choose one, or
// set a service with Tools → Translation Service"
std::string offline_targets_message(const std::string& source,
                                    const std::vector<std::string>& targets);

// "The offline engine has no English → German pair. Installed: eng-cat, eng-spa."
std::string missing_pair_message(const std::string& who, const std::string& source,
                                 const std::string& target,
                                 const std::vector<std::string>& installed);

} // namespace lex
