#include "app/file_menu.h"

#include "app/window_state.h"
#include "document/files.h"
#include "document/loading.h"
#include "document/save.h"
#include "document/state.h"
#include "document/text.h"
#include "document/ui.h"

namespace lex {

bool mf_click(State& st, Ui& ui, int item) {
    // A save or another long operation that lets window events run owns the document until it
    // ends; the menu waits for it.
    if (st.win.running) return false;
    invisl4(st);
    switch (item) {
    case kOpenTxt:
        if (!chksav(st, ui)) {
            std::string path;
            opentxt(st, ui, path);
        }
        return false;
    case kSave: {
        if (!st.fname.empty() && !file_exists(st.fname)) {
            ui.message("Does not exist");
            return false;
        }
        // A copy: the save reloads the document, which sets fname itself.
        std::string path = st.fname;
        savefile(st, ui, path);
        return false;
    }
    case kSaveAs: {
        std::string path;
        savefile(st, ui, path);
        return false;
    }
    case kExit:
        return true;
    default:
        break;
    }
    if (item >= kRecentFirst && item <= kRecentLast) {
        std::string path = st.win.recent[std::size_t(item - kRecentFirst)];
        // An empty entry would turn into the Open dialog.
        if (!path.empty() && !chksav(st, ui)) {
            opentxt(st, ui, path);
            st.fromcmdline = false;
        }
    }
    return false;
}

std::string filedialog(State& st, Ui& ui, bool save, const std::string& folder,
                       const std::string& proposed) {
    FileRequest request;
    request.save = save;
    request.title = save ? "Save File" : "Open File";
    request.filter = st.dlgfilter;
    request.folder = folder;
    request.proposed = proposed;
    std::string chosen(trim(ui.choose_file(request)));
    const std::size_t nul = chosen.find('\0');
    if (nul != std::string::npos) chosen.resize(nul);
    return chosen;
}

} // namespace lex
