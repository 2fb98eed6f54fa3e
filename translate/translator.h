#pragma once
// A translation service as the run sees it. The web page takes a batch's labels joined by
// commas and the run matches the answer back; the other services answer label by label.

#include "translate/services.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace lex {

class Ui;

// What a call to a service needs besides its labels: the run's language pair and code pages, the
// web page's address and the STOP flag. The run fills it from the document (translation_request,
// translate/run.h) before each call.
struct TranslationRequest {
    std::string language_pair;  // "from|to" in the service's codes
    int sending_codepage = 0;   // the labels handed over are bytes in this code page
    int receiving_codepage = 0; // ... and the answers are wanted in this one
    std::string page_address;   // the web page's address
    StopToken stop;
};

// What a label-by-label service gives back for the labels of one call.
struct LabelAnswers {
    std::vector<std::string> texts; // one per label, bytes in the target language's code page
    std::vector<bool> unknown;      // the service marked a word of that label as unknown
    std::string error;              // not empty: the service's reason, and no texts
    std::string route = {};         // not empty: the chain of engines the answers went through
};

class Translator {
public:
    virtual ~Translator() = default;
    // The web page: translates `text` (bytes in the sending code page) for the language pair
    // of `request`. Returns the answer as bytes in the receiving code page, or the empty text on
    // any failure. Keeps the window responsive while it waits; returns early (empty) once
    // request.stop is raised.
    virtual std::string translate(const TranslationRequest& request, const std::string& text) {
        (void)request;
        (void)text;
        return {};
    }

    // A service that answers label by label takes up to this many labels per call; 0 means the
    // web page's comma-joined requests through translate().
    virtual std::size_t labels_per_request() const { return 0; }
    // One answer per label (labels as bytes in the sending code page) for the pair of `request`
    // in the service's own codes, or the service's reason. Waits like translate() and ends
    // early once request.stop is raised.
    virtual LabelAnswers translate_labels(const TranslationRequest& request,
                                          const std::vector<std::string>& labels) {
        (void)request;
        (void)labels;
        return {{}, {}, "This service does not translate label by label.", {}};
    }
    // The service's code for the language with the three-letter key `key`; empty when it has
    // none (the run then says "Cannot find target language"). The custom language ("cus") is
    // known by `custom_web_code`.
    virtual std::string language_code(const std::string& key, bool target,
                                      const std::string& custom_web_code) const {
        return service_language_code(ServiceKind::kWebPage, key, target, custom_web_code);
    }
    virtual ServiceKind kind() const { return ServiceKind::kWebPage; }
};

struct WebOptions {
    int timeout_ms = 30000;           // a request ends (empty) after this long
    std::size_t max_bytes = 4u << 20; // a longer answer ends (empty)
    bool system_proxy = true;         // use the system's proxy settings; false: no proxy
    const char* agent = "ZORorIvad";  // User-Agent of the requests
};

// The translator that talks to the web page at the request's page_address.
std::unique_ptr<Translator> make_web_translator(Ui& ui);
std::unique_ptr<Translator> make_web_translator(Ui& ui, const WebOptions& options);

// The translator for `choice`: the web page, or a label-by-label service wrapped so that the run
// hands it bytes of the document's code pages and gets bytes back.
std::unique_ptr<Translator> make_translator(Ui& ui, const ServiceChoice& choice,
                                            const WebOptions& options = {});
// Wraps a label-by-label service the same way.
std::unique_ptr<Translator> make_label_translator(std::unique_ptr<LabelService> service,
                                                  ServiceKind kind);

// The services themselves (address empty: the service's default). The offline engine shares
// a call's labels among at most `processes` engine processes at once; 0: one per idle core.
std::unique_ptr<LabelService> make_offline_engine(const WebOptions& options = {},
                                                  int processes = 0);
std::unique_ptr<LabelService> make_apertium_server(const std::string& address,
                                                   const WebOptions& options = {});
std::unique_ptr<LabelService> make_libretranslate(const std::string& address,
                                                  const std::string& key,
                                                  const WebOptions& options = {});
std::unique_ptr<LabelService> make_deepl(const std::string& address, const std::string& key,
                                         const WebOptions& options = {});

// True when the offline engine runs on this machine and has at least one language pair.
bool offline_engine_installed();
// The offline engine's pairs as it lists them ("eng-spa"); none when it is not installed.
std::vector<std::string> offline_engine_pairs();

} // namespace lex
