#pragma once
// The settings file "tr.dat" and the start-up sequence of the program.

#include "document/folders.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace lex {

struct State;
class Ui;

// The address line 18 of the settings file falls back to.
inline constexpr const char* kDefaultTranslateUrl = "https://translate.google.com/translate_t";

// <program folder>/tr.dat
std::string settings_path(const State& st);

// Bounds of the settings file: the first 64 KB are read, and a line longer than a path can be
// is ignored like any other bad value.
inline constexpr std::size_t kMaxSettingsBytes = 64 * 1024;
inline constexpr std::size_t kMaxSettingsLine = 4096;

// Reads the settings file into `st`. Each value that is missing, unreadable or out of range
// keeps the value `st` already holds; returns false when the file could not be read at all.
bool read_settings(State& st, const std::string& path);
// The same for the settings file's text.
void read_settings_text(State& st, std::string_view text);

// The line after the numbered ones that says "Keep Layout When Saving" is on.
inline constexpr const char* kKeepLayoutLine = "KeepLayout=1";

// The settings file's text for the current values: 17 lines (18 with the translation page's
// address, then "KeepLayout=1" when the save keeps the layout), each ended by CR LF.
std::string settings_text(const State& st);

// Writes the settings file at close. A failure is reported with the system's description of
// the error and leaves any previous file whole; returns false then.
bool write_settings(State& st, Ui& ui);

// The start-up sequence: defaults, backup folder, language lists, settings, dictionary, the
// permanent rows, the document named by `commandLine` (taken whole), the title.
void startup(State& st, Ui& ui, const Folders& folders, const std::string& commandLine);

} // namespace lex
