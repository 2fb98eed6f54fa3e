#pragma once
// The rows as a gettext PO file, and a PO file read back into them.
//
//   msgid ""                              the header: Language, charset UTF-8, ...
//   msgstr "Language: ru\n" ...
//
//   #. French: Forêt                      the element's other labels
//   #, fuzzy                              the row is suspect or to be reviewed
//   msgctxt "polygon Type=0x01"
//   msgid "Forest"
//   msgstr "Лес"

#include "document/exchange.h"

#include <string>
#include <string_view>

namespace lex {

// The PO text of `file`, UTF-8, lines ended by LF as gettext writes them.
std::string po_text(const ExchangeFile& file);
// The same in two steps, for a writer that makes its entries one at a time: the header of
// `file` (its entries aside), then one entry.
void po_begin(std::string& out, const ExchangeFile& file);
void po_append_entry(std::string& out, const ExchangeEntryView& e);
// The same entry written at `out` through a cursor, for a writer that sizes its buffer itself:
// the most bytes it can take, and the writing into room for that many, which returns its end.
std::size_t po_entry_bound(const ExchangeEntryView& e);
char* po_write_entry(char* out, const ExchangeEntryView& e);
// A comment line ("#. French: Forêt" and its line end) for the translator, as po_write_entry
// writes each line of an entry's comment: `name` and `text` joined by ": ", neither holding a
// line end. Written at `out`, room for the sizes of both and eight bytes; returns its end.
char* po_write_comment_line(char* out, std::string_view name, std::string_view text);

// Reads a PO text as any PO editor may have written it: strings split over lines, every escape
// gettext knows, comments and flags of every kind, obsolete entries (left out), LF or CR LF. A
// text that is no PO file, or one in another charset than UTF-8, gives false and `error` says
// why and where ("line 12: ...").
bool read_po(std::string_view text, ExchangeFile& file, std::string& error);
// The same, giving each entry to `each` (when set) as it is read instead of keeping it in
// `file`: the entry is valid during the call only, and `details` says what it carries.
bool read_po(std::string_view text, ExchangeFile& file, std::string& error, const EntrySink& each,
             EntryDetails details = EntryDetails::kAll);

} // namespace lex
