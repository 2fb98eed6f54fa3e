// The targets of the small files: the settings file and the own word list.

#include "commands/settings.h"
#include "commands/startup.h"
#include "fuzz_targets.h"
#include "translate/hunspell_checker.h"
#include "translate/spelling.h"
#include "view/state.h"

#include <cstdlib>
#include <fstream>
#include <memory>

namespace lex::fuzz {

int settings_file(const std::uint8_t* data, std::size_t size) {
    const std::string path = work_folder() + "/tr.dat";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    State first;
    set_defaults(first, work_folder());
    read_settings(first, path);
    // What is written back stays bounded and reads back as the same settings.
    const std::string written = settings_text(first);
    if (written.size() > kMaxSettingsBytes) invariant_failed("the settings written are too long");
    State second;
    set_defaults(second, work_folder());
    read_settings_text(second, written);
    if (settings_text(second) != written)
        invariant_failed("the settings read back differ:\n" + written + "\n---\n" +
                         settings_text(second));
    return 0;
}

int own_words(const std::uint8_t* data, std::size_t size) {
    // Loading a dictionary takes a while: once per process.
    static const std::unique_ptr<SpellChecker> checker = [] {
        const std::string stem = find_dictionary(system_dictionary_folders([](const char* name) {
                                                     const char* v = std::getenv(name);
                                                     return std::string(v ? v : "");
                                                 }),
                                                 "en_US");
        return stem.empty() ? nullptr : open_hunspell(stem + ".aff", stem + ".dic");
    }();
    if (!checker) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = bytes.find('\0');
    const std::string list = bytes.substr(0, nul);
    const std::string labels = nul == std::string::npos ? std::string() : bytes.substr(nul + 1);
    const int codepage = size % 2 ? 65001 : 1252;
    checker->set_own_words(list, codepage);

    // A word of the own list, letters only, is never doubted.
    std::string word;
    bool plain = true;
    auto end_word = [&] {
        if (plain && !word.empty() && !checker->doubtful_words(word, codepage).empty())
            invariant_failed("the own word \"" + word + "\" is doubted");
        word.clear();
        plain = true;
    };
    for (char c : list) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            word.push_back(c);
        else if (c == ' ' || (c >= '\t' && c <= '\r'))
            end_word();
        else
            plain = false; // the checker cuts such a word its own way
    }
    end_word();

    // Any label, as the rows of a pane, checked on both sides.
    State st;
    set_defaults(st, work_folder());
    std::size_t start = 0;
    int rows = 0;
    while (start < labels.size() && rows < kPermanentRows) {
        std::size_t end = labels.find('\n', start);
        if (end == std::string::npos) end = labels.size();
        Row& row = st.row(kPolygons, rows++);
        row.caption = row.text = labels.substr(start, end - start);
        start = end + 1;
    }
    st.row_count(kPolygons) = rows;
    QuietUi ui;
    std::string report;
    spelling_report(st, ui, *checker, false, report);
    spelling_report(st, ui, *checker, true, report);
    return 0;
}

} // namespace lex::fuzz
