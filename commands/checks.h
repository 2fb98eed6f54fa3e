#pragma once
// Tools -> "Check Translations": the checks run over the rows, the rows with findings marked for
// "Next Suspect", and the user's choice of checks kept in the program folder (`checks.txt`).

#include "document/checks.h"

#include <string>
#include <string_view>
#include <vector>

namespace lex {

struct State;
class Ui;

// Runs the checks `settings` switches on over the rows and marks the rows with findings (the
// marks of the last run go). Nothing, after "No data.", without rows.
std::vector<Finding> check_translations(State& st, Ui& ui, const CheckSettings& settings);

// The kept choice: "checks.txt" in the program folder, lines "off=NAME,NAME", "ratio=2" and
// "limit=0". Lines and names it does not know are passed over; a missing file gives every check.
std::string check_settings_path(const State& st);
CheckSettings read_check_settings(std::string_view text);
std::string check_settings_text(const CheckSettings& settings);
CheckSettings load_check_settings(const State& st);
// Writes the choice; says why and gives false when the file cannot be written.
bool keep_check_settings(State& st, Ui& ui, const CheckSettings& settings);

// The changed rows whose target a save would write with characters the file cannot show
// ("Not representable"), as "polygons 3 (\"Łódź\": ...)".
std::vector<std::string> unrepresentable_rows(const State& st);

} // namespace lex
