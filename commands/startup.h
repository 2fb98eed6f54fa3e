#pragma once
// The start-up sequence of the program.

#include "document/folders.h"

#include <string>

namespace lex {

struct State;
class Ui;

// The start-up sequence: defaults, backup folder, language lists, settings, dictionary, the
// permanent rows, the document named by `commandLine` (taken whole), the title.
void startup(State& st, Ui& ui, const Folders& folders, const std::string& commandLine);

} // namespace lex
