#include "translate/spelling.h"

#include "document/codepage.h"
#include "document/files.h"
#include "document/folders.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "view/rows.h"
#include "view/state.h"

#include <algorithm>
#include <chrono>
#include <future>

namespace lex {

std::string dictionary_path(const State& st) {
    return user_file(st, kDictionaryFile);
}

std::string report_path(const State& st) {
    return user_file(st, "tmp_.txt");
}

std::string dictionary_read_path(const State& st) {
    return user_or_shipped_file(st, kDictionaryFile);
}

namespace {

struct KnownLanguage {
    const char* code;
    const char* name;
    const char* list; // own word list, without ".dic"
    const char* stems;
    const char* package;
};

// The languages of the language lists. Finnish, Chinese and Japanese have no dictionary
// package; the others name the Debian package of their most common variant.
constexpr KnownLanguage kKnown[] = {
    {"04", "English", "EN", "en_US en_GB en_CA en_AU", "hunspell-en-us"},
    {"01", "French", "FR", "fr_FR fr", "hunspell-fr"},
    {"02", "German", "DE", "de_DE de_AT de_CH", "hunspell-de-de"},
    {"03", "Dutch", "NL", "nl_NL nl", "hunspell-nl"},
    {"05", "Italian", "IT", "it_IT", "hunspell-it"},
    {"08", "Spanish", "ES", "es_ES es", "hunspell-es"},
    {"15", "Polish", "PL", "pl_PL", "hunspell-pl"},
    {"12", "Czech", "CS", "cs_CZ", "hunspell-cs"},
    {"10", "Portuguese", "PT", "pt_PT pt_BR", "hunspell-pt-pt"},
    {"07", "Swedish", "SV", "sv_SE sv_FI", "hunspell-sv"},
    {"0f", "Norwegian", "NO", "nb_NO nn_NO no_NO", "hunspell-no"},
    {"0e", "Danish", "DA", "da_DK", "hunspell-da"},
    {"06", "Finnish", "FI", "fi_FI", ""},
    {"1b", "Latvian", "LV", "lv_LV", "hunspell-lv"},
    {"1f", "Lithuanian", "LT", "lt_LT", "hunspell-lt"},
    {"11", "Slovak", "SK", "sk_SK", "hunspell-sk"},
    {"19", "Russian", "RU", "ru_RU", "hunspell-ru"},
    {"17", "Greek", "EL", "el_GR", "hunspell-el"},
    {"26", "Chinese", "ZH", "", ""},
    {"25", "Japanese", "JA", "", ""},
    {"28", "Thai", "TH", "th_TH", "hunspell-th"},
    {"29", "Arabic", "AR", "ar", "hunspell-ar"},
    {"16", "Turkish", "TR", "tr_TR", "hunspell-tr"},
    {"00", "Hebrew", "HE", "he_IL", "hunspell-he"},
};

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

SpellingLanguage known_language(const std::string& code, int codepage) {
    SpellingLanguage lang;
    lang.code = code;
    lang.codepage = codepage;
    for (const KnownLanguage& k : kKnown) {
        if (lang_byte(k.code) != lang_byte(code)) continue;
        lang.name = k.name;
        lang.own_list = std::string(k.list) + ".dic";
        lang.stems = k.stems;
        lang.package = k.package;
        return lang;
    }
    lang.name = survey_language_name(lang_byte(code));
    lang.own_list = lang.name + ".dic";
    return lang;
}

// The words are copies: a caller may pass a string that is gone before it reads them.
std::vector<std::string> words_of(std::string_view text, char sep) {
    std::vector<std::string> out;
    for (std::string_view w : split(text, std::string_view(&sep, 1)))
        if (!w.empty()) out.emplace_back(w);
    return out;
}

} // namespace

SpellingLanguage source_spelling_language(const State& st) {
    return known_language(st.source_code, codepage_for_code(st.source_code));
}

SpellingLanguage target_spelling_language(const State& st) {
    if (!custom_target(st)) {
        const std::string& code = st.row_target_code.empty() ? st.target_code : st.row_target_code;
        return known_language(code, target_language_codepage(st));
    }
    // The custom language is known by its web code: "hu" finds hu_HU or any other hu variant.
    SpellingLanguage lang;
    lang.code = st.kept.custom_code;
    lang.codepage = target_language_codepage(st);
    std::string web = st.kept.custom_web_code.substr(0, st.kept.custom_web_code.find('-'));
    lang.name = trim(st.kept.custom_name);
    if (lang.name.empty()) lang.name = "the custom language";
    lang.own_list = (web.empty() ? "0x" + upper(st.kept.custom_code) : upper(web)) + ".dic";
    if (!web.empty()) lang.stems = web + "_" + upper(web) + " " + web;
    return lang;
}

std::string own_words_file(const SpellingLanguage& lang) {
    return "dictionaries/" + lang.own_list;
}

std::string own_words_path(const State& st, const SpellingLanguage& lang) {
    return user_file(st, own_words_file(lang));
}

std::string missing_dictionary_message(const SpellingLanguage& lang) {
    std::string text = "No spelling dictionary for " + lang.name + " is installed";
    if (!lang.package.empty()) text += " (package " + lang.package + ")";
    return text;
}

std::vector<std::string>
system_dictionary_folders(const std::function<std::string(const char*)>& env) {
#ifdef _WIN32
    constexpr char kListSep = ';';
#else
    constexpr char kListSep = ':';
#endif
    std::vector<std::string> out;
    out = words_of(env("DICPATH"), kListSep);
    const std::string home = env("HOME");
    std::string data_home = env("XDG_DATA_HOME");
    if (data_home.empty() && !home.empty()) data_home = join_path(home, ".local/share");
    if (!data_home.empty()) out.push_back(join_path(data_home, "hunspell"));
    std::string data_dirs = env("XDG_DATA_DIRS");
    if (data_dirs.empty()) data_dirs = "/usr/local/share:/usr/share";
    for (const std::string& dir : words_of(data_dirs, ':'))
        out.push_back(join_path(dir, "hunspell"));
    out.emplace_back("/usr/share/myspell");
    out.emplace_back("/usr/share/myspell/dicts");
#ifdef __APPLE__
    if (!home.empty()) out.push_back(join_path(home, "Library/Spelling"));
    out.emplace_back("/Library/Spelling");
#endif
    return out;
}

std::string user_locale(const std::function<std::string(const char*)>& env) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string value = env(name);
        if (value.empty()) continue;
        value = value.substr(0, value.find_first_of(".@"));
        return value == "C" || value == "POSIX" ? std::string() : value;
    }
    return {};
}

