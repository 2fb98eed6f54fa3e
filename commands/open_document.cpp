#include "commands/open_document.h"

#include "commands/survey.h"
#include "document/codepage.h"
#include "document/files.h"
#include "document/single_byte.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/recent_files.h"
#include "view/rows.h"
#include "view/state.h"
#include "view/window_state.h"

namespace lex {

std::string read_whole_file(State& st, Ui& ui, const std::string& path, bool* failed) {
    if (failed) *failed = false;
    if (path.empty()) return {};
    busy_on(st, ui);
    std::string text;
    std::string why;
    if (!file_exists(path)) {
        ui.message({MessageId::kFileMissing, path + " doesn't exist"});
    } else if (!read_file(path, text, &why)) {
        ui.message({MessageId::kCannotRead, "Could not read " + path + ": " + why});
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

// UTF-8 labels under a single-byte CodePage line hold bytes the declared code page does not
// have (or means otherwise), which a program that reads the labels by that line gets wrong.
// Offers to make the file hold what it declares: the labels converted where they fit, or the
// line changed to 65001.
void offer_label_repair(State& st, Ui& ui, int declared) {
    const std::string cp = std::to_string(declared);
    const LabelRecoding plan = has_byte_table(declared)
                                   ? recode_utf8_labels(st.document, declared, false)
                                   : LabelRecoding{0, {}};
    std::vector<Ui::Answer> answers;
    std::string text = "Programs that read the labels by the CodePage line read UTF-8 labels as "
                       "code page " +
                       cp + ", which shows them wrongly or refuses them. ";
    if (plan.converted > 0) {
        answers.push_back(
            {plan.misfits.empty() ? kConvertLabels : kConvertFittingLabels, "Convert to " + cp});
        text += "Convert the labels to code page " + cp +
                ", change the CodePage line to 65001 (UTF-8), or keep the file as it is?";
        if (!plan.misfits.empty())
            text += "\n\nThese labels do not fit in code page " + cp +
                    " and stay as they are when converting: " + listed_briefly(plan.misfits) + ".";
    } else {
        text += (has_byte_table(declared)
                     ? "No label fits in code page " + cp + ". "
                     : "Lexmarin cannot convert labels to code page " + cp + ". ") +
                "Change the CodePage line to 65001 (UTF-8), or keep the file as it is?";
    }
    answers.push_back({kDeclareUtf8, "Set CodePage=65001"});
    answers.push_back({kKeepLabels, "Keep as it is"});

    switch (ui.choose({QuestionId::kRepairUtf8Labels, text}, answers)) {
    case kConvertLabels:
    case kConvertFittingLabels:
        recode_utf8_labels(st.document, declared, true);
        st.text_changed();
        st.utf8_labels = false;
        st.changed = true;
        break;
    case kDeclareUtf8:
        if (set_declared_codepage(st.document, kUtf8CodePage)) st.changed = true;
        st.text_changed();
        break;
    default:
        break;
    }
}

// Whether the labels of the document just read are to be handled as UTF-8, asking when its
// CodePage line and its label bytes disagree; after Yes, offers to repair the disagreement.
void choose_label_encoding(State& st, Ui& ui) {
    const int declared = declared_codepage(st.document);
    st.utf8_labels = declared == kUtf8CodePage;
    if (st.utf8_labels || !is_single_byte_codepage(declared) || !labels_look_utf8(st.document))
        return;
    st.utf8_labels = ui.ask({QuestionId::kLabelsAreUtf8,
                             "The labels of this file are UTF-8 text, but its CodePage line says " +
                                 std::to_string(declared) + ". Show and write them as UTF-8?"});
    if (st.utf8_labels) offer_label_repair(st, ui, declared);
}

} // namespace

void say_no_source_labels(State& st, Ui& ui) {
    ui.message({MessageId::kNoSourceLabels, "No 0x" + st.source_code + " Labels found"});
    language_survey(st, ui);
}

Outcome open_document(State& st, Ui& ui, std::string& path, bool reopening_saved) {
    st.dialog_filter = std::string("Txt files (*.txt)") + '\0' + "*txt" + '\0';
    if (path.empty()) {
        FileRequest request;
        request.save = false;
        request.title = "Open File";
        request.filter = st.dialog_filter;
        request.folder = st.document_path;
        request.proposed = st.kept.last_opened;
        path = ui.choose_file(request);
        if (path.empty()) return Outcome::cancelled();
        st.opened_from_command_line = false;
    }
    busy_on(st, ui);

    // What a refused file must not take away from the document that was open before.
    const std::string oldPath = st.document_path;
    const std::string oldLastOpened = st.kept.last_opened;
    const bool oldChanged = st.changed;
    std::string oldText;
    bool loaded = false;

    st.changed = false;
    st.document_path = path;
    st.kept.last_opened = st.document_path;
    update_title(st, ui, path);

    // `text` is said here; without one the routine that refused has said why.
    auto refuse = [&](const char* text, Outcome outcome) {
        if (text) ui.message({MessageId::kFileRefused, text});
        st.document_path = oldPath;
        st.kept.last_opened = oldLastOpened;
        st.changed = oldChanged;
        if (loaded) {
            st.document.swap(oldText);
            st.text_changed();
        }
        update_title(st, ui, st.document_path);
        busy_off(st, ui);
        return outcome;
    };

    if (!file_exists(path))
        return refuse("File does not exist.", Outcome::failed("File does not exist."));

    bool unreadable = false;
    std::string text = read_whole_file(st, ui, path, &unreadable);
    if (unreadable) return refuse(nullptr, Outcome::failed("Could not read " + path));
    // The repairs below leave the marks of foreign files as they are.
    const TextChecks checks = check_text(text);
    // A save that keeps the layout writes the file's own bytes where nothing changed.
    std::string bytes;
    if (checks.obsolete_code || checks.line_repairs) bytes = text;
    if (checks.obsolete_code) normalize_language_codes(text);
    if (checks.line_repairs) normalize_document(text);
    oldText.swap(st.document);
    st.document.swap(text);
    st.text_changed();
    loaded = true;

    if (refuse_foreign_file(ui, st.document, checks))
        return refuse(nullptr, Outcome::refused("written by another tool"));
    if (const char* why = typ_refusal(st.document)) return refuse(why, Outcome::refused(why));

    st.file_bytes.swap(bytes);
    remember_recent(st, path);
    if (!reopening_saved) choose_label_encoding(st, ui);
    if (!st.document.empty() && st.rows_on_open) {
        st.list_loaded = false;
        rebuild_rows(st, ui);
    }
    if (st.rows_on_open && st.row_count(kPoints) == 0 && st.row_count(kPolygons) == 0 &&
        st.row_count(kLines) == 0)
        say_no_source_labels(st, ui);
    if (st.changed) update_title(st, ui, path); // a label repair above changed the document
    ++st.documents_opened;
    busy_off(st, ui);
    return Outcome::done(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
}

} // namespace lex
