#pragma once
// The File menu's dispatch and the common Open/Save dialog.

#include <string>

namespace lex {

struct State;
class Ui;

// File menu item indexes.
enum FileItem : int {
    kOpenTxt = 0,
    kOpenList = 2,
    kSave = 4,
    kSaveAs = 5,
    kSaveList = 7,
    kExit = 9,
    kRecentFirst = 10,
    kRecentLast = 15
};

// Runs File menu item `item`. Returns true when the window should close (Exit); the window
// then runs its closing sequence.
bool file_menu_item(State& st, Ui& ui, int item);

// Shows the Save dialog (`save`) or the Open dialog with the filter st.dialog_filter, starting in
// `folder` with `proposed` as the file name. Returns the chosen path, trimmed of blanks and cut
// before a NUL character, or the empty text when cancelled.
std::string choose_path(State& st, Ui& ui, bool save, const std::string& folder,
                        const std::string& proposed);

} // namespace lex
