#pragma once
// The text side of one request to the translation page: preparing the text that is sent,
// building the address, and cutting the translation out of the page that comes back.
// Everything here works on UTF-8 text; the web client converts from and to code pages.

#include <string>
#include <string_view>

namespace lex {

// Replaces each of _ \ / ( ) { } [ ] by a blank and deletes every "*"; stores the result back
// into `text` and returns it. All the characters touched are ASCII, so UTF-8 text stays valid.
std::string blank_symbols(std::string& text);

// The request text as sent: one trailing "," dropped, then cleaned with blank_symbols.
std::string prepare_request(std::string text);

// Percent-encodes every byte except the unreserved characters A-Z a-z 0-9 - . _ ~.
std::string percent_encode(std::string_view bytes);

// base + "?langpair=" + pair + "&text=" + text, both values percent-encoded
// ("&" instead of "?" when the base already carries a query).
std::string request_url(std::string_view base, std::string_view pair, std::string_view text);

// The translation held in a page: the text after the marker "TRANSLATED_TEXT=" (any case)
// up to the first ";var", without the quotes around it. Empty when the marker, ";var" or a
// later "</" is missing.
std::string extract_translation(std::string_view page);

// Undoes the page's escapes: "\x3d" and the escaped entities, then every "&#n;" becomes the
// character n (UTF-8). A "&#" without a following ";" loses its "&"; a number that is no
// character becomes U+FFFD.
std::string unescape_answer(std::string text);

// extract_translation followed by unescape_answer.
std::string answer_from_page(std::string_view page);

} // namespace lex
