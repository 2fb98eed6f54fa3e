#include "commands/export_editor.h"

#include "commands/save_document.h"
#include "commands/string_tools.h"
#include "document/files.h"
#include "document/folders.h"
#include "document/ui.h"
#include "view/state.h"
#include "view/window_state.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace lex {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr char kPathListSeparator = ';';
#else
constexpr char kPathListSeparator = ':';
#endif

// A plain file with an execute permission bit set.
bool is_executable(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(to_path(path), ec);
    if (ec || !fs::is_regular_file(status)) return false;
    constexpr fs::perms kExec =
        fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    return (status.permissions() & kExec) != fs::perms::none;
}

// The first executable `name` in the folders of `search_path`, or "".
std::string find_program(const std::string& name, const std::string& search_path) {
    std::size_t start = 0;
    while (start <= search_path.size()) {
        std::size_t end = search_path.find(kPathListSeparator, start);
        if (end == std::string::npos) end = search_path.size();
        const std::string dir = search_path.substr(start, end - start);
        const std::string candidate = join_path(dir.empty() ? "." : dir, name);
        if (is_executable(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

// A path as a Windows program under Wine sees it: the root folder is drive Z:.
std::string wine_drive_path(const std::string& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(to_path(path), ec);
    std::string out = "Z:" + (ec ? path : from_path(absolute));
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

} // namespace

std::optional<EditorLaunch> editor_launch(const std::string& editor, const std::string& document,
                                          const std::string& search_path) {
    if (!file_exists(editor)) return std::nullopt;
#ifdef _WIN32
    (void)search_path;
    return EditorLaunch{editor, {document}};
#else
    if (is_executable(editor)) return EditorLaunch{editor, {document}};
    const std::string wine = find_program("wine", search_path);
    if (wine.empty()) return std::nullopt;
    return EditorLaunch{wine, {editor, wine_drive_path(document)}};
#endif
}

void export_to_editor(State& st, Ui& ui) {
    if (st.win.running) return;
    close_language_lists(st);
    if (!require_rows(st, ui)) return;
    // Rows from a list opened without a document: there is no TYP file to hand over.
    if (st.document.empty()) {
        ui.message({MessageId::kNoDocumentOpen,
                    "No TYP text file is open: open one before exporting it to Stylora5."});
        return;
    }
    // Yes: the user saves with the File menu and exports again.
    if (wants_to_save_first(st, ui)) return;
    if (ui.ask({QuestionId::kSortLanguages, "Sort Languages?"}) &&
        sort_languages(st, ui, SortMode::kSilent).count > 0) {
        std::string path = st.document_path;
        if (!save_document(st, ui, path)) return; // the save has said why
        ui.message({MessageId::kSorted, "Languages sorted and saved."});
    }
    const char* search_path = std::getenv("PATH");
    // The editor is put beside the program's own files (the user folder of an installed one).
    const auto launch = editor_launch(user_or_shipped_file(st, "stl5.exe"), st.document_path,
                                      search_path ? search_path : "");
    if (!launch) {
        ui.message({MessageId::kEditorMissing, "Cannot find Stylora5"});
        return;
    }
    ui.start_program(launch->program, launch->arguments);
}

} // namespace lex
