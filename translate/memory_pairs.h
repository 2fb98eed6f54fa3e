#pragma once
// What the translation memory learns from: the labels of a style's elements, and the rows a user
// translated. Labels are the file's bytes in their language's code page; the memory holds UTF-8.

#include "translate/memory.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

struct State;

// Turns label bytes into UTF-8 and back with a code page (65001: UTF-8 itself).
class LabelCodec {
public:
    virtual ~LabelCodec() = default;
    virtual std::string to_utf8(std::string_view bytes, int codepage) const = 0;
    // Nothing when a character of `text` has no byte in `codepage`.
    virtual std::optional<std::string> from_utf8(std::string_view text, int codepage) const = 0;
};
// The converter of the code pages Lexmarin knows (memory_codec_qt.cpp).
const LabelCodec& label_codec();

// The memory's code of a TYP language code ("04" gives "en"); "" for a code the language
// tables do not have (0x00 among them).
std::string memory_language(std::string_view typ_code);
// The TYP language code of a memory code ("en" gives "04"); "" when the tables lack it.
std::string typ_language(std::string_view memory_code);
// The language list's name of a memory code ("fr" gives "French").
std::string memory_language_name(std::string_view memory_code);

// The pairs the elements of a TYP text give: for every element with labels in two or more
// languages of the tables, a pair for every two of them (each language's first label in the
// element; empty labels and labels holding "?" never). `utf8_labels`: the labels are UTF-8
// whatever their language (CodePage=65001, or labels found to be UTF-8).
std::vector<MemoryPair> style_pairs(std::string_view text, bool utf8_labels,
                                    const LabelCodec& codec);

// The user's own translations in the rows: the rows that changed since they were built, hold a
// translation and are neither suspect nor to review, from the source into the target language.
std::vector<MemoryPair> own_pairs(const State& st, const LabelCodec& codec);

} // namespace lex
