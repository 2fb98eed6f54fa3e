#pragma once
// Reading what the translation services send back, apart from the exchange that brought it, so
// that any bytes can be tried on it.

#include "translate/services.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace lex {

// The translation page: the translation its body holds, as UTF-8 ("" when it holds none). The
// body is decoded with the charset its Content-Type names, else as UTF-8.
std::string page_answer(const QByteArray& body, const QByteArray& content_type);

// An Apertium server's answer to /translate. The status is the HTTP status, or the one the JSON
// says when that is 200.
struct ApertiumAnswer {
    int status = 200;
    QString why;                    // the server's reason when the status is not 200
    bool readable = false;          // a 200 answer with a translated text
    std::vector<std::string> texts; // that text split where the labels were joined
};
ApertiumAnswer read_apertium_answer(int status, const QByteArray& body);
// The pairs an Apertium server's /listPairs answer names, one "src-tgt" a line.
std::string apertium_pair_listing(const QByteArray& body);

// LibreTranslate's and DeepL's answers to a request of `labels` labels: one text each, or the
// reason in `error` (messages name the service at `base`).
LabelReply read_libretranslate_answer(int status, const QByteArray& body, std::size_t labels,
                                      const QString& base);
LabelReply read_deepl_answer(int status, const QByteArray& body, std::size_t labels,
                             const QString& base);

} // namespace lex
