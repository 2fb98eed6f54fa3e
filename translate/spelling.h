#pragma once
// The spelling check of the English source labels against the dictionary, and the marking of
// light-blue rows for checking.

#include <string>
#include <string_view>
#include <vector>

namespace lex {

struct State;
class Ui;

// The spelling dictionary's name in the program's folders (document/folders.h).
inline constexpr const char* kDictionaryFile = "dictionaries/EN.dic";

// Path of the spelling dictionary and of the report, in the program folder.
std::string dictionary_path(const State& st);
std::string report_path(const State& st);
// The dictionary the check reads: the user's own (dictionary_path) when there is one, else the
// one shipped with the program.
std::string dictionary_read_path(const State& st);

// The dictionary text asked whether a word occurs in it anywhere (exact bytes). With an index
// the question costs a binary search instead of a scan of the whole text; the answers are the
// same either way.
class Lexicon {
public:
    Lexicon(const std::string& text, bool indexed);
    bool known(std::string_view word) const;

private:
    const std::string& text_;
    std::vector<std::string_view> suffixes_; // sorted; each within one line, kSpan at most
};

// Checks one label (lower-cased and trimmed by the caller) against the dictionary. Returns
// the empty text, or one unknown word followed by CR LF. Cleans `text` in place with blank_symbols.
std::string check_label_spelling(const Lexicon& dict, std::string& text);
std::string check_label_spelling(const std::string& dictionary, std::string& text);

// Lower case of code page 1252: ASCII letters and the accented letters of that code page.
std::string lower_1252(std::string_view text);

// Checks the source labels of all three panes, colours the labels with a finding light yellow
// and builds the report. Returns true when any label gave a finding.
bool spelling_report(State& st, Ui& ui, std::string& report);

} // namespace lex
