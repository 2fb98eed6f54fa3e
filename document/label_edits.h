#pragma once
// Whole-document edits of the label lines ("StringN=0xLL,text"). Only label lines change:
// every other line (Type and SubType lines, comments, bitmaps) keeps its bytes, and so does
// every line end. The document is read element by element: an element runs from its "[_...]"
// header to its "[end]" line or to the next header, as the save reads it. Label lines outside
// every element (an element commented out but for its labels, say) belong to none and are never
// edited. The draw-order section is never edited. Language codes match as the rows read them:
// the same number of hexadecimal digits, letters in either case.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace lex {

struct LabelEdit {
    std::string text;   // the edited document; empty when count is 0
    int count = 0;      // elements changed (label lines removed, for remove_empty_labels)
    std::string report; // report lines, each ended by CR LF
};

// Called after each element with the bytes read so far and the document's size.
using EditProgress = std::function<void(std::size_t done, std::size_t total)>;

// In every element that has a label of language `from` but none of `to`, the code of each
// `from` label becomes `to` (the element counts once). An element that has both stays as it
// is and is named in the report: its header, a blank, its first Type line ("[_line] Type=0x02").
LabelEdit relabel_language(std::string_view text, std::string_view from, std::string_view to,
                           const EditProgress& progress = {});

// Removes every label line whose text is empty or blanks only, with its line end. The report
// names each: the element, a blank, the line without trailing blanks.
LabelEdit remove_empty_labels(std::string_view text, const EditProgress& progress = {});

// Sorts the label lines of every element by language code (equal codes keep their order) and
// writes them back, numbered String1, String2, ..., into the places where label lines stood.
// Counts the elements whose order changed; an element already in order is left as it is, gaps
// in its numbers included. A label whose code is not a number of up to four digits, and a
// "StringN=" line that is no label at all, stays where it is, and its number is not reused.
LabelEdit sort_labels(std::string_view text, const EditProgress& progress = {});

} // namespace lex
