#pragma once
// What an element tells a translator besides the label being translated: its type code and the
// labels it holds in other languages. The window shows it in a row's tool tip; exports of the
// rows can give it to the translator as a comment.

#include "document/codepage.h"

#include <string>
#include <string_view>
#include <vector>

namespace lex {

struct OtherLabel {
    int language = 0; // the TYP language code (0x01 French, ...)
    std::string name; // the language's name ("French"; "0x2A" for a code no table knows)
    std::string text; // the label's bytes, in `codepage`
    int codepage = 0; // the code page the bytes are in
};

struct ElementContext {
    std::string type;               // "0x2f", "0x2f" and its subtype "0x01" as "0x2f/0x01"; ""
    std::vector<OtherLabel> labels; // in the element's order
};

// The type code and the labels of an element body, leaving out the labels of the languages in
// `left_out` (the ones a row shows) and labels without text. A label's code page is its
// language's, or UTF-8 for a document whose labels are UTF-8.
ElementContext element_context(std::string_view body, const std::vector<int>& left_out,
                               bool utf8_labels);

// The labels as one line of UTF-8 text: "French: Résidentiel · German: Wohngebiet"; "" when
// there are none.
std::string other_labels_text(const ElementContext& context, LabelDecoder decode);

// The type as the tool tip names it: "Type 0x2f", "Type 0x2f/0x01"; "" when there is none.
std::string type_text(const ElementContext& context);

// The name of a TYP language code as the language lists write it ("Lithuanian"), "Unspecified"
// for 0x00, "0x" and the code in hexadecimal for one no table knows.
std::string language_name(int code);

} // namespace lex
