#include "commands/actions.h"

#include "commands/clear_translations.h"
#include "commands/export_editor.h"
#include "commands/help.h"
#include "commands/interchange.h"
#include "commands/legend.h"
#include "commands/lists.h"
#include "commands/memory.h"
#include "commands/open_document.h"
#include "commands/save_document.h"
#include "commands/search.h"
#include "commands/string_tools.h"
#include "commands/survey.h"
#include "commands/tools_menu.h"
#include "commands/translation.h"
#include "document/files.h"
#include "document/single_byte.h"
#include "document/ui.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>
#include <array>
#include <optional>

namespace lex {

namespace {

// The File and Edit Strings commands wait for an operation that owns the document (a save or
// another one that lets window events run), and close an open language list.
bool take_document(State& st) {
    if (st.win.running) return false;
    close_language_lists(st);
    return true;
}

void open_txt(ActionCall& c) {
    if (!take_document(c.st) || wants_to_save_first(c.st, c.ui)) return;
    std::string path;
    open_document(c.st, c.ui, path);
}

// Saves, and teaches the memory the user's own translations that the save wrote (the rows are
// read back from the file afterwards, so they are taken before).
void save_teaching_memory(ActionCall& c, std::string& path) {
    const std::vector<MemoryPair> own =
        c.args.memory ? own_translations(c.st, *c.args.memory) : std::vector<MemoryPair>{};
    c.outcome = save_document(c.st, c.ui, path);
    if (c.outcome.ok() && c.args.memory) learn_own_translations(c.st, c.ui, *c.args.memory, own);
}

void save(ActionCall& c) {
    if (!take_document(c.st)) return;
    if (!c.st.document_path.empty() && !file_exists(c.st.document_path)) {
        c.ui.message({MessageId::kFileMissing, "Does not exist"});
        return;
    }
    // A copy: the save reloads the document, which sets document_path itself.
    std::string path = c.st.document_path;
    save_teaching_memory(c, path);
}

void open_recent(ActionCall& c) {
    if (!take_document(c.st)) return;
    const auto& recent = c.st.win.recent;
    if (c.args.recent < 0 || std::size_t(c.args.recent) >= recent.size()) return;
    std::string path = recent[std::size_t(c.args.recent)];
    // An empty entry would turn into the Open dialog.
    if (!path.empty() && !wants_to_save_first(c.st, c.ui)) {
        open_document(c.st, c.ui, path);
        c.st.opened_from_command_line = false;
    }
}

void open_list_asking(ActionCall& c) {
    if (take_document(c.st) && !wants_to_save_first(c.st, c.ui)) open_list(c.st, c.ui);
}

void save_as(ActionCall& c) {
    std::string path;
    if (take_document(c.st)) save_teaching_memory(c, path);
}

template <Outcome (*Exchange)(State&, Ui&, MemoryKeeper&, std::string)>
void exchange_tmx(ActionCall& c) {
    c.outcome = c.args.memory && take_document(c.st) ? Exchange(c.st, c.ui, *c.args.memory, {})
                                                     : Outcome::refused({});
}

void save_list_as(ActionCall& c) {
    if (take_document(c.st)) save_list(c.st, c.ui);
}

void save_legend_as(ActionCall& c) {
    if (take_document(c.st))
        c.outcome = save_legend(c.st, c.ui, c.args.decode ? c.args.decode : single_byte_to_utf8);
}

void night_pictures(ActionCall& c) {
    c.st.win.night_pictures = !c.st.win.night_pictures;
    c.ui.refresh(RefreshTarget::everything());
}

template <ExchangeFormat Format> void export_translations(ActionCall& c) {
    if (!take_document(c.st)) return;
    ExchangeOptions options;
    options.codec = c.args.codec;
    c.outcome = export_exchange(c.st, c.ui, Format, options);
}

template <ExchangeFormat Format> void import_translations(ActionCall& c) {
    if (!take_document(c.st)) return;
    ExchangeOptions options;
    options.codec = c.args.codec;
    c.outcome = import_exchange(c.st, c.ui, Format, options);
}

void keep_layout(ActionCall& c) {
    c.st.kept.keep_layout = !c.st.kept.keep_layout;
}

void exit_window(ActionCall& c) {
    c.close_window = take_document(c.st);
}

template <void (*Command)(State&, Ui&)> void with_document(ActionCall& c) {
    Command(c.st, c.ui);
}

template <Outcome (*Operation)(State&, Ui&)> void edit_strings(ActionCall& c) {
    c.outcome = take_document(c.st) ? Operation(c.st, c.ui) : Outcome::refused({});
}

Outcome sort(State& st, Ui& ui) {
    return sort_languages(st, ui, SortMode::kAsk);
}

// The pane an action works on: its own (a menu item's) or the one whose button was pressed;
// nothing when that is no pane.
std::optional<Kind> pane_of(const ActionCall& c, ActionId id) {
    const std::optional<Kind> own = action(id).pane;
    return own ? own : c.args.pane;
}

template <ActionId Id> void clear(ActionCall& c) {
    if (const std::optional<Kind> pane = pane_of(c, Id)) clear_translations(c.st, c.ui, *pane);
}

template <ActionId Id> void mark(ActionCall& c) {
    if (const std::optional<Kind> pane = pane_of(c, Id))
        mark_same_as_source_suspect(c.st, c.ui, *pane);
}

template <bool Target> void spelling(ActionCall& c) {
    spell_labels(c.st, c.ui, c.args.dictionaries, Target);
}

template <bool Target> void own_words(ActionCall& c) {
    edit_own_words(c.st, c.ui, Target);
}

void reload(ActionCall& c) {
    reload_dictionary(c.st, c.ui, c.args.dictionaries);
}

void add_language(ActionCall& c) {
    c.ui.message({MessageId::kNotAvailable, "Available next update"});
}

void stop(ActionCall& c) {
    if (c.args.pane) stop_translation(c.st, *c.args.pane);
}

template <Outcome (*Run)(State&, Ui&, Translator&, Kind, const RunOptions&)>
void run_pane(ActionCall& c) {
    if (!c.args.translator || !c.args.pane) {
        c.outcome = Outcome::refused({});
        return;
    }
    // The memory answers first, when there is one and it is on.
    MemoryUse memory = c.args.memory ? c.args.memory->use(c.st, c.ui) : MemoryUse{};
    RunOptions options;
    options.memory = memory.memory ? &memory : nullptr;
    c.outcome = Run(c.st, c.ui, *c.args.translator, *c.args.pane, options);
    if (memory.failed && c.args.memory) c.args.memory->failed_in_run();
}

using enum ActionId;
using enum Place;
using enum When;
using enum Kept;
constexpr std::optional<Kind> kNoPane;

// Each row: id, name, place, a separator before it; caption, keys; when, kept, pane, undo step,
// what runs.
// clang-format off
constexpr std::array kActions{
    Action{kOpenTxt, "open-txt", kFile, false,
           "Open TXT", "",
           kMenuOpen, kNot, kNoPane, nullptr, open_txt},
    Action{kOpenList, "open-list", kFile, true,
           "Open List", "",
           kMenuOpen, kList, kNoPane, nullptr, open_list_asking},
    Action{kSave, "save", kFile, true,
           "Save ", "Ctrl+S",
           kMenuOpen, kNot, kNoPane, nullptr, save},
    Action{kSaveAs, "save-as", kFile, false,
           "Save As", "",
           kMenuOpen, kNot, kNoPane, nullptr, save_as},
    Action{kSaveList, "save-list", kFile, true,
           "Save List", "",
           kMenuOpen, kNot, kNoPane, nullptr, save_list_as},
    Action{kSaveLegend, "save-legend", kFile, false,
           "Save Legend...", "",
           kMenuOpen, kNot, kNoPane, nullptr, save_legend_as},
    Action{kExportPo, "export-po", kFile, true,
           "Export PO...", "",
           kMenuOpen, kNot, kNoPane, nullptr, export_translations<ExchangeFormat::kPo>},
    Action{kImportPo, "import-po", kFile, false,
           "Import PO...", "",
           kMenuOpen, kList, kNoPane, nullptr, import_translations<ExchangeFormat::kPo>},
    Action{kExportXliff, "export-xliff", kFile, false,
           "Export XLIFF...", "",
           kMenuOpen, kNot, kNoPane, nullptr, export_translations<ExchangeFormat::kXliff>},
    Action{kImportXliff, "import-xliff", kFile, false,
           "Import XLIFF...", "",
           kMenuOpen, kList, kNoPane, nullptr, import_translations<ExchangeFormat::kXliff>},
    Action{kKeepLayout, "keep-layout", kFile, true,
           "Keep Layout When Saving", "",
           kSwitch, kNot, kNoPane, nullptr, keep_layout},
    Action{kExit, "exit", kFile, true,
           "Exit", "",
           kMenuOpen, kNot, kNoPane, nullptr, exit_window},
    // One item per entry of the recent files, its path as its caption.
    Action{kOpenRecent, "open-recent", kFile, false,
           "", "",
           kRecentFile, kNot, kNoPane, nullptr, open_recent},

    // The window runs the Edit menu itself: its history, the row with the keyboard.
    Action{kUndo, "undo", kEdit, false,
           "Undo", "Ctrl+Z",
           kCanUndo, kNot, kNoPane, nullptr, nullptr},
    Action{kRedo, "redo", kEdit, false,
           "Redo", "Ctrl+Shift+Z; Ctrl+Y",
           kCanRedo, kNot, kNoPane, nullptr, nullptr},
    Action{kNextSuspect, "next-suspect", kEdit, true,
           "Next Suspect", "F8",
           kFree, kNot, kNoPane, nullptr, nullptr},
    Action{kPreviousSuspect, "previous-suspect", kEdit, false,
           "Previous Suspect", "Shift+F8",
           kFree, kNot, kNoPane, nullptr, nullptr},
    Action{kNextEmpty, "next-empty", kEdit, false,
           "Next Empty", "Ctrl+F8",
           kFree, kNot, kNoPane, nullptr, nullptr},
    Action{kCopySource, "copy-source", kEdit, true,
           "Copy Source to Target", "Ctrl+B",
           kFree, kRows, kNoPane, nullptr, nullptr},

    Action{kNightPictures, "night-pictures", kView, false,
           "Night Pictures", "",
           kSwitch, kNot, kNoPane, nullptr, night_pictures},

    Action{kClearPolygons, "clear-polygons", kClear, false,
           "Clear Current Polygon Translations", "",
           kMenuOpen, kRows, kPolygons, "Clear %1", clear<kClearPolygons>},
    Action{kClearLines, "clear-lines", kClear, false,
           "Clear Current Line Translations", "",
           kMenuOpen, kRows, kLines, "Clear %1", clear<kClearLines>},
    Action{kClearPoints, "clear-points", kClear, false,
           "Clear Current POIsTranslations", "",
           kMenuOpen, kRows, kPoints, "Clear %1", clear<kClearPoints>},

    // The first two captions name the languages in use once the menu has opened.
    Action{kReplaceZero, "move-zero", kEditStrings, false,
           "Replace 0x00 with 0xXX", "",
           kMenuOpen, kDocument, kNoPane, nullptr, edit_strings<replace_zero_labels>},
    Action{kReplaceSource, "source-to-target", kEditStrings, false,
           "Replace Source with Target", "",
           kMenuOpen, kDocument, kNoPane, nullptr, edit_strings<replace_source_with_target>},
    Action{kDeleteEmpty, "delete-empty", kEditStrings, true,
           "Delete Empty Strings", "",
           kMenuOpen, kDocument, kNoPane, nullptr, edit_strings<delete_empty_labels>},
    Action{kSortLanguages, "sort", kEditStrings, true,
           "Sort Languages", "",
           kMenuOpen, kDocument, kNoPane, nullptr, edit_strings<sort>},

    Action{kSpelling, "spelling", kTools, false,
           "Spelling", "",
           kMenuOpen, kNot, kNoPane, nullptr, spelling<false>},
    Action{kSpellingTarget, "spelling-target", kTools, false,
           "Spelling (target language)", "",
           kMenuOpen, kNot, kNoPane, nullptr, spelling<true>},
    Action{kEditDictionary, "edit-dictionary", kTools, true,
           "Edit Dictionary", "",
           kMenuOpen, kNot, kNoPane, nullptr, own_words<false>},
    Action{kEditDictionaryTarget, "edit-dictionary-target", kTools, false,
           "Edit Dictionary (target language)", "",
           kMenuOpen, kNot, kNoPane, nullptr, own_words<true>},
    Action{kReloadDictionary, "reload-dictionary", kTools, false,
           "Reload Dictionary", "",
           kMenuOpen, kNot, kNoPane, nullptr, reload},
    Action{kMarkPolygons, "mark-polygons", kTools, true,
           "Mark  Light Blue Polygons for checking", "",
           kMenuOpen, kRows, kPolygons,
           "Mark Light Blue Polygons for checking", mark<kMarkPolygons>},
    Action{kMarkLines, "mark-lines", kTools, false,
           "Mark Light Blue Lines for checking", "",
           kMenuOpen, kRows, kLines, nullptr, mark<kMarkLines>},
    Action{kMarkPoints, "mark-points", kTools, false,
           "Mark Light Blue POIs for checking", "",
           kMenuOpen, kRows, kPoints, nullptr, mark<kMarkPoints>},
    Action{kAddLanguage, "add-language", kTools, true,
           "Add Custom  Language", "",
           kMenuOpen, kNot, kNoPane, nullptr, add_language},
    Action{kTranslationService, "translation-service", kTools, true,
           "Translation Service...", "",
           kMenuOpen, kNot, kNoPane, nullptr, nullptr},
    Action{kCheckTranslations, "check-translations", kTools, true,
           "Check Translations", "",
           kMenuOpen, kNot, kNoPane, nullptr, nullptr},
    Action{kImportTmx, "import-tmx", kTools, true,
           "Import TMX...", "",
           kMenuOpen, kNot, kNoPane, nullptr, exchange_tmx<import_tmx>},
    Action{kExportTmx, "export-tmx", kTools, false,
           "Export TMX...", "",
           kMenuOpen, kNot, kNoPane, nullptr, exchange_tmx<export_tmx>},

    Action{kCheckOnline, "check-online", kHelp, false,
           "Check Online", "",
           kMenuOpen, kNot, kNoPane, nullptr, with_document<check_online>},
    Action{kAbout, "about", kHelp, true,
           "About", "",
           kMenuOpen, kNot, kNoPane, nullptr, nullptr},

    Action{kSurvey, "survey", kButton, false,
           "Check Which Languages", "",
           kFree, kNot, kNoPane, nullptr, with_document<language_survey>},
    Action{kSearch, "search", kButton, false,
           "Search", "",
           kFree, kNot, kNoPane, nullptr, with_document<search_labels>},
    Action{kExport, "export", kButton, false,
           "Export to Stylora5", "",
           kFree, kNot, kNoPane, nullptr, with_document<export_to_editor>},

    Action{kTranslate, "translate", kPaneButton, false,
           "Translate", "",
           kFree, kRun, kNoPane, "Translate %1", run_pane<translate_pane>},
    Action{kStop, "stop", kPaneButton, false,
           "STOP", "",
           kAlways, kNot, kNoPane, nullptr, stop},
    Action{kCheckErrors, "check-errors", kPaneButton, false,
           "Check Errors", "",
           kFree, kRun, kNoPane, "Check Errors %1", run_pane<check_errors>},
    Action{kClearPane, "clear", kPaneButton, false,
           "Clr", "",
           kFree, kRows, kNoPane, "Clear %1", clear<kClearPane>},
};
// clang-format on

// action() finds a row by its id.
constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < kActions.size(); ++i)
        if (std::size_t(kActions[i].id) != i) return false;
    return kActions.size() == kActionCount;
}
static_assert(inIdOrder(), "the table lists every action once, in the order of ActionId");

} // namespace

const char* menu_title(Place menu) {
    static constexpr std::array<const char*, 7> kTitles{"File",         "Edit",  "View", "Clear",
                                                        "Edit Strings", "Tools", "Help"};
    return std::size_t(menu) < kTitles.size() ? kTitles[std::size_t(menu)] : "";
}

std::span<const Action> actions() {
    return kActions;
}

const Action& action(ActionId id) {
    return kActions[std::size_t(id)];
}

const Action* find_action(std::string_view name) {
    const auto it = std::find_if(kActions.begin(), kActions.end(),
                                 [&](const Action& a) { return a.name == name; });
    return it == kActions.end() ? nullptr : &*it;
}

bool run_action(State& st, Ui& ui, ActionId id, const ActionArgs& args) {
    const Action& a = action(id);
    if (!a.run) return false;
    ActionCall call{st, ui, args, false, {}};
    a.run(call);
    return call.close_window;
}

Outcome run_action_outcome(State& st, Ui& ui, ActionId id, const ActionArgs& args) {
    const Action& a = action(id);
    if (!a.run) return Outcome::refused({});
    ActionCall call{st, ui, args, false, {}};
    a.run(call);
    return call.outcome;
}

} // namespace lex
