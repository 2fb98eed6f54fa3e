// LibreTranslate (self-hosted or a provider's address, with an optional key): one POST to
// /translate carries the labels as a JSON array and brings back an array of translations.

#include "translate/http_exchange_qt.h"
#include "translate/service_answers_qt.h"
#include "translate/translator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QUrl>

namespace lex {

namespace {

constexpr ServiceKind kKind = ServiceKind::kLibreTranslate;

class LibreTranslate : public LabelService {
public:
    LibreTranslate(std::string address, std::string key, const WebOptions& options)
        : address_(std::move(address)), key_(std::move(key)), options_(options) {}

    LabelReply translate(const LabelRequest& request, StopToken stop) override {
        LabelReply reply;
        const QString base = service_base(kKind, address_, key_, reply.error);
        if (!reply.error.empty()) return reply;
        if (!manager_) manager_ = make_network_manager(options_);

        QJsonArray q;
        for (const std::string& label : request.labels) q.append(QString::fromStdString(label));
        QJsonObject body{{"q", q},
                         {"source", QString::fromStdString(request.source)},
                         {"target", QString::fromStdString(request.target)},
                         {"format", "text"}};
        const QString key = QString::fromStdString(key_).trimmed();
        if (!key.isEmpty()) body.insert("api_key", key);

        QNetworkRequest post(QUrl(base + "/translate"));
        post.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        const HttpAnswer answer = http_exchange(stop, *manager_, post, "POST",
                                                QJsonDocument(body).toJson(QJsonDocument::Compact),
                                                options_, !key.isEmpty());
        if (!answer.answered) {
            reply.error = no_answer_message(kKind, base, answer);
            return reply;
        }
        return read_libretranslate_answer(answer.status, answer.body, request.labels.size(), base);
    }

private:
    std::string address_;
    std::string key_;
    WebOptions options_;
    std::unique_ptr<QNetworkAccessManager> manager_;
};

} // namespace

LabelReply read_libretranslate_answer(int status, const QByteArray& body, std::size_t labels,
                                      const QString& base) {
    LabelReply reply;
    const QJsonObject json = QJsonDocument::fromJson(body).object();
    if (status != 200) {
        // Errors come as {"error": "..."}; a proxy in front may answer with a page instead.
        QString why = json.value("error").toString();
        if (why.isEmpty()) why = QString::fromUtf8(body.left(200));
        reply.error = refused_message(kKind, base, status, why);
        return reply;
    }
    const QJsonValue texts = json.value("translatedText");
    if (!texts.isArray() || texts.toArray().size() != qsizetype(labels)) {
        reply.error = unreadable_message(kKind, base);
        return reply;
    }
    for (const QJsonValue& text : texts.toArray()) {
        if (!text.isString()) {
            reply.texts.clear();
            reply.unknown.clear();
            reply.error = unreadable_message(kKind, base);
            return reply;
        }
        reply.texts.push_back(text.toString().toStdString());
        reply.unknown.push_back(false);
    }
    return reply;
}

std::unique_ptr<LabelService>
make_libretranslate(const std::string& address, const std::string& key, const WebOptions& options) {
    return std::make_unique<LibreTranslate>(address, key, options);
}

} // namespace lex
