#pragma once
// The common Open/Save dialog. The File menu's commands are in commands/actions.h.

#include <string>

namespace lex {

struct State;
class Ui;

// Shows the Save dialog (`save`) or the Open dialog with the filter st.dialog_filter, starting in
// `folder` with `proposed` as the file name. Returns the chosen path, trimmed of blanks and cut
// before a NUL character, or the empty text when cancelled.
std::string choose_path(State& st, Ui& ui, bool save, const std::string& folder,
                        const std::string& proposed);

} // namespace lex
