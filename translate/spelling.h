#pragma once
// The spelling check of the source labels or the target texts with the system's spelling
// dictionary of their language and the user's own word list, and where those are found.

#include "translate/spell_checker.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lex {

struct State;
class Ui;

// The English own word list's name in the program's folders (document/folders.h).
inline constexpr const char* kDictionaryFile = "dictionaries/EN.dic";

// The user's own English word list, and the spelling report, in the user folder.
std::string dictionary_path(const State& st);
std::string report_path(const State& st);
// The dictionary the check reads: the user's own (dictionary_path) when there is one, else the
// one shipped with the program.
std::string dictionary_read_path(const State& st);

// A language as the spelling check knows it.
struct SpellingLanguage {
    std::string code;     // TYP code, two hex digits
    std::string name;     // "Czech", as messages name it
    std::string own_list; // file name of the user's own word list, "EN.dic"
    std::string stems;    // dictionary file names without extension, preferred first, blank
                          // separated; the part before "_" of the first also finds any variant
    std::string package;  // the package that installs a dictionary, "" when there is none
    int codepage = 1252;  // code page of the labels
};

// The language of the source labels; of the target texts (the custom language when the
// target list shows it).
SpellingLanguage source_spelling_language(const State& st);
SpellingLanguage target_spelling_language(const State& st);

// The own word list of `lang` relative to the program's folders ("dictionaries/EN.dic"), and
// the user's copy of it, which "Edit Dictionary" changes.
std::string own_words_file(const SpellingLanguage& lang);
std::string own_words_path(const State& st, const SpellingLanguage& lang);

// "No spelling dictionary for Czech is installed (package hunspell-cs)".
std::string missing_dictionary_message(const SpellingLanguage& lang);

// Where the system keeps spelling dictionaries, in the order they are searched: the folders
// of $DICPATH, the user's and the system's data folders (hunspell, then the older myspell
// folders). `env` reads an environment variable ("" when unset).
std::vector<std::string>
system_dictionary_folders(const std::function<std::string(const char*)>& env);
// The locale the user works in ("en_GB"), read from LC_ALL, LC_MESSAGES or LANG.
std::string user_locale(const std::function<std::string(const char*)>& env);

// The first dictionary of `stems` found in `folders` (folders in order, then stems in order),
// as a path without extension ("/usr/share/hunspell/en_US"); then any variant of the first
// stem's language. A stem that is `locale` comes first. Empty when none is installed.
std::string find_dictionary(const std::vector<std::string>& folders, const std::string& stems,
                            const std::string& locale = {});

// The spelling dictionaries of one session: found in the program's "dictionaries" folder and
// the given folders, each loaded once, with the own word lists read when first needed and
// again after reload_own_words().
class SpellingDictionaries {
public:
    SpellingDictionaries(OpenDictionary open, std::vector<std::string> folders,
                         std::string locale = {});
    // The checker for `lang` with its own words, or nullptr when no dictionary is installed or
    // it cannot be read, `why` then saying so. Loading may take a second: the window goes on
    // meanwhile.
    SpellChecker* checker(State& st, Ui& ui, const SpellingLanguage& lang, std::string& why);
    // The own word lists are read again at the next check (English's is State::dictionary,
    // which "Reload Dictionary" reads itself).
    void reload_own_words() { own_lists_.clear(); }

private:
    OpenDictionary open_;
    std::vector<std::string> folders_;
    std::string locale_;
    std::map<std::string, std::unique_ptr<SpellChecker>> loaded_; // by dictionary path
    std::map<std::string, std::string> own_lists_;                // by list path
};

// Checks the source labels, or the target texts, of all three panes with `checker` and builds
// the report: per pane, "(row)" and the doubtful words of every row that has any. Rows with a
// finding get the source or target doubt mark; target texts holding a "?" (suspect rows) are
// left out. Returns true when any row gave a finding.
bool spelling_report(State& st, Ui& ui, SpellChecker& checker, bool target, std::string& report);

} // namespace lex
