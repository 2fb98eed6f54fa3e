#pragma once
// The translation controls of the window: each pane's "Translate", "STOP" and "Check Errors".

#include "document/kind.h"
#include "translate/run.h"

namespace lex {

struct State;
class Ui;
class Translator;

// "Translate" of pane `kind`: fills its empty or suspect rows. Returns what the run did (see
// translate_selection); refused, with nothing done, while another run owns the window or
// nothing is open.
Outcome translate_pane(State& st, Ui& ui, Translator& tr, Kind kind,
                       const RunOptions& options = {});
// "STOP" of pane `kind`: the run stops before its next request (a download under way ends).
void stop_translation(State& st, Kind kind);
// "Check Errors" of pane `kind`: re-translates the suspect rows one label at a time. Returns
// what the run did, as translate_pane.
Outcome check_errors(State& st, Ui& ui, Translator& tr, Kind kind, const RunOptions& options = {});

} // namespace lex
