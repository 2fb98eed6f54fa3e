#include "commands/file_menu.h"

#include "document/text.h"
#include "document/ui.h"
#include "view/state.h"

namespace lex {

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
