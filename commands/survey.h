#pragma once
// Which languages the document holds ("Check Which Languages").

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lex {

struct State;
class Ui;

// The language codes 0x00 to 0x2F that label lines of `text` carry, bit n for code n. Each
// section is read on its own: a label counts unless a later "Type=0xLL," line of its section
// names the same code; comment lines count for nothing.
std::uint64_t languages_in_document(std::string_view text);

// The number of labels of each code 0x00 to 0x2F, counted by the same rules.
using LanguageCounts = std::array<int, 0x30>;
LanguageCounts labels_per_language(std::string_view text);

// The names of the languages in `codes`, in code order, each followed by ","; or
// "No labels found".
std::string language_list_text(std::uint64_t codes);

// Lists the languages the document has labels in.
void language_survey(State& st, Ui& ui);

} // namespace lex
