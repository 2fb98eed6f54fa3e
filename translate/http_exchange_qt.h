#pragma once
// One HTTP exchange, waited for in a local event loop so that the window keeps working, and
// ended by its answer, a time-out, a size cap or STOP.

#include "translate/translator.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>

#include <memory>

class QNetworkAccessManager;

namespace lex {

struct HttpAnswer {
    bool answered = false; // a whole answer arrived, whatever its status
    bool stopped = false;  // STOP ended the wait
    int status = 0;        // the HTTP status of the answer
    QByteArray body;
    QByteArray content_type;
    QString failure; // why nothing arrived: the network's reason, the time-out or the size cap
    // A redirect a request with a key was not sent on: "to <host>:<port>, another host" or
    // "as a GET".
    QString withheld;
};

// A network manager that uses the system's proxy or none, as `options` say.
std::unique_ptr<QNetworkAccessManager> make_network_manager(const WebOptions& options);

// Sends `request` with `verb` ("GET", "POST") and `body`; follows up to ten redirects that stay
// as safe (never from https to http). A request that `carries_key` follows a redirect only to
// its own scheme, host and port and only as the same request; otherwise nothing is sent on
// and `withheld` says where it would have gone. Ends early once `stop` is raised.
HttpAnswer http_exchange(StopToken stop, QNetworkAccessManager& manager, QNetworkRequest request,
                         const QByteArray& verb, const QByteArray& body, const WebOptions& options,
                         bool carries_key = false);

// The services' side of an exchange.

// The service's address without a final "/" (its default while none is entered), or an error
// text in `error` when it is no web address.
QString service_base(ServiceKind kind, const std::string& address, const std::string& key,
                     std::string& error);
// "<Service> at <address> does not answer: <why>." for an exchange that brought no answer, or
// "<Service> at <address> sent the request on <where>, which does not get the key. ..."
std::string no_answer_message(ServiceKind kind, const QString& base, const HttpAnswer& answer);
// "<Service> at <address> refused the request (HTTP <status>): <reason>."
std::string refused_message(ServiceKind kind, const QString& base, int status,
                            const QString& reason);
// "<Service> at <address> sent an answer that cannot be read."
std::string unreadable_message(ServiceKind kind, const QString& base);

} // namespace lex
