#include "http_server.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace lex::test {

QByteArray translation_page(const std::string& translated) {
    QByteArray page = "<html><head><title>Translate</title><script>var ctx={a:1};"
                      "TRANSLATED_TEXT='";
    page += QByteArray::fromStdString(translated);
    page += "';var INPUT_TOOL_PATH='/it';</script></head><body><div>done</div></body></html>";
    return page;
}

HttpServer::HttpServer() : server_(std::make_unique<QTcpServer>()) {
    server_->listen(QHostAddress::LocalHost, 0);
    QObject::connect(server_.get(), &QTcpServer::newConnection, server_.get(),
                     [this] { accept(); });
}

HttpServer::~HttpServer() = default;

std::string HttpServer::url() const {
    return "http://127.0.0.1:" + std::to_string(server_->serverPort()) + "/translate_t";
}

void HttpServer::close() {
    server_->close();
}

namespace {

HttpRequest parse_request(const QByteArray& head) {
    HttpRequest req;
    const QList<QByteArray> lines = head.split('\n');
    if (!lines.isEmpty()) {
        const QList<QByteArray> parts = lines[0].trimmed().split(' ');
        if (parts.size() >= 2) req.target = parts[1];
    }
    for (const QByteArray& line : lines) {
        if (line.toLower().startsWith("user-agent:")) req.user_agent = line.mid(11).trimmed();
    }
    const qsizetype q = req.target.indexOf('?');
    if (q >= 0) {
        for (const QByteArray& pair : req.target.mid(q + 1).split('&')) {
            const qsizetype eq = pair.indexOf('=');
            if (eq < 0) continue;
            const QByteArray key = pair.left(eq);
            const std::string value =
                QByteArray::fromPercentEncoding(pair.mid(eq + 1)).toStdString();
            if (key == "langpair") req.langpair = value;
            if (key == "text") req.text = value;
        }
    }
    return req;
}

QByteArray response_head(const HttpReply& reply) {
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) +
                      (reply.status == 200 ? " OK" : " Error") + "\r\n";
    if (!reply.content_type.isEmpty()) head += "Content-Type: " + reply.content_type + "\r\n";
    const qsizetype length = reply.declared_length >= 0 ? reply.declared_length : reply.body.size();
    head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    head += "Connection: close\r\n\r\n";
    return head;
}

void send_chunks(QPointer<QTcpSocket> socket, QByteArray rest, int chunk, int gap) {
    if (!socket || socket->state() != QAbstractSocket::ConnectedState) return;
    socket->write(rest.left(chunk));
    rest.remove(0, std::min<qsizetype>(chunk, rest.size()));
    if (rest.isEmpty()) {
        socket->disconnectFromHost();
        return;
    }
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
            const QByteArray data = response_head(reply) + reply.body;
            QPointer<QTcpSocket> guarded(socket);
            auto answer = [guarded, reply, data] {
                if (!guarded) return;
                if (reply.drop) {
                    guarded->abort();
                } else if (reply.chunk > 0) {
                    send_chunks(guarded, data, reply.chunk, reply.chunk_delay_ms);
                } else {
                    guarded->write(data);
                    guarded->disconnectFromHost();
                }
            };
            if (reply.delay_ms > 0)
                QTimer::singleShot(reply.delay_ms, socket, answer);
            else
                answer();
            busy_seconds += double(clock.nsecsElapsed()) / 1e9;
        });
    }
}

} // namespace lex::test
