#pragma once
// The label rows of the three panes, built from the document text.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

struct State;
class Ui;

// The label line "=0xLL,text" of one element block for a language code, or "".
// side 'S' (source) may fall back to the 0x00 label when `zero_fallback` is set.
std::string find_label(std::string_view block, const std::string& code, char side,
                       bool zero_fallback);

// The element blocks of each kind in document order: the text after a "[_polygon]",
// "[_line]" or "[_point]" header up to its "[end]"; an element without "[end]" runs up to the
// next element of its kind or the end of the text.
using ElementBlocks = std::array<std::vector<std::string_view>, 3>;
ElementBlocks element_blocks(std::string_view text);

// The code page the target cells use; for the custom target language it also sets curcp.
int target_codepage(State& st);

// Appends one row per element of `kind` that has a source label.
void get_element(State& st, Ui& ui, int kind);
// Makes row `row` of `kind` exist, blank, and sets the kind's count to row + 1.
void load_element(State& st, Ui& ui, int kind, int row, bool always);
// Blanks rows 0 to 20 and drops the others; counts become 0.
void unload_elements(State& st);
// Full rebuild of the three panes from the document.
void refresh_labels(State& st, Ui& ui);

} // namespace lex
