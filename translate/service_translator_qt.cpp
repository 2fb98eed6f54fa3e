// The label-by-label services as the run sees them: the labels leave in Unicode and the answers
// come back in the target language's code page.

#include "document/codec_qt.h"
#include "translate/translator.h"

#include <QString>

#include <array>

namespace lex {

namespace {

class LabelTranslator : public Translator {
public:
    LabelTranslator(std::unique_ptr<LabelService> service, ServiceKind kind)
        : service_(std::move(service)), kind_(kind) {}

    std::size_t labels_per_request() const override { return service_row(kind_).batch; }

    std::string language_code(const std::string& key, bool target,
                              const std::string& custom_web_code) const override {
        return service_language_code(kind_, key, target, custom_web_code);
    }

    ServiceKind kind() const override { return kind_; }

    LabelAnswers translate_labels(const TranslationRequest& call,
                                  const std::vector<std::string>& labels) override {
        LabelAnswers answers;
        // A call made from inside a waiting call (the window's events run meanwhile) is refused.
        if (active_) {
            answers.error = "A translation is already under way.";
            return answers;
        }
        if (labels.empty()) return answers;
        active_ = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{active_};

        LabelRequest request;
        const std::size_t bar = call.language_pair.find('|');
        request.source = call.language_pair.substr(0, bar);
        request.target = bar == std::string::npos ? "" : call.language_pair.substr(bar + 1);
        const int from = call.sending_codepage;
        for (const std::string& label : labels)
            request.labels.push_back(decode(label, from).toUtf8().toStdString());

        LabelReply reply = service_->translate(request, call.stop);
        if (reply.error.empty() && reply.texts.size() != labels.size())
            reply.error = std::string(service_title(kind_)) + " answered " +
                          std::to_string(reply.texts.size()) + " texts for " +
                          std::to_string(labels.size()) + " labels.";
        if (!reply.error.empty()) {
            answers.error = reply.error;
            return answers;
        }
        const int to = call.receiving_codepage;
        answers.route = reply.route;
        for (std::size_t i = 0; i < reply.texts.size(); ++i) {
            answers.texts.push_back(encode(QString::fromStdString(reply.texts[i]), to));
            answers.unknown.push_back(i < reply.unknown.size() && reply.unknown[i]);
        }
        return answers;
    }

private:
    std::unique_ptr<LabelService> service_;
    ServiceKind kind_;
    bool active_ = false;
};

} // namespace

std::unique_ptr<Translator> make_label_translator(std::unique_ptr<LabelService> service,
                                                  ServiceKind kind) {
    return std::make_unique<LabelTranslator>(std::move(service), kind);
}

namespace {

// How each service is built from its address and key, in the order of ServiceKind; the services'
// rows (services.cpp) say the rest. Null: the web page, the run's own translator.
using BuildService = std::unique_ptr<LabelService> (*)(const ServiceChoice&, const WebOptions&);
// clang-format off
constexpr std::array<BuildService, kServiceKinds> kBuilders{
    [](const ServiceChoice&, const WebOptions& o) { return make_offline_engine(o); },
    [](const ServiceChoice& c, const WebOptions& o) { return make_apertium_server(c.address, o); },
    [](const ServiceChoice& c, const WebOptions& o) {
        return make_libretranslate(c.address, c.key, o); },
    [](const ServiceChoice& c, const WebOptions& o) { return make_deepl(c.address, c.key, o); },
    nullptr,
};
// clang-format on

} // namespace

std::unique_ptr<Translator> make_translator(Ui& ui, const ServiceChoice& choice,
                                            const WebOptions& options) {
    const std::size_t i = std::size_t(choice.kind);
    if (i < kBuilders.size() && kBuilders[i] != nullptr)
        return make_label_translator(kBuilders[i](choice, options), choice.kind);
    return make_web_translator(ui, options);
}

} // namespace lex
