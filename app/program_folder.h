#pragma once

#include "document/folders.h"

#include <string>

namespace lex {

// The folders of this run (document/folders.h), the user folder created when missing:
// - LEXMARIN_HOME, when set, holds everything;
// - installed (the installed data found from the executable's folder, bin/../share/lexmarin),
//   the per-user data folder holds what the program writes and the installed data is read;
// - otherwise (a build folder) the executable's folder holds everything, except that what the
//   program writes goes to the per-user data folder when that folder is not writable.
Folders program_folders();

// The same choice for given places: `home` (LEXMARIN_HOME, empty when unset), the executable's
// folder and the per-user data folder.
Folders choose_folders(const std::string& home, const std::string& exe_dir,
                       const std::string& per_user);

// The per-user data folder: $XDG_DATA_HOME/Lexmarin, by default ~/.local/share/Lexmarin.
std::string per_user_folder();

} // namespace lex
