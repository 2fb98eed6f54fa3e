#pragma once
// A local HTTP server standing in for the translation page and the translation services: it
// answers each request as its handler says, late, slowly or not at all. It runs on the caller's
// thread and event loop.

#include <QByteArray>
#include <QTcpServer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lex::test {

struct HttpRequest {
    QByteArray target;    // path and query as received
    std::string langpair; // decoded query values
    std::string text;
    QByteArray user_agent;
    QByteArray method;        // "GET", "POST"
    QByteArray body;          // as received (Content-Length bytes)
    QByteArray authorization; // the Authorization header
    QByteArray content_type;  // the Content-Type header
    // The path without the query, and a decoded query value ("" when absent).
    QByteArray path() const {
        return target.contains('?') ? target.left(target.indexOf('?')) : target;
    }
    std::string query(const char* key) const;
};

struct HttpReply {
    int status = 200;
    QByteArray content_type = "text/html; charset=UTF-8";
    QByteArray body;
    int delay_ms = 0;         // wait this long before answering
    bool drop = false;        // close the connection without an answer
    int chunk = 0;            // when > 0: send the body in pieces of this size ...
    int chunk_delay_ms = 0;   // ... this far apart
    int declared_length = -1; // Content-Length to announce; -1: the body's length
    QByteArray headers = {};  // further header lines, each ended by CR LF ("Location: ...\r\n")
};

// Makes the application object the web clients' event loop needs, once for the whole run.
void ensure_core_application();

// A page in the translation page's format holding `translated` (inserted as given).
QByteArray translation_page(const std::string& translated);

class HttpServer {
public:
    HttpServer();
    // The address of the page: "http://127.0.0.1:<port>/translate_t".
    std::string url() const;
    // "http://127.0.0.1:<port>", the address of a service.
    std::string base() const;
    int port() const { return server_->serverPort(); }
    // Stops listening: further connections are refused.
    void close() { server_->close(); }
    // Answers every request; the default answers with translation_page of canned[text], or
    // with a page without a translation when the text is not canned.
    std::function<HttpReply(const HttpRequest&)> handler;
    std::map<std::string, std::string> canned;
    std::vector<HttpRequest> requests;
    double busy_seconds = 0; // time spent in the server's own handlers

private:
    void accept();
    std::unique_ptr<QTcpServer> server_ = std::make_unique<QTcpServer>();
};

} // namespace lex::test
