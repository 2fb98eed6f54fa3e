#pragma once
// The translation checks on the window model: where the rows' texts stand (their code pages and
// languages), and the rows marked with what the last check found.

#include "document/checks.h"

#include <vector>

namespace lex {

struct State;

// The code pages the source and target cells hold, the file's CodePage line and whether the
// languages are the same.
CheckContext check_context(const State& st);

// Marks the rows `findings` name and takes the mark off every other row.
void mark_findings(State& st, const std::vector<Finding>& findings);

} // namespace lex
