#pragma once
// Small routines that keep the window model in step with the document.

#include <string>

#include "document/kind.h"

namespace lex {

struct State;
class Ui;

// Window title "Lexmarin :  1.22 name" (" (UTF-8)" after it when the labels are handled as
// UTF-8, "+" when changed) for the document at `path`, and the three count captions.
void update_title(State& st, Ui& ui, const std::string& path);
// The same in the window model only, for a routine that shows everything once at its end.
void set_title(State& st, const std::string& path);
// Busy pointer on and off.
void busy_on(State& st, Ui& ui);
void busy_off(State& st, Ui& ui);
// Progress bar, 0 (hidden) to 100.
void set_progress(State& st, Ui& ui, int percent);
// Hides both language lists.
void close_language_lists(State& st);
// Shows the "Check Errors" button of pane `kind` (or of every pane) exactly when one of its
// rows is suspect.
void update_check_errors(State& st, Ui& ui, Kind kind);
void update_check_errors(State& st, Ui& ui);
// Asks about unsaved changes; true when the user wants to save first.
bool wants_to_save_first(State& st, Ui& ui);
// The version as the title prints it, with the blank for its sign (" 1.22").
std::string version_text(float version);

} // namespace lex
