#pragma once

#include <string>

namespace lex {

// The program folder: LEXMARIN_HOME when set, else the executable's folder, or the per-user
// data folder when the executable's folder is not writable.
std::string program_folder();

} // namespace lex
