#include "commands/startup.h"

#include "commands/settings.h"

#include "commands/language_choice.h"
#include "commands/open_document.h"
#include "document/codepage.h"
#include "document/files.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "translate/spelling.h"
#include "view/panes.h"
#include "view/recent_files.h"
#include "view/rows.h"
#include "view/state.h"
#include "view/window_state.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace lex {

bool serve_first_target(State& st, const std::vector<EngineStep>& directions) {
    const std::string source = kLanguages[std::size_t(st.win.language_row[0])].iso3;
    const int target = st.win.language_row[1];
    if (target < 0 || target >= kTargetLanguages ||
        !engine_chain(directions, source, kLanguages[std::size_t(target)].iso3).empty())
        return false;
    int best = -1;
    std::size_t shortest = 0;
    for (int row = 0; row < kTargetLanguages; ++row) {
        const std::size_t steps =
            row == st.win.language_row[0]
                ? 0
                : engine_chain(directions, source, kLanguages[std::size_t(row)].iso3).size();
        if (steps > 0 && (best < 0 || steps < shortest)) best = row, shortest = steps;
    }
    if (best < 0) return false; // it serves none: the run says so
    select_language(st, kTargetList, best);
    return true;
}

void startup(State& st, Ui& ui, const Folders& folders, const std::string& commandLine,
             const EngineDirections& engine) {
    // Defaults: languages, backup folder, custom code, document path, version.
    set_defaults(st, folders.user);
    st.data_dir = folders.shipped;
    make_private_folders(st.backup_dir);

    // The language lists: the source list starts at its first entry.
    st.win.language_row = {0, 2};
    st.win.language_list_open = {false, false};
    st.target_index = 2;
    st.source_code = "04";
    st.target_code = "02";

    const std::string trdat = settings_path(st);
    const bool first_start = !(file_exists(trdat) && read_settings(st, trdat));
    if (!first_start) {
        refresh_recent(st);
        const int target = language_row_of(st, st.target_code);
        int source = language_row_of(st, st.source_code);
        // A saved source the source list does not offer could never be translated from: the
        // default source takes its place.
        if (source >= language_list_size(kSourceList) ||
            language_code_at(st, source) != st.source_code) {
            source = 0;
            st.source_code = language_code_at(st, source);
        }
        st.win.language_row = {source, target};
        st.source_codepage = codepage_for_code(st.source_code);
        choose_language(st, ui, kTargetList, target);
        st.win.language_caption[0] = language_list_item(kSourceList, source);
        st.win.language_caption[1] = language_list_item(kTargetList, target);
    } else {
        st.win.language_caption = {"English", "German"};
        st.win.language_row = {0, 2};
    }
    st.kept.saved_url = st.translate_url;
    if (const char* env = std::getenv("LEXMARIN_TRANSLATE_URL"); env && *env) {
        st.translate_url = env;
        st.kept.url_overridden = true;
    }
    // A first start gets a target its translations can reach: German, unless the offline engine
    // is the service and cannot translate into it.
    if (first_start && engine) serve_first_target(st, engine(st));

    st.row(kPolygons, 0).caption.clear();
    st.font_codepage = st.source_codepage;
    st.dictionary = read_text_file(st, ui, dictionary_read_path(st));

    for (const Kind kind : kAllKinds)
        for (int row = 1; row < kPermanentRows; ++row) add_blank_row(st, ui, kind, row);
    size_panes(st);
    st.row_count(kPolygons) = st.row_count(kLines) = st.row_count(kPoints) = 0;
    set_progress(st, ui, 0);
    st.zero_fallback = false;

    if (!commandLine.empty() && file_exists(commandLine)) {
        std::string path = commandLine;
        open_document(st, ui, path);
        st.opened_from_command_line = true;
    }
    update_title(st, ui, st.document_path);
}

} // namespace lex
