// The web client: one GET request to the translation page per call, waited for so that the
// window keeps working, ended by a time-out, a size cap or STOP.

#include "document/codec_qt.h"
#include "translate/http_exchange_qt.h"
#include "translate/service_answers_qt.h"
#include "translate/translator.h"
#include "translate/webpage.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QStringDecoder>
#include <QUrl>

namespace lex {

namespace {

// The charset a Content-Type header names ("text/html; charset=ISO-8859-1"), or "".
QByteArray charset_of(const QByteArray& contentType) {
    const QList<QByteArray> params = contentType.split(';');
    for (qsizetype i = 1; i < params.size(); ++i) {
        const QByteArray param = params[i].trimmed();
        const qsizetype eq = param.indexOf('=');
        if (eq < 0 || param.left(eq).trimmed().toLower() != "charset") continue;
        QByteArray value = param.mid(eq + 1).trimmed();
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

QString decode_body(const QByteArray& body, const QByteArray& contentType) {
    const QByteArray charset = charset_of(contentType);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) return decoder.decode(body);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    return utf8.decode(body);
}

} // namespace

std::string page_answer(const QByteArray& body, const QByteArray& content_type) {
    return answer_from_page(decode_body(body, content_type).toUtf8().toStdString());
}

namespace {

class WebTranslator : public Translator {
public:
    explicit WebTranslator(const WebOptions& options) : options_(options) {}

    std::string translate(const TranslationRequest& request, const std::string& labels) override {
        if (request.stop.requested() || active_) return {};
        // The labels are sent as UTF-8, whatever code page they are kept in.
        const std::string text =
            prepare_request(decode(labels, request.sending_codepage).toUtf8().toStdString());
        const QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(
            request_url(request.page_address, request.language_pair, text)));
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || (scheme != "http" && scheme != "https")) return {};

        QByteArray body;
        QByteArray contentType;
        if (!download(request.stop, url, body, contentType)) return {};
        const std::string answer = page_answer(body, contentType);
        if (answer.empty()) return {};
        return encode(QString::fromUtf8(answer.data(), qsizetype(answer.size())),
                      request.receiving_codepage);
    }

private:
    // Fetches the whole body. False on any failure: an error, the time-out, an answer over
    // the cap, or STOP.
    bool download(StopToken stop, const QUrl& url, QByteArray& body, QByteArray& contentType) {
        if (!manager_) manager_ = make_network_manager(options_);
        active_ = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{active_};
        HttpAnswer answer =
            http_exchange(stop, *manager_, QNetworkRequest(url), "GET", {}, options_);
        if (!answer.answered || answer.status < 200 || answer.status > 299) return false;
        body = std::move(answer.body);
        contentType = std::move(answer.content_type);
        return true;
    }

    WebOptions options_;
    std::unique_ptr<QNetworkAccessManager> manager_;
    bool active_ = false;
};

} // namespace

std::unique_ptr<Translator> make_web_translator(Ui& ui) {
    return make_web_translator(ui, WebOptions{});
}

std::unique_ptr<Translator> make_web_translator(Ui&, const WebOptions& options) {
    return std::make_unique<WebTranslator>(options);
}

} // namespace lex
