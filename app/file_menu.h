#pragma once
// The File menu's dispatch.

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
bool mf_click(State& st, Ui& ui, int item);

} // namespace lex
