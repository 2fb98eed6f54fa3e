// The web client: one GET request to the translation page per call, waited for in a local
// event loop so that the window keeps working, ended by a time-out, a size cap or STOP.

#include "document/codec.h"
#include "document/state.h"
#include "translate/run.h"
#include "translate/translator.h"
#include "translate/webpage.h"

#include <QByteArray>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStringDecoder>
#include <QTimer>
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

class WebTranslator : public Translator {
public:
    explicit WebTranslator(const WebOptions& options) : options_(options) {}

    std::string translate(State& st, const std::string& request) override {
        if (st.stop_requested || active_) return {};
        // The labels are sent as UTF-8, whatever code page they are kept in.
        const std::string text =
            prepare_request(decode(request, sending_codepage(st)).toUtf8().toStdString());
        const QUrl url = QUrl::fromEncoded(
            QByteArray::fromStdString(request_url(st.translate_url, st.language_pair, text)));
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || (scheme != "http" && scheme != "https")) return {};

        QByteArray body;
        QByteArray contentType;
        if (!download(st, url, body, contentType)) return {};
        const std::string page = decode_body(body, contentType).toUtf8().toStdString();
        const std::string answer = answer_from_page(page);
        if (answer.empty()) return {};
        return encode(QString::fromUtf8(answer.data(), qsizetype(answer.size())),
                      receiving_codepage(st));
    }

private:
    QNetworkAccessManager& manager() {
        if (!manager_) {
            manager_ = std::make_unique<QNetworkAccessManager>();
            if (options_.system_proxy)
                QNetworkProxyFactory::setUseSystemConfiguration(true);
            else
                manager_->setProxy(QNetworkProxy::NoProxy);
        }
        return *manager_;
    }

    // Fetches the whole body. False on any failure: an error, the time-out, an answer over
    // the cap, or STOP.
    bool download(State& st, const QUrl& url, QByteArray& body, QByteArray& contentType) {
        QNetworkRequest req(url);
        req.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(options_.agent));
        req.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
        req.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        req.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);

        active_ = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{active_};

        QPointer<QNetworkReply> reply = manager().get(req);
        QEventLoop loop;
        bool failed = false;
        auto fail = [&] {
            if (failed) return;
            failed = true;
            if (reply) reply->abort();
            loop.quit();
        };
        QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
            if (!reply || failed) return;
            body += reply->readAll();
            if (std::size_t(body.size()) > options_.max_bytes) fail();
        });
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&] { loop.quit(); });

        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, fail);
        deadline.start(options_.timeout_ms);

        // STOP is a flag set by the button's handler, which runs inside this loop.
        QTimer stopWatch;
        QObject::connect(&stopWatch, &QTimer::timeout, &loop, [&] {
            if (st.stop_requested) fail();
        });
        stopWatch.start(20);

        if (!reply->isFinished()) loop.exec();
        deadline.stop();
        stopWatch.stop();

        bool ok =
            !failed && reply && reply->error() == QNetworkReply::NoError && !st.stop_requested;
        if (ok) {
            body += reply->readAll();
            ok = std::size_t(body.size()) <= options_.max_bytes;
            contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
            if (contentType.isEmpty()) contentType = reply->rawHeader("Content-Type");
        }
        if (reply) {
            // Deleted here rather than later: a long run never returns to the outer event loop
            // that would carry out a deferred delete.
            reply->disconnect();
            if (!reply->isFinished()) reply->abort();
            delete reply.data();
        }
        return ok;
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
