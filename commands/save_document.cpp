#include "commands/save_document.h"

#include "commands/checks.h"
#include "commands/file_menu.h"
#include "commands/open_document.h"
#include "document/files.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/state.h"
#include "view/window_state.h"

#include <filesystem>
#include <system_error>

namespace lex {

namespace fs = std::filesystem;

std::string backup_path(const State& st, const std::string& file, const Date& d) {
    return join_path(st.backup_dir, file_title(file) + date_text(d) + ".txt");
}

Outcome save_document(State& st, Ui& ui, std::string& path) {
    if (st.document.empty()) {
        ui.message({MessageId::kNoData, "No data"});
        return Outcome::refused("No data");
    }
    if (!icontains(st.document, "codepage")) {
        ui.message({MessageId::kNoCodePage, "Cannot find codepage"});
        return Outcome::refused("Cannot find codepage");
    }

    const std::string oldPath = st.document_path;
    if (path.empty()) {
        st.dialog_filter = std::string("Txt files (*.txt)") + '\0' + "*txt" + '\0';
        std::string chosen = choose_path(st, ui, true, st.program_dir, st.document_path);
        if (chosen.empty()) return Outcome::cancelled();
        if (!icontains(chosen, ".txt")) chosen += ".txt";
        if (file_exists(chosen) || is_link(chosen)) {
            const std::string target = link_target(chosen);
            if (!ui.ask({QuestionId::kReplaceFile,
                         target.empty()
                             ? "File exists . Replace?"
                             : chosen + " is a link to " + target + ". Replace " + target + "?"}))
                return Outcome::cancelled();
            // The file stays until the new text replaces it, and is backed up first.
            st.document_path = chosen;
            update_title(st, ui, st.document_path);
        }
        path = chosen;
    }

    busy_on(st, ui);
    const bool wasRunning = st.win.running;
    st.win.running = true;
    FileWriter& io = writer_for(st);

    // A save that stops leaves the path, title and window as they were before it.
    auto step_back = [&] {
        st.document_path = oldPath;
        update_title(st, ui, st.document_path);
        st.win.running = wasRunning;
        busy_off(st, ui);
    };
    // Nothing on disk changes and the document stays as it was, still marked as changed.
    auto fail = [&](const std::string& text) {
        st.changed = true;
        step_back();
        ui.message({MessageId::kSaveFailed, text});
        return Outcome::failed(text);
    };

    // "Keep Layout When Saving": the file as it stands, but for what changed.
    const std::string out = st.kept.keep_layout ? build_layout_kept_text(st) : build_saved_text(st);
    // A file the program would refuse to open is never written.
    if (const char* refusal = open_refusal(out))
        return fail("Could not save " + path + ": the saved file would be refused when " +
                    "opened (\"" + refusal + "\"). The file was left as it was.");
    // Label bytes the declared code page does not have are a choice the user makes knowingly.
    const int declared = declared_codepage(out);
    bool asked = false;
    if (is_single_byte_codepage(declared)) {
        const auto undefined = new_undefined_labels(out, st.document, declared);
        asked = !undefined.empty();
        if (!undefined.empty() &&
            !ui.ask({QuestionId::kWriteUndefinedBytes,
                     "Some labels would be written with bytes that code page " +
                         std::to_string(declared) +
                         " (the file's CodePage line) does not define, so programs that read the "
                         "labels by that line may refuse the file: " +
                         listed_briefly(undefined) + ". Save anyway?"})) {
            step_back();
            return Outcome::cancelled();
        }
    }

    // Changed rows with characters the file cannot show would read as "?" on a device; asked
    // once, together with the bytes above.
    if (!asked) {
        const auto unrepresentable = unrepresentable_rows(st);
        if (!unrepresentable.empty() &&
            !ui.ask({QuestionId::kUnrepresentableRows,
                     "Some rows hold characters their code page cannot hold, so they would "
                     "show as \"?\": " +
                         listed_briefly(unrepresentable) + ". Save anyway?"})) {
            step_back();
            return Outcome::cancelled();
        }
    }

    // The file about to be replaced is first kept in the backup folder, with the document's own
    // mode, in a folder of the owner's.
    if (file_exists(st.document_path)) {
        const std::string backup = backup_path(st, st.document_path, io.today());
        make_private_folders(st.backup_dir);
        std::error_code ec;
        const fs::perms mode = fs::status(to_path(st.document_path), ec).permissions();
        std::string why;
        if (!io.keep_copy(st.document_path, backup, ec ? 0600u : unsigned(mode & fs::perms::all),
                          why))
            return fail("Could not copy " + st.document_path + " to " + backup + ": " + why +
                        ". Nothing was saved.");
    }

    {
        std::string why;
        if (!io.replace_file(path, out, why))
            return fail("Could not save " + path + ": " + why + ". The file was left as it was.");
    }

    // The document, the rows and the counts now come from what is on disk. Should that fail,
    // the open routine has said why and kept the document as it was before the save.
    std::string reopened = path;
    if (!open_document(st, ui, reopened, true))
        return fail("The file " + path +
                    " was written but could not be opened again. The document stays as it "
                    "was, marked as changed.");
    st.changed = false;
    ++st.documents_saved;
    update_title(st, ui, st.document_path);
    if (st.opened_from_command_line) {
        ui.message({MessageId::kReloadInEditor, "File has to be reloaded in Stylora5"});
        st.opened_from_command_line = false;
    }
    st.win.running = wasRunning;
    busy_off(st, ui);
    return Outcome::done();
}

} // namespace lex
