#pragma once
// The rows as the translation files of other tools hold them (PO, XLIFF): one format-neutral
// model that each format writes and reads in its own file, and what pairs an entry with its row
// again.

#include "document/document.h"
#include "document/kind.h"
#include "document/lines.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lex {

struct Outline;

// One row as a translation file holds it, its texts in UTF-8.
struct ExchangeEntry {
    std::string context; // what finds the row again: the element kind and its Type code, and a
                         // position ("#2") where elements of one kind share both
    std::string source;  // the source label
    std::string target;  // the target label, "" when the row is empty
    std::string comment; // for the translator: the element's other labels, one per line
    bool review = false; // the target is to be checked (fuzzy, needs review)
    int line = 0;        // where the entry starts in the file read, for messages
};

// An entry as the writers take it: views into the rows, the document or a caller's buffers, so
// that a pass over every row copies no text it does not have to.
struct ExchangeEntryView {
    std::string_view context, source, target, comment;
    bool review = false;
    // The comment is written already as the format writes it (PO comment lines, XML text), by a
    // writer that makes it straight from the labels: it goes out as it is.
    bool comment_written = false;
    ExchangeEntryView() = default;
    ExchangeEntryView(const ExchangeEntry& e)
        : context(e.context), source(e.source), target(e.target), comment(e.comment),
          review(e.review) {}
};

// Takes the entries of a translation file one at a time as a reader reads them.
using EntrySink = std::function<void(const ExchangeEntry&)>;

// What a reader that hands its entries on fills in. An import pairs entries with rows by their
// context and texts: it needs neither the translator's comment nor the line, which are left
// empty and 0 when it asks for kForPairing. A fault is found and said the same either way.
enum class EntryDetails { kAll, kForPairing };

struct ExchangeFile {
    std::string source_language; // ISO code ("en"), as the file names it
    std::string target_language; // ISO code ("ru")
    std::string original;        // the style the rows come from, by file name
    std::string generator;       // the program that wrote it ("Lexmarin 1.22")
    std::string date;            // when it was written, "2026-01-02 00:00+0000"
    std::vector<ExchangeEntry> entries;
};

// The context that names an element: its kind, the values of its Type and SubType lines (""
// when it has none) and, for all but the first element with these three, its number among them
// ("point Type=0x2f SubType=0x04 #2"). Appended to `out`.
void append_context(std::string& out, Kind kind, std::string_view type, std::string_view subtype,
                    int nth);

// The value of a language code of two hexadecimal digits ("0A" and "0a" are 10), else -1.
int code_value(std::string_view code);

// The records of the elements that make rows (document.h): made from the text in one pass on
// first use, then kept until the text changes. Null for a text of 4 GB or more, whose offsets
// they cannot hold.
const ElementRecords* element_records(const Document& doc);

// Makes the records of the elements of `text` into `records`, `outline` read from it: the
// elements whose rows show the labels of language `source_code` (or 0x00, with
// `zero_fallback`). What the records were made from is left for the caller to fill in.
void make_element_records(std::string_view text, const Outline& outline,
                          std::string_view source_code, bool zero_fallback,
                          ElementRecords& records);

// The context of the element `r` describes, `text` the document's text; appended to `out`.
void append_record_context(std::string& out, std::string_view text, Kind kind,
                           const ElementRecord& r);

// True when `context` is the context of the element `r` describes, as append_record_context
// would write it: compared part by part, without writing it.
bool record_context_is(std::string_view context, std::string_view text, Kind kind,
                       const ElementRecord& r);

// How many elements of one kind have been seen with each pair of Type and SubType values (letter
// case aside, as contexts write them), without a node or a string of its own for the usual
// short values.
class ElementCounter {
public:
    // Counts one more element with these values; returns how many have had them now.
    int add(std::string_view type, std::string_view subtype);

private:
    // Values of up to seven bytes (such as "0x10f") are counted by a number each that holds
    // them, in a table of their own.
    struct Slot {
        std::uint64_t type = 0, subtype = 0;
        int count = 0; // 0: the slot is free
    };
    std::size_t slot_of(std::uint64_t type, std::uint64_t subtype) const;
    void grow();
    std::vector<Slot> slots_; // open addressing, a power of two long
    std::size_t used_ = 0;
    std::unordered_map<std::string, int> long_values_; // the others
};

// The elements that make rows of one kind, one after the other, read from the text: the k-th is
// the element of the k-th row, as a save pairs them. A text too large for element records is
// exported and imported with it; it reads each body as make_element_records does.
class ElementWalk {
public:
    ElementWalk(const Document& doc, Kind kind, const Outline& outline);
    // Moves to the next element with a source label; false after the last.
    bool next();
    const std::string& context() const { return context_; }
    // The label lines of the element, in their order.
    const std::vector<LabelLine>& labels() const { return labels_; }

private:
    const Document& doc_;
    Kind kind_;
    const Outline& outline_;
    std::size_t section_ = 0;
    std::string context_;
    std::vector<LabelLine> labels_;
    ElementCounter seen_;
};

} // namespace lex
