#pragma once
// The language tables: list entries, TYP codes, service keys, web codes and survey names.

#include <array>
#include <string>

namespace lex {

struct State;

struct LanguageEntry {
    const char* item; // list item text, trailing blanks included
    const char* code; // TYP code, two hex digits
    const char* key;  // service key: first three letters of the item, lower case
    const char* web;  // web translation code, "" when the service has none
    // Codes of the other translation services:
    const char* iso1;  // ISO 639-1 (LibreTranslate, DeepL as source)
    const char* iso3;  // ISO 639-3 (the Apertium engine and its server)
    const char* deepl; // DeepL target, with the regional variant where DeepL requires one
};

constexpr int kSourceLanguages = 13; // rows 0..12 of the target table form the source list
constexpr int kTargetLanguages = 24; // rows 0..23
constexpr int kCustomIndex = 24;     // the custom language, never shown in a list
constexpr int kHebrewIndex = 23;

extern const std::array<LanguageEntry, kTargetLanguages> kLanguages;

// The text a language list shows for entry `index` (list 0 source, 1 target); the custom
// language (target entry 24) reads "Custom". Empty for an entry the list does not have.
std::string language_list_item(int list, int index);
// Number of entries of language list `list`.
int language_list_size(int list);

// TYP code of target-list row `index`; row 24 is the custom language; others give "".
std::string language_code_at(const State& st, int index);
// The list row whose code equals `code` (rows 0..23); "00" gives 24 while target_index is 24;
// a code no row has gives 0.
int language_row_of(const State& st, const std::string& code);
// Survey name of a language code, or "0x" and the code in upper-case hex.
std::string survey_language_name(int code);
// A one-character text gets a "0" in front.
std::string two_digits(const std::string& hex);
// Web code of a three-letter service key; "cus" gives the custom web code.
std::string web_code_for(const State& st, const std::string& key);

} // namespace lex
