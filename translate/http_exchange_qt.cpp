#include "translate/http_exchange_qt.h"

#include "document/plain_text.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <algorithm>

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

namespace {

// How many redirects one exchange follows before it gives up.
constexpr int kMaxRedirects = 10;

int port_of(const QUrl& url) {
    return url.port(url.scheme().toLower() == "https" ? 443 : 80);
}

bool same_origin(const QUrl& a, const QUrl& b) {
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && port_of(a) == port_of(b);
}

// One request without following redirects: `answer` gets what came back, `redirect` where a
// redirect points (empty when the answer is none). Waits at most `timeout_ms`.
void exchange_once(StopToken stop, QNetworkAccessManager& manager, const QNetworkRequest& request,
                   const QByteArray& verb, const QByteArray& body, const WebOptions& options,
                   int timeout_ms, HttpAnswer& answer, QUrl& redirect) {
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
    const QString tooBig = QStringLiteral("the answer is too large");
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
    deadline.start(std::max(timeout_ms, 0));

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
        const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
        if (std::size_t(answer.body.size()) > options.max_bytes) {
            answer.failure = tooBig;
        } else if (connection_failed(reply->error()) || answer.status == 0) {
            answer.failure = reply->errorString();
        } else if (answer.status >= 300 && answer.status < 400 && target.isValid() &&
                   !target.isEmpty()) {
            redirect = reply->url().resolved(target);
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
}

QString host_and_port(const QUrl& url) {
    return url.host() + ":" + QString::number(port_of(url));
}

} // namespace

HttpAnswer http_exchange(StopToken stop, QNetworkAccessManager& manager, QNetworkRequest request,
                         const QByteArray& verb, const QByteArray& body, const WebOptions& options,
                         bool carries_key) {
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(options.agent));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Redirects are followed here, where the key's request can be kept from another host.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    // The size cap counts the unpacked bytes and stops a packed answer as early as a plain one;
    // Qt's own check would end it as an answer cut short, which reads as garbage.
    request.setDecompressedSafetyCheckThreshold(-1);

    QElapsedTimer clock;
    clock.start();
    QByteArray method = verb;
    QByteArray content = body;
    for (int redirects = 0;; ++redirects) {
        HttpAnswer answer;
        QUrl next;
        exchange_once(stop, manager, request, method, content, options,
                      options.timeout_ms - int(clock.elapsed()), answer, next);
        if (next.isEmpty()) return answer;
        const int status = answer.status;
        answer.status = 0;
        answer.body.clear();
        const QUrl from = request.url();
        const QString scheme = next.scheme().toLower();
        // 303, and 301 or 302 after anything but a GET, make the request a GET without a body.
        const bool toGet = method != "GET" && (status == 303 || status == 301 || status == 302);
        if (carries_key && !same_origin(from, next))
            answer.withheld = "to " + host_and_port(next) + ", another host";
        else if (carries_key && toGet)
            answer.withheld = QStringLiteral("as a GET");
        else if (redirects >= kMaxRedirects)
            answer.failure = QStringLiteral("it sends the request on and on");
        else if ((scheme != "http" && scheme != "https") ||
                 (from.scheme().toLower() == "https" && scheme == "http"))
            answer.failure = QStringLiteral("it sends the request on to %1, which is not safe")
                                 .arg(next.toDisplayString(QUrl::RemoveUserInfo));
        if (!answer.failure.isEmpty() || !answer.withheld.isEmpty()) return answer;
        if (toGet) {
            method = "GET";
            content.clear();
            request.setHeader(QNetworkRequest::ContentTypeHeader, QVariant());
        }
        request.setUrl(next);
    }
}

namespace {

// This computer: 127.0.0.0/8, ::1 and localhost.
bool local_host(const QString& host) {
    return host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 ||
           QHostAddress(host).isLoopback();
}

QString shown(const QString& address) {
    return QString::fromStdString(address_without_password(address.toStdString()));
}

// Text from a server or the network as the person sees it: plain, on one line, cut short.
std::string plain(const QString& text, std::size_t max_chars = 300) {
    return plain_text(text.simplified().toStdString(), {max_chars});
}

} // namespace

QString service_base(ServiceKind kind, const std::string& address, const std::string& key,
                     std::string& error) {
    QString base = QString::fromStdString(address).trimmed();
    if (base.isEmpty()) base = QString::fromStdString(default_address(kind, key));
    while (base.endsWith(QLatin1Char('/'))) base.chop(1);
    const QUrl url(base, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "http" && scheme != "https"))
        error = std::string(service_title(kind)) + ": \"" + plain(shown(base)) +
                "\" is not a web address (http://... or https://...).";
    else if (scheme == "http" && !QString::fromStdString(key).trimmed().isEmpty() &&
             !local_host(url.host()))
        error = std::string(service_title(kind)) + ": the key is not sent to " + plain(url.host()) +
                " over plain http; use an https:// address (http:// is for this computer only).";
    return base;
}

namespace {

std::string who(ServiceKind kind, const QString& base) {
    return std::string(service_title(kind)) + " at " + plain(shown(base));
}

} // namespace

std::string no_answer_message(ServiceKind kind, const QString& base, const HttpAnswer& answer) {
    if (!answer.withheld.isEmpty())
        return who(kind, base) + " sent the request on " + plain(answer.withheld) +
               ", which does not get the key. Nothing was sent there.";
    // The network's reason may name the address, password and all.
    QString why = answer.failure;
    const QString userInfo = QUrl(base).userInfo(QUrl::FullyEncoded);
    if (!userInfo.isEmpty()) why.replace(userInfo + "@", QString());
    return who(kind, base) + " does not answer: " + plain(why) + ".";
}

std::string refused_message(ServiceKind kind, const QString& base, int status,
                            const QString& reason) {
    std::string text =
        who(kind, base) + " refused the request (HTTP " + std::to_string(status) + ")";
    const std::string why = plain(reason);
    return text + (why.empty() ? "." : ": " + why + (why.ends_with('.') ? "" : "."));
}

std::string unreadable_message(ServiceKind kind, const QString& base) {
    return who(kind, base) + " sent an answer that cannot be read.";
}

} // namespace lex
