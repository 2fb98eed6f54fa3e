#pragma once
// The rows as an XLIFF 1.2 file, and an XLIFF file read back into them.
//
//   <file original="city.txt" source-language="en" target-language="ru" datatype="plaintext">
//     <body>
//       <trans-unit id="polygon Type=0x01" xml:space="preserve">
//         <source>Forest</source>
//         <target state="translated">Лес</target>
//         <note from="Lexmarin">French: Forêt</note>
//       </trans-unit>
//
// A unit's state says the row's status: "new" without a target, "needs-review-translation" for a
// suspect row or one to be reviewed, "translated" otherwise.

#include "document/exchange.h"

#include <string>
#include <string_view>

namespace lex {

// The XLIFF text of `file`, UTF-8.
std::string xliff_text(const ExchangeFile& file);
// The same in three steps, for a writer that makes its entries one at a time: the file's
// opening (its entries aside), one entry, the closing.
void xliff_begin(std::string& out, const ExchangeFile& file);
void xliff_append_entry(std::string& out, const ExchangeEntryView& e);
// The same entry written at `out` through a cursor, for a writer that sizes its buffer itself:
// the most bytes it can take, and the writing into room for that many, which returns its end.
std::size_t xliff_entry_bound(const ExchangeEntryView& e);
char* xliff_write_entry(char* out, const ExchangeEntryView& e);
// A line of the note for the translator, as xliff_write_entry writes each line of an entry's
// comment: `name` and `text` joined by ": " as XML text, after the line end unless `first`.
// Written at `out`, room for six bytes a byte of both and eight more; returns its end.
char* xliff_write_comment_line(char* out, bool first, std::string_view name, std::string_view text);
void xliff_end(std::string& out);

// Reads an XLIFF 1.x text: one unit per trans-unit (its id as the context, the text of its source
// and target, inline markup left out), the languages of its first file. Well-formed XML only; no
// DOCTYPE, no entities but the five predefined ones and character references. A text that is
// no such file gives false and `error` says why and where ("line 12: ...").
bool read_xliff(std::string_view text, ExchangeFile& file, std::string& error);
// The same, giving each entry to `each` (when set) as it is read instead of keeping it in
// `file`: the entry is valid during the call only, and `details` says what it carries.
bool read_xliff(std::string_view text, ExchangeFile& file, std::string& error,
                const EntrySink& each, EntryDetails details = EntryDetails::kAll);

} // namespace lex