std::string find_dictionary(const std::vector<std::string>& folders, const std::string& stems,
                            const std::string& locale) {
    std::vector<std::string> names = words_of(stems, ' ');
    if (names.empty()) return {};
    const std::string language = names[0].substr(0, names[0].find('_'));
    if (!locale.empty() && locale.substr(0, locale.find('_')) == language)
        names.insert(names.begin(), locale);
    auto installed = [](const std::string& stem) {
        return file_exists(stem + ".aff") && file_exists(stem + ".dic");
    };
    for (const std::string& folder : folders)
        for (const std::string& name : names)
            if (std::string stem = join_path(folder, name); installed(stem)) return stem;
    // Any other variant of the language: "de_LU" when only that one is installed.
    for (const std::string& folder : folders) {
        std::error_code ec;
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(to_path(folder), ec)) {
            const std::string file = from_path(entry.path().filename());
            if (file.size() < 5 || file.compare(file.size() - 4, 4, ".aff") != 0) continue;
            const std::string name = file.substr(0, file.size() - 4);
            if (name == language || name.rfind(language + "_", 0) == 0)
                if (installed(join_path(folder, name))) found.push_back(join_path(folder, name));
        }
        if (!found.empty()) return *std::min_element(found.begin(), found.end());
    }
    return {};
}

SpellingDictionaries::SpellingDictionaries(OpenDictionary open, std::vector<std::string> folders,
                                           std::string locale)
    : open_(std::move(open)), folders_(std::move(folders)), locale_(std::move(locale)) {}

SpellChecker* SpellingDictionaries::checker(State& st, Ui& ui, const SpellingLanguage& lang,
                                            std::string& why) {
    // A dictionary put beside the program's own word lists comes first.
    std::vector<std::string> folders{user_file(st, "dictionaries")};
    if (shipped_file(st, "dictionaries") != folders.front())
        folders.push_back(shipped_file(st, "dictionaries"));
    folders.insert(folders.end(), folders_.begin(), folders_.end());
    const std::string stem = find_dictionary(folders, lang.stems, locale_);
    if (stem.empty()) {
        why = missing_dictionary_message(lang);
        return nullptr;
    }
    std::unique_ptr<SpellChecker>& checker = loaded_[stem];
    if (!checker) {
        // A big dictionary takes a second or more to load: load it aside and keep the window
        // painted meanwhile.
        auto job = std::async(std::launch::async, open_, stem + ".aff", stem + ".dic");
        while (job.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready)
            ui.process_events();
        checker = job.get();
        if (!checker) {
            loaded_.erase(stem);
            why = "The spelling dictionary " + stem + ".dic cannot be read";
            return nullptr;
        }
    }
    if (lang.own_list == "EN.dic") {
        checker->set_own_words(st.dictionary, lang.codepage);
    } else {
        const std::string path = user_or_shipped_file(st, own_words_file(lang));
        auto list = own_lists_.find(path);
        if (list == own_lists_.end()) {
            std::string text; // a list not made yet holds no words
            read_file(path, text);
            list = own_lists_.emplace(path, std::move(text)).first;
        }
        checker->set_own_words(list->second, lang.codepage);
    }
    return checker.get();
}

bool spelling_report(State& st, Ui& ui, SpellChecker& checker, bool target, std::string& report) {
    static const std::string kDots(40, '.');
    static constexpr const char* kTitles[] = {"Polygons", "Lines", "Pois"};
    const int codepage = target ? target_cell_codepage(st) : source_cell_codepage(st);
    bool found = false;
    report.clear();
    Throttle yield(ui);
    for (const Kind kind : kAllKinds) {
        if (kind > 0) {
            ui.process_events();
            report += "\r\n" + kDots + "\r\n";
        }
        report += std::string(kTitles[kind]) + "\r\n" + kDots + "\r\n";
        auto& rows = st.rows(kind);
        const int n = std::min<int>(st.row_count(kind), int(rows.size()));
        for (int r = 0; r < n; ++r) {
            yield();
            Row& row = rows[std::size_t(r)];
            bool& doubt = target ? row.marks.target_doubt : row.marks.source_doubt;
            doubt = false;
            const std::string& label = target ? row.text : row.caption;
            if (target && label.find('?') != std::string::npos) continue;
            const std::vector<std::string> words = checker.doubtful_words(label, codepage);
            if (words.empty()) continue;
            report += "(" + std::to_string(r) + ")";
            for (std::size_t i = 0; i < words.size(); ++i) report += (i ? " " : "") + words[i];
            report += "\r\n\r\n";
            doubt = true;
            found = true;
        }
        ui.refresh(RefreshTarget::pane_rows(kind));
    }
    ui.process_events();
    return found;
}

} // namespace lex
