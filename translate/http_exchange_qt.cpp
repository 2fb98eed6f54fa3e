#include "translate/http_exchange_qt.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace lex {

std::unique_ptr<QNetworkAccessManager> make_network_manager(const WebOptions& options) {
    auto manager = std::make_unique<QNetworkAccessManager>();
    if (options.system_proxy)
        QNetworkProxyFactory::setUseSystemConfiguration(true);
    else
        manager->setProxy(QNetworkProxy::NoProxy);
    return manager;
}

namespace {

// Errors below 200 are the connection's own (refused, closed, host not found, proxy); the
// others report an HTTP status, whose answer still arrived whole.
bool connection_failed(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && int(error) < 200;
}

} // namespace

HttpAnswer http_exchange(StopToken stop, QNetworkAccessManager& manager, QNetworkRequest request,
                         const QByteArray& verb, const QByteArray& body,
                         const WebOptions& options) {
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(options.agent));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);

    HttpAnswer answer;
    QPointer<QNetworkReply> reply = manager.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    bool failed = false;
    auto fail = [&](const QString& why) {
        if (failed) return;
        failed = true;
        answer.failure = why;
        if (reply) reply->abort();
        loop.quit();
    };
    const QString tooBig =
        QStringLiteral("the answer is larger than %1 bytes").arg(qulonglong(options.max_bytes));
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        if (!reply || failed) return;
        answer.body += reply->readAll();
        if (std::size_t(answer.body.size()) > options.max_bytes) fail(tooBig);
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, [&] { loop.quit(); });

    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        fail(QStringLiteral("no answer within %1 seconds").arg(options.timeout_ms / 1000.0));
    });
    deadline.start(options.timeout_ms);

    // STOP is a flag set by the button's handler, which runs inside this loop.
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &loop, [&] {
        if (stop.requested()) fail(QStringLiteral("stopped"));
    });
    stopWatch.start(20);

    if (!reply->isFinished()) loop.exec();
    deadline.stop();
    stopWatch.stop();

    answer.stopped = stop.requested();
    if (!failed && reply) {
        answer.body += reply->readAll();
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (std::size_t(answer.body.size()) > options.max_bytes) {
            answer.failure = tooBig;
        } else if (connection_failed(reply->error()) || answer.status == 0) {
            answer.failure = reply->errorString();
        } else {
            answer.answered = !answer.stopped;
            answer.content_type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
            if (answer.content_type.isEmpty())
                answer.content_type = reply->rawHeader("Content-Type");
        }
    }
    if (reply) {
        // Deleted here rather than later: a long run never returns to the outer event loop
        // that would carry out a deferred delete.
        reply->disconnect();
        if (!reply->isFinished()) reply->abort();
        delete reply.data();
    }
    return answer;
}

QString service_base(ServiceKind kind, const std::string& address, const std::string& key,
                     std::string& error) {
    QString base = QString::fromStdString(address).trimmed();
    if (base.isEmpty()) base = QString::fromStdString(default_address(kind, key));
    while (base.endsWith(QLatin1Char('/'))) base.chop(1);
    const QUrl url(base, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "http" && scheme != "https"))
        error = std::string(service_title(kind)) + ": \"" + base.toStdString() +
                "\" is not a web address (http://... or https://...).";
    return base;
}

namespace {

std::string who(ServiceKind kind, const QString& base) {
    return std::string(service_title(kind)) + " at " + base.toStdString();
}

} // namespace

std::string no_answer_message(ServiceKind kind, const QString& base, const HttpAnswer& answer) {
    return who(kind, base) + " does not answer: " + answer.failure.toStdString() + ".";
}

std::string refused_message(ServiceKind kind, const QString& base, int status,
                            const QString& reason) {
    std::string text =
        who(kind, base) + " refused the request (HTTP " + std::to_string(status) + ")";
    const QString why = reason.simplified().left(300);
    return text + (why.isEmpty() ? "." : ": " + why.toStdString() + (why.endsWith('.') ? "" : "."));
}

std::string unreadable_message(ServiceKind kind, const QString& base) {
    return who(kind, base) + " sent an answer that cannot be read.";
}

} // namespace lex
