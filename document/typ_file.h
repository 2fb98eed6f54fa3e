#pragma once
// The TYP text file as bytes: whether a text is one this program can work on, and the
// repairs every opened text gets before anything reads it.

#include <string>
#include <string_view>
#include <vector>

namespace lex {

class Ui;

// What an opened text needs, found in one pass: the checks below each read a text of many
// megabytes, so the open reads it once here and runs only the repairs that have work.
struct TextChecks {
    bool obsolete_code = false; // "=0x2F" stands somewhere: normalize_language_codes has work
    bool line_repairs = false;  // a bare LF, or a section end in another spelling: the same for
                                // normalize_document
    bool foreign_mark = false;  // "COMMENTAIRES", or ";grmn_type" in any letter case
};
TextChecks check_text(std::string_view text);

// The origin test: true (after saying "Not a Stylora file") when the text is not a style
// editor's file. The second form takes the marks check_text found.
bool refuse_foreign_file(Ui& ui, const std::string& text);
bool refuse_foreign_file(Ui& ui, const std::string& text, const TextChecks& checks);

// Why a text that passed the origin test cannot be worked on, as the message that says so, or
// nullptr when it can: no "[_id]" section, no code page, a UTF-8 byte-order mark.
const char* typ_refusal(const std::string& text);

// Why the open routine would refuse `text`, as the message it would show (the origin test, then
// typ_refusal), or nullptr when it would take it. The repairs an opened text gets first change
// nothing these checks look at, so a text about to be saved can be checked as it stands.
const char* open_refusal(const std::string& text);

// Reads the obsolete language code 0x2F of the label lines String1 to String47 as 0x00. Comment
// lines keep theirs.
void normalize_language_codes(std::string& text);

// Brings every line end to CR LF and every section-closing line written in another case or
// with blanks around it to "[end]".
void normalize_document(std::string& text);

// The number on the text's CodePage line ("CodePage=65001", key in any case, blanks allowed), or
// 0 when no line outside the comments says one.
int declared_codepage(std::string_view text);

// Puts `codepage` in place of the number on the text's CodePage line; false when it has none.
bool set_declared_codepage(std::string& text, int codepage);

// True when the label texts hold UTF-8: every byte above 127 on a label line is part of a valid
// UTF-8 character, and there is at least one such character.
bool labels_look_utf8(std::string_view text);

// What turning the UTF-8 labels of a text into the bytes of its declared code page does.
struct LabelRecoding {
    std::size_t converted = 0;        // labels that are (or would be) rewritten
    std::vector<std::string> misfits; // labels left as they are (UTF-8 text): a character of
                                      // theirs has no byte in the code page
};
// Rewrites (with `apply`; otherwise only counts) every label line holding UTF-8 text into the
// bytes of single-byte `codepage`, where the label fits. Comment lines stay as they are.
LabelRecoding recode_utf8_labels(std::string& text, int codepage, bool apply);

// The labels of `written` that hold bytes `codepage` does not define, apart from label lines
// that stand as they are in `before` (what the document held already). Empty for code pages
// without a table.
std::vector<std::string> new_undefined_labels(std::string_view written, std::string_view before,
                                              int codepage);

// Whether a declared code page stores a character in one byte (not a double-byte East Asian
// code page, not UTF-8).
bool is_single_byte_codepage(int codepage);

} // namespace lex
