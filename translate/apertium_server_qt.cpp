// An Apertium server (APy): GET /translate with the labels joined by blank lines, which its
// plain-text format keeps apart; the pairs it serves come from /listPairs.

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

constexpr ServiceKind kKind = ServiceKind::kApertiumServer;
// The joined labels of one request stay under this many bytes, so its address stays short.
constexpr std::size_t kMaxQueryBytes = 2000;

class ApertiumServer : public LabelService {
public:
    ApertiumServer(std::string address, const WebOptions& options)
        : address_(std::move(address)), options_(options) {}

    LabelReply translate(const LabelRequest& request, StopToken stop) override {
        LabelReply reply;
        base_ = service_base(kKind, address_, {}, reply.error);
        if (!reply.error.empty()) return reply;
        if (!manager_) manager_ = make_network_manager(options_);

        const QString pair = QString::fromStdString(request.source + "|" + request.target);
        std::size_t first = 0;
        while (first < request.labels.size()) {
            std::size_t end = first;
            std::size_t bytes = 0;
            do bytes += request.labels[end++].size() + 2;
            while (end < request.labels.size() &&
                   bytes + request.labels[end].size() < kMaxQueryBytes);
            const std::vector<std::string> chunk(request.labels.begin() + std::ptrdiff_t(first),
                                                 request.labels.begin() + std::ptrdiff_t(end));
            std::vector<std::string> texts;
            if (!ask(stop, request, pair, chunk, texts, reply.error)) return reply;
            // Should the blank lines not keep the labels apart, each goes on its own.
            if (texts.size() != chunk.size()) {
                texts.clear();
                for (const std::string& label : chunk) {
                    std::vector<std::string> one;
                    if (!ask(stop, request, pair, {label}, one, reply.error)) return reply;
                    std::string joined;
                    for (const std::string& part : one)
                        joined += (joined.empty() ? "" : " ") + part;
                    texts.push_back(joined);
                }
            }
            for (std::size_t i = 0; i < chunk.size(); ++i) {
                reply.unknown.push_back(strip_engine_marks(chunk[i], texts[i]));
                reply.texts.push_back(texts[i]);
            }
            first = end;
        }
        return reply;
    }

private:
    bool ask(StopToken stop, const LabelRequest& request, const QString& pair,
             const std::vector<std::string>& labels, std::vector<std::string>& texts,
             std::string& error) {
        QUrlQuery query;
        query.addQueryItem("langpair", pair);
        query.addQueryItem("q", QString::fromStdString(join_for_engine(labels)));
        query.addQueryItem("markUnknown", "yes");
        query.addQueryItem("format", "txt");
        QUrl url(base_ + "/translate");
        // "+" would reach the server as a blank.
        url.setQuery(query.query(QUrl::FullyEncoded).replace("+", "%2B"), QUrl::StrictMode);
        const HttpAnswer answer = get(stop, url);
        if (!answer.answered) {
            error = no_answer_message(kKind, base_, answer);
            return false;
        }
        ApertiumAnswer read = read_apertium_answer(answer.status, answer.body);
        if (read.status != 200) {
            if (read.why.contains("not installed", Qt::CaseInsensitive)) {
                error = missing_pair_message("The Apertium server at " +
                                                 address_without_password(base_.toStdString()),
                                             request.source, request.target, pairs(stop));
                return false;
            }
            error = refused_message(kKind, base_, read.status, read.why);
            return false;
        }
        if (!read.readable) {
            error = unreadable_message(kKind, base_);
            return false;
        }
        texts = std::move(read.texts);
        return true;
    }

    // The pairs the server lists, without variants; empty when it does not say.
    std::vector<std::string> pairs(StopToken stop) {
        return engine_pairs(apertium_pair_listing(get(stop, QUrl(base_ + "/listPairs")).body));
    }

    HttpAnswer get(StopToken stop, const QUrl& url) {
        return http_exchange(stop, *manager_, QNetworkRequest(url), "GET", {}, options_);
    }

    std::string address_;
    WebOptions options_;
    QString base_;
    std::unique_ptr<QNetworkAccessManager> manager_;
};

} // namespace

ApertiumAnswer read_apertium_answer(int status, const QByteArray& body) {
    ApertiumAnswer read;
    const QJsonObject json = QJsonDocument::fromJson(body).object();
    // The server may also say "failed" in the answer's own status.
    read.status = status != 200 ? status : json.value("responseStatus").toInt(200);
    if (read.status != 200) {
        read.why = json.value("explanation").toString();
        if (read.why.isEmpty()) read.why = json.value("responseDetails").toString();
        if (read.why.isEmpty()) read.why = json.value("message").toString();
        return read;
    }
    const QJsonValue text = json.value("responseData").toObject().value("translatedText");
    read.readable = text.isString();
    if (read.readable) read.texts = split_engine_output(text.toString().toStdString());
    return read;
}

std::string apertium_pair_listing(const QByteArray& body) {
    std::string listing;
    for (const QJsonValue& v :
         QJsonDocument::fromJson(body).object().value("responseData").toArray()) {
        const QJsonObject p = v.toObject();
        listing += (p.value("sourceLanguage").toString() + "-" +
                    p.value("targetLanguage").toString() + "\n")
                       .toStdString();
    }
    return listing;
}

std::unique_ptr<LabelService> make_apertium_server(const std::string& address,
                                                   const WebOptions& options) {
    return std::make_unique<ApertiumServer>(address, options);
}

} // namespace lex
