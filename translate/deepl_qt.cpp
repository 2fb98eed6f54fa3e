// The DeepL API (a key; free and paid addresses): one POST to /v2/translate carries the labels
// as repeated "text" fields and brings back one translation each.

#include "translate/http_exchange_qt.h"
#include "translate/service_answers_qt.h"
#include "translate/translator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QUrl>
#include <QUrlQuery>

namespace lex {

namespace {

constexpr ServiceKind kKind = ServiceKind::kDeepL;

// What DeepL's statuses mean for the user; its own message, when it sends one, follows.
QString status_reason(int status) {
    switch (status) {
    case 403:
        return QStringLiteral("the key was refused");
    case 413:
        return QStringLiteral("the request is too large");
    case 429:
        return QStringLiteral("too many requests, try again later");
    case 456:
        return QStringLiteral("the quota is used up");
    default:
        return status >= 500 ? QStringLiteral("the service is not available now") : QString();
    }
}

class DeepL : public LabelService {
public:
    DeepL(std::string address, std::string key, const WebOptions& options)
        : address_(std::move(address)), key_(std::move(key)), options_(options) {}

    LabelReply translate(const LabelRequest& request, StopToken stop) override {
        LabelReply reply;
        QString key = QString::fromStdString(key_).trimmed();
        // A control character pasted with the key would end the header line.
        key.removeIf([](QChar c) { return c.unicode() < 0x20; });
        const QString base = service_base(kKind, address_, key_, reply.error);
        if (!reply.error.empty()) return reply;
        if (key.isEmpty()) {
            reply.error = "The DeepL API needs a key: enter it under Tools, Translation Service.";
            return reply;
        }
        if (!manager_) manager_ = make_network_manager(options_);

        QUrlQuery form;
        for (const std::string& label : request.labels)
            form.addQueryItem("text", QString::fromStdString(label));
        form.addQueryItem("source_lang", QString::fromStdString(request.source));
        form.addQueryItem("target_lang", QString::fromStdString(request.target));
        // QUrlQuery leaves "+" alone, which a form body reads as a blank.
        QByteArray body = form.query(QUrl::FullyEncoded).toUtf8();
        body.replace("+", "%2B");

        QNetworkRequest post(QUrl(base + "/v2/translate"));
        post.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        post.setRawHeader("Authorization", "DeepL-Auth-Key " + key.toUtf8());
        const HttpAnswer answer =
            http_exchange(stop, *manager_, post, "POST", body, options_, true);
        if (!answer.answered) {
            reply.error = no_answer_message(kKind, base, answer);
            return reply;
        }
        return read_deepl_answer(answer.status, answer.body, request.labels.size(), base);
    }

private:
    std::string address_;
    std::string key_;
    WebOptions options_;
    std::unique_ptr<QNetworkAccessManager> manager_;
};

} // namespace

LabelReply read_deepl_answer(int status, const QByteArray& body, std::size_t labels,
                             const QString& base) {
    LabelReply reply;
    const QJsonObject json = QJsonDocument::fromJson(body).object();
    if (status != 200) {
        QString why = status_reason(status);
        const QString message = json.value("message").toString();
        if (!message.isEmpty()) why = why.isEmpty() ? message : why + " (" + message + ")";
        reply.error = refused_message(kKind, base, status, why);
        return reply;
    }
    const QJsonArray translations = json.value("translations").toArray();
    if (translations.size() != qsizetype(labels)) {
        reply.error = unreadable_message(kKind, base);
        return reply;
    }
    for (const QJsonValue& t : translations) {
        if (!t.toObject().value("text").isString()) {
            reply.texts.clear();
            reply.unknown.clear();
            reply.error = unreadable_message(kKind, base);
            return reply;
        }
        reply.texts.push_back(t.toObject().value("text").toString().toStdString());
        reply.unknown.push_back(false);
    }
    return reply;
}

std::unique_ptr<LabelService> make_deepl(const std::string& address, const std::string& key,
                                         const WebOptions& options) {
    return std::make_unique<DeepL>(address, key, options);
}

} // namespace lex
