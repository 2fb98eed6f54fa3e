#include "commands/open_document.h"

#include "commands/survey.h"
#include "document/codepage.h"
#include "document/files.h"
#include "document/state.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/recent_files.h"
#include "view/rows.h"
#include "view/window_state.h"

namespace lex {

std::string read_whole_file(State& st, Ui& ui, const std::string& path, bool* failed) {
    if (failed) *failed = false;
    if (path.empty()) return {};
    busy_on(st, ui);
    std::string text;
    std::string why;
    if (!file_exists(path)) {
        ui.message(path + " doesn't exist");
    } else if (!read_file(path, text, &why)) {
        ui.message("Could not read " + path + ": " + why);
        if (failed) *failed = true;
    }
    busy_off(st, ui);
    return text;
}

std::string read_text_file(State& st, Ui& ui, const std::string& path, bool* failed) {
    std::string text = read_whole_file(st, ui, path, failed);
    text.resize(rtrim(text).size());
    return text;
}

namespace {

// Whether the labels of the document just read are to be handled as UTF-8, asking when its
// CodePage line and its label bytes disagree.
bool choose_label_encoding(const std::string& text, Ui& ui) {
    const int declared = declared_codepage(text);
    if (declared == kUtf8CodePage) return true;
    if (!is_single_byte_codepage(declared) || !labels_look_utf8(text)) return false;
    return ui.ask("The labels of this file are UTF-8 text, but its CodePage line says " +
                  std::to_string(declared) + ". Show and write them as UTF-8?");
}

} // namespace

bool open_document(State& st, Ui& ui, std::string& path, bool reopening_saved) {
    st.dialog_filter = std::string("Txt files (*.txt)") + '\0' + "*txt" + '\0';
    if (path.empty()) {
        FileRequest request;
        request.save = false;
        request.title = "Open File";
        request.filter = st.dialog_filter;
        request.folder = st.document_path;
        request.proposed = st.last_opened;
        path = ui.choose_file(request);
        if (path.empty()) return false;
        st.opened_from_command_line = false;
    }
    busy_on(st, ui);

    // What a refused file must not take away from the document that was open before.
    const std::string oldPath = st.document_path;
    const std::string oldLastOpened = st.last_opened;
    const bool oldChanged = st.changed;
    std::string oldText;
    bool loaded = false;

    st.changed = false;
    st.document_path = path;
    st.last_opened = st.document_path;
    update_title(st, ui, path);

    auto refuse = [&](const char* text) {
        if (text) ui.message(text);
        st.document_path = oldPath;
        st.last_opened = oldLastOpened;
        st.changed = oldChanged;
        if (loaded) st.document.swap(oldText);
        update_title(st, ui, st.document_path);
        busy_off(st, ui);
        return false;
    };

    if (!file_exists(path)) return refuse("File does not exist.");

    bool unreadable = false;
    std::string text = read_whole_file(st, ui, path, &unreadable);
    if (unreadable) return refuse(nullptr);
    // The repairs below leave the marks of foreign files as they are.
    const TextChecks checks = check_text(text);
    if (checks.obsolete_code) normalize_language_codes(text);
    if (checks.line_repairs) normalize_document(text);
    oldText.swap(st.document);
    st.document.swap(text);
    loaded = true;

    if (refuse_foreign_file(ui, st.document, checks)) return refuse(nullptr);
    if (const char* why = typ_refusal(st.document)) return refuse(why);

    remember_recent(st, path);
    if (!reopening_saved) st.utf8_labels = choose_label_encoding(st.document, ui);
    if (!st.document.empty()) {
        st.list_loaded = false;
        rebuild_rows(st, ui);
    }
    if (st.row_count(kPoints) == 0 && st.row_count(kPolygons) == 0 && st.row_count(kLines) == 0) {
        ui.message("No 0x" + st.source_code + " Labels found");
        language_survey(st, ui);
    }
    ++st.documents_opened;
    busy_off(st, ui);
    return true;
}

} // namespace lex
