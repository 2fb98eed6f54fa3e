#pragma once
// Where Lexmarin keeps what it writes and where it finds what it ships with.
//
//   user folder     settings ("tr.dat" and any other settings file), backups ("system"),
//                   reports, the user's own dictionaries ("dictionaries"): written
//   shipped folder  the data installed with the program ("dictionaries", "examples"): only read
//
// Run from its build folder or with LEXMARIN_HOME, both are the same folder. Installed, the user
// folder is the per-user data folder and the shipped folder the installed data folder.

#include <string>

namespace lex {

struct Document;

struct Folders {
    // One folder for both, as in a build folder.
    Folders(std::string both) : user(both), shipped(std::move(both)) {} // NOLINT: implicit
    Folders(std::string user_folder, std::string shipped_folder)
        : user(std::move(user_folder)), shipped(std::move(shipped_folder)) {}
    std::string user;
    std::string shipped;
};

// A file of the user folder, named relative to it with "/" ("tr.dat", "dictionaries/EN.dic").
std::string user_file(const Document& st, const std::string& relative);
// A file of the shipped folder.
std::string shipped_file(const Document& st, const std::string& relative);
// The file to read: the user's own copy when there is one, else the shipped file.
std::string user_or_shipped_file(const Document& st, const std::string& relative);
// Gives the user an own copy to change: the shipped file's bytes, or an empty file when nothing
// is shipped. A copy already there is kept as it is. False, with the reason in `why`, when the
// copy cannot be written.
bool make_user_copy(Document& st, const std::string& relative, std::string& why);

} // namespace lex
