#include "commands/file_menu.h"

#include "commands/lists.h"
#include "commands/open_document.h"
#include "commands/save_document.h"
#include "document/files.h"
#include "document/state.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/window_state.h"

namespace lex {

bool file_menu_item(State& st, Ui& ui, int item) {
    // A save or another long operation that lets window events run owns the document until it
    // ends; the menu waits for it.
    if (st.win.running) return false;
    close_language_lists(st);
    switch (item) {
    case kOpenTxt:
        if (!wants_to_save_first(st, ui)) {
            std::string path;
            open_document(st, ui, path);
        }
        return false;
    case kSave: {
        if (!st.document_path.empty() && !file_exists(st.document_path)) {
            ui.message("Does not exist");
            return false;
        }
        // A copy: the save reloads the document, which sets document_path itself.
        std::string path = st.document_path;
        save_document(st, ui, path);
        return false;
    }
    case kSaveAs: {
        std::string path;
        save_document(st, ui, path);
        return false;
    }
    case kOpenList:
        if (!wants_to_save_first(st, ui)) open_list(st, ui);
        return false;
    case kSaveList:
        save_list(st, ui);
        return false;
    case kExit:
        return true;
    default:
        break;
    }
    if (item >= kRecentFirst && item <= kRecentLast) {
        std::string path = st.win.recent[std::size_t(item - kRecentFirst)];
        // An empty entry would turn into the Open dialog.
        if (!path.empty() && !wants_to_save_first(st, ui)) {
            open_document(st, ui, path);
            st.opened_from_command_line = false;
        }
    }
    return false;
}

std::string choose_path(State& st, Ui& ui, bool save, const std::string& folder,
                        const std::string& proposed) {
    FileRequest request;
    request.save = save;
    request.title = save ? "Save File" : "Open File";
    request.filter = st.dialog_filter;
    request.folder = folder;
    request.proposed = proposed;
    std::string chosen(trim(ui.choose_file(request)));
    const std::size_t nul = chosen.find('\0');
    if (nul != std::string::npos) chosen.resize(nul);
    return chosen;
}

} // namespace lex
