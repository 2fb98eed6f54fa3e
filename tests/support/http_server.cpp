#include "http_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace lex::test {

void ensure_core_application() {
    if (QCoreApplication::instance() != nullptr) return;
    static int argc = 1;
    static char arg0[] = "lexmarin_tests", *argv[] = {arg0, nullptr};
    static QCoreApplication app(argc, argv);
}

QByteArray translation_page(const std::string& translated) {
    return "<html><head><title>Translate</title><script>var ctx={a:1};TRANSLATED_TEXT='" +
           QByteArray::fromStdString(translated) +
           "';var INPUT_TOOL_PATH='/it';</script></head><body><div>done</div></body></html>";
}

HttpServer::HttpServer() {
    server_->listen(QHostAddress::LocalHost, 0);
    QObject::connect(server_.get(), &QTcpServer::newConnection, server_.get(),
                     [this] { accept(); });
}

std::string HttpServer::url() const {
    return base() + "/translate_t";
}

std::string HttpServer::base() const {
    return "http://127.0.0.1:" + std::to_string(server_->serverPort());
}

std::string HttpRequest::query(const char* key) const {
    const QByteArray prefix = QByteArray(key) + "=";
    for (const QByteArray& pair : target.mid(target.indexOf('?') + 1).split('&'))
        if (pair.startsWith(prefix))
            return QByteArray::fromPercentEncoding(pair.mid(prefix.size())).toStdString();
    return {};
}

namespace {

HttpRequest parse_request(const QByteArray& head) {
    HttpRequest req;
    for (const QByteArray& line : head.split('\n')) {
        if (req.target.isEmpty()) {
            req.method = line.split(' ').value(0);
            req.target = line.split(' ').value(1);
        }
        const QByteArray lower = line.toLower();
        if (lower.startsWith("user-agent:")) req.user_agent = line.mid(11).trimmed();
        if (lower.startsWith("authorization:")) req.authorization = line.mid(14).trimmed();
        if (lower.startsWith("content-type:")) req.content_type = line.mid(13).trimmed();
    }
    req.langpair = req.query("langpair");
    req.text = req.query("text");
    return req;
}

void send_chunks(QPointer<QTcpSocket> socket, QByteArray rest, int chunk, int gap) {
    if (!socket || socket->state() != QAbstractSocket::ConnectedState) return;
    socket->write(rest.left(chunk));
    rest.remove(0, std::min<qsizetype>(chunk, rest.size()));
    if (rest.isEmpty()) return socket->disconnectFromHost();
    QTimer::singleShot(gap, socket,
                       [socket, rest, chunk, gap] { send_chunks(socket, rest, chunk, gap); });
}

} // namespace

void HttpServer::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            QElapsedTimer clock;
            clock.start();
            *buffer += socket->readAll();
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0) return;
            HttpRequest req = parse_request(buffer->left(end));
            qsizetype length = 0;
            for (const QByteArray& line : buffer->left(end).split('\n'))
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
            if (buffer->size() < end + 4 + length) return; // the body is still on its way
            req.body = buffer->mid(end + 4, length);
            buffer->clear();
            requests.push_back(req);
            HttpReply reply;
            if (handler) {
                reply = handler(req);
            } else {
                auto it = canned.find(req.text);
                reply.body = it != canned.end() ? translation_page(it->second)
                                                : QByteArray("<html>no translation</html>");
            }
            QByteArray data = "HTTP/1.1 " + QByteArray::number(reply.status) +
                              (reply.status == 200 ? " OK" : " Error") + "\r\n";
            if (!reply.content_type.isEmpty())
                data += "Content-Type: " + reply.content_type + "\r\n";
            data += reply.headers;
            data += "Content-Length: " +
                    QByteArray::number(reply.declared_length >= 0 ? reply.declared_length
                                                                  : reply.body.size()) +
                    "\r\nConnection: close\r\n\r\n" + reply.body;
            QPointer<QTcpSocket> guarded(socket);
            auto answer = [guarded, reply, data] {
                if (!guarded) return;
                if (reply.drop) return guarded->abort();
                send_chunks(guarded, data, reply.chunk > 0 ? reply.chunk : int(data.size()),
                            reply.chunk_delay_ms);
            };
            QTimer::singleShot(reply.delay_ms, socket, answer);
            busy_seconds += double(clock.nsecsElapsed()) / 1e9;
        });
    }
}

} // namespace lex::test
