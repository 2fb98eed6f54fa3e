#pragma once
// The user's actions, in one table: each one's name, where the window shows it, its caption and
// keys, when the window lets the user choose it, how the undo history keeps what it changes and
// what runs. The window builds its menus and buttons from the table and runs an action by its
// id; the command line runs the same commands by name.

#include "document/codepage.h"
#include "document/kind.h"
#include "document/outcome.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace lex {

struct State;
class Ui;
class SpellingDictionaries;
class Translator;
class LabelCodec;
class MemoryKeeper;

enum class ActionId : int {
    // File
    kOpenTxt,
    kOpenList,
    kSave,
    kSaveAs,
    kSaveList,
    kSaveLegend,
    kExportPo,
    kImportPo,
    kExportXliff,
    kImportXliff,
    kKeepLayout, // "Keep Layout When Saving", an item with a check mark
    kExit,
    kOpenRecent, // one item per entry of the recent files
    // Edit
    kUndo,
    kRedo,
    kNextSuspect,
    kPreviousSuspect,
    kNextEmpty,
    kCopySource,
    // View
    kNightPictures,
    // Clear
    kClearPolygons,
    kClearLines,
    kClearPoints,
    // Edit Strings
    kReplaceZero,
    kReplaceSource,
    kDeleteEmpty,
    kSortLanguages,
    // Tools
    kSpelling,
    kSpellingTarget,
    kEditDictionary,
    kEditDictionaryTarget,
    kReloadDictionary,
    kMarkPolygons,
    kMarkLines,
    kMarkPoints,
    kAddLanguage,
    kTranslationService,
    kCheckTranslations,
    kImportTmx,
    kExportTmx,
    // Help
    kCheckOnline,
    kAbout,
    // The buttons above the panes, and each pane's own
    kSurvey,
    kSearch,
    kExport,
    kTranslate,
    kStop,
    kCheckErrors,
    kClearPane,
};
inline constexpr std::size_t kActionCount = std::size_t(ActionId::kClearPane) + 1;

// Where the window shows an action: a menu of the menu bar, the row of buttons above the panes,
// or the head of each pane (such an action works on the pane whose button was pressed).
enum class Place { kFile, kEdit, kView, kClear, kEditStrings, kTools, kHelp, kButton, kPaneButton };
// The title of menu `menu` ("File", ...), menus being the places before kButton.
const char* menu_title(Place menu);

// When the window lets the user choose an action.
enum class When {
    kMenuOpen,   // whenever its menu opens: the menu closes while the document is owned (Help
                 // stays open, its items then do nothing)
    kFree,       // while no action or run owns the document
    kCanUndo,    // free, and the history has a step to take back
    kCanRedo,    // free, and the history has a step to do again
    kRecentFile, // the recent-file entry is enabled
    kAlways,     // always, even while a run owns the document (it ends the run)
    kSwitch,     // whenever its menu opens; the item is ticked while the switch is on
};

// How the undo history keeps what an action changed.
enum class Kept {
    kNot,      // not kept: it changes no rows, or it is the history itself
    kRun,      // a translation run of one pane
    kRows,     // rows of one pane
    kDocument, // the whole document
    kList,     // a translation list opened onto the rows
};

// What a command needs beside the document and the Ui.
struct ActionArgs {
    std::optional<Kind> pane = std::nullopt; // the pane of a pane's button
    int recent = -1;                         // the entry of kOpenRecent
    SpellingDictionaries* dictionaries = nullptr;
    Translator* translator = nullptr;
    // How labels become UTF-8 text (the legend); null: the plain tables of single_byte.h.
    LabelDecoder decode = nullptr;
    const LabelCodec* codec = nullptr; // label bytes to UTF-8 and back; null: the tables
    MemoryKeeper* memory = nullptr;    // the translation memory: asked by runs, taught by saves
};

struct ActionCall {
    State& st;
    Ui& ui;
    const ActionArgs& args;
    bool close_window = false; // Exit: the window runs its closing sequence
    Outcome outcome;           // what the command did, where it tells (done otherwise)
};

struct Action {
    ActionId id;
    const char* name; // "save-as": how code and the command line call it
    Place place;
    bool separator_before; // in its menu
    const char* caption;   // as shown; "" for a recent file, whose path is its caption
    const char* keys;      // in portable key text ("Ctrl+Shift+Z"), several joined by "; "
    When when;
    Kept kept;
    std::optional<Kind> pane; // the pane a menu item works on, if any
    const char* step;         // the undo step's caption, "%1" the pane's name; null: the caption
    void (*run)(ActionCall&); // null: the window runs it (its history, focus and dialogs)
};

// Every action, in the order of the menus and then of the buttons.
std::span<const Action> actions();
const Action& action(ActionId id);
// The action called `name`; null when there is none.
const Action* find_action(std::string_view name);

// Runs the command of action `id` (one with a `run`). Returns true when the window should
// close (Exit).
bool run_action(State& st, Ui& ui, ActionId id, const ActionArgs& args = {});
// Runs it the same way and returns what the command did: for a caller that acts on it (the
// command line). An action that owns no command, or finds the document taken by a run, is
// refused.
Outcome run_action_outcome(State& st, Ui& ui, ActionId id, const ActionArgs& args = {});

} // namespace lex
