#pragma once
// Elements and their label lines in the document text: where each element block stands and
// which label line of a language it carries.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// The element blocks of each kind in document order: the text after a "[_polygon]",
// "[_line]" or "[_point]" header up to its "[end]"; an element without "[end]" runs up to the
// next element of its kind or the end of the text.
using ElementBlocks = std::array<std::vector<std::string_view>, 3>;
ElementBlocks element_blocks(std::string_view text);

// The label line "=0xLL,text" of one element block for a language code, or "".
// side 'S' (source) may fall back to the 0x00 label when `zero_fallback` is set.
std::string find_label(std::string_view block, const std::string& code, char side,
                       bool zero_fallback);

// Where the label keys "=0xLL," of two language codes stand in a block (npos: none), found in
// one pass; each skips the "Type=0xLL," lines as find_label does.
struct LabelKeys {
    std::size_t source = std::string_view::npos;
    std::size_t target = std::string_view::npos;
};
LabelKeys find_label_keys(std::string_view block, std::string_view source_code,
                          std::string_view target_code);

// The label line from key position `at` to its CR LF, without "|", CR or LF, into `out`;
// "" when the line has no CR LF.
void label_at(std::string_view block, std::size_t at, std::string& out);

// The 0x00 label a source without a label of its own falls back to: the first 0x00 label
// after the last "Type=0x<code>," line.
std::string zero_label_fallback(std::string_view block, const std::string& code);

} // namespace lex
