#pragma once
// The settings files, each read and written here only:
//   tr.dat            languages, recent files, the custom language, the translation page address
//   translation.ini   the translation service chosen, with its address and key (owner only)

#include "translate/services.h"

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

// The settings file of the services, beside tr.dat: <program folder>/translation.ini
std::string service_settings_path(const State& st);

// The choice the settings file keeps; a missing or unreadable file, or a service name it does
// not know, gives "nothing chosen".
ServiceSettings read_service_settings(const std::string& path);
// Writes the settings file, readable by its owner only (it holds keys). False with the reason
// in `error`; a previous file then stays whole.
bool write_service_settings(const std::string& path, const ServiceSettings& settings,
                            std::string& error);

} // namespace lex
