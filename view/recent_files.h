#pragma once
// The six most recently opened documents.

#include <string>

namespace lex {

struct State;

// Puts a path at the top of the recent-file list (a path that is not absolute is not recorded)
// and re-enables the entries whose files exist.
void remember_recent(State& st, const std::string& path);
// Enables each recent entry whose file exists.
void refresh_recent(State& st);

} // namespace lex
