#pragma once
// The document: its text, paths, languages and code pages, and the label rows built from it.
// Nothing here is global: a test builds as many documents as it needs.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/kind.h"

namespace lex {

class Ui;
class FileWriter;

constexpr std::array<const char*, 3> kSectionMarker{"[_polygon]", "[_line]", "[_point]"};

// Rows 0 to 20 of every kind always exist; further rows come and go with the document.
constexpr int kPermanentRows = 21;

// What a row's target text amounts to. The window shows it as the back colour of the target box.
enum class RowStatus : std::uint8_t {
    kNormal,       // a translation, or no target text
    kSuspect,      // the target text holds "?": to be checked
    kSameAsSource, // the target text is the source text again (blanks around either aside)
    kToReview,     // a translation to be looked at again before it is trusted
};

// Marks a row carries besides its status, until the search or spelling check that set them runs
// again or the rows are rebuilt.
struct RowMarks {
    bool search_hit = false;    // the source text matches the last search
    bool source_doubt = false;  // the spelling check doubts a word of the source text
    bool target_doubt = false;  // ... or of the target text
    bool check_finding = false; // a translation check found something in the row
    bool operator==(const RowMarks&) const = default;
};

// One label row: the source cell and the target box beside it. Texts are the file's bytes.
struct Row {
    std::string caption;    // source label text
    std::string source_key; // label key "=0xLL,text" as found when the row was built
    std::string text;       // target text

    // "Changed since built": a save writes a row into its element only when the row changed
    // since it was built from the document, so that the label lines of an element nobody
    // touched stay byte for byte. Building sets built_text to the target text the row shows and
    // clears marked_changed; typing, a translation or any other change of `text` then shows as
    // a difference. Code that puts text into a row from elsewhere (a list file, the label
    // editor) and wants it written even when it happens to equal built_text sets
    // marked_changed. A row not built from the document has an empty built_text.
    std::string built_text;
    bool marked_changed = false;
    // Blanks around the target label in the file, which the row shows without (1: before it,
    // 2: after it): the checks read the label as it stands while the row is unchanged.
    std::uint8_t file_blanks = 0;
    bool changed_since_built() const { return marked_changed || text != built_text; }

    RowStatus status = RowStatus::kNormal; // the window shows it as the target box's colour
    RowMarks marks;
    // The element the row was built from: its number among the document's elements of the
    // row's kind, in document order; -1 for a row not built from the document.
    int element = -1;
    // Where a run's text came from, for the target box's tool tip ("Memory 87 %: city.txt");
    // "" when it came from the file, the user or a service directly.
    std::string tip;

    bool operator==(const Row&) const = default;
};

// Where an element that makes a row stands in the text: what a translation file's entry for the
// row is made of, as offsets into `document`, so that an export or an import need not read the
// text again.
struct ElementRecord {
    std::uint32_t labels = 0;      // the element's label lines: the first in
    std::uint32_t label_count = 0; // ElementRecords::labels, and how many
    std::uint32_t type = 0;        // the value of its first Type line, blanks around it aside,
    std::uint32_t type_size = 0;   // 0: no Type line, or an empty value
    std::uint32_t subtype = 0;     // the same for its first SubType line
    std::uint32_t subtype_size = 0;
    std::uint32_t nth = 1; // 1 for the first element with its kind, Type and SubType, 2 for the
                           // next (its context then ends in "#2"), ...
};

// A label line of an element: where its language code and its text stand in `document`.
struct LabelRecord {
    std::uint32_t code = 0, code_size = 0; // the hexadecimal digits after "=0x",
    std::int32_t code_value = -1;          // and their value when they are two, else -1
    std::uint32_t text = 0, text_size = 0; // the text after the ",", up to the line end
};

// The records of the elements that make rows, per kind in document order (the k-th makes the
// k-th row of its kind), and the text they were made from. They hold while `document` is that
// text unchanged: the same bytes at the same place, no change counted since, the same source
// language.
struct ElementRecords {
    std::array<std::vector<ElementRecord>, kKinds> kinds;
    std::vector<LabelRecord> labels; // the label lines of every element, element by element
    const char* text = nullptr;      // document.data() when they were made; null: never made
    std::size_t size = 0;
    std::uint64_t generation = 0; // text_generation when they were made
    std::string source_code;
    bool zero_fallback = false;
};

// The document as this program holds it: the file's text and where it lives, the label rows
// built from it with their statuses, the languages and code pages the rows are read and written
// in, and whether it has changes not saved. The window model (view/state.h) builds on it.
struct Document {
    std::string document; // the file's bytes, lines ended by CR LF
    // The file's bytes as read, when opening repaired them (line ends, "[End]", code 0x2F) so
    // that `document` differs; "" when `document` was read as it stands. A save that keeps the
    // layout writes these bytes back wherever the document did not change.
    std::string file_bytes;
    std::string document_path; // path of the current document
    std::string backup_dir;    // where a save keeps dated copies of overwritten documents
    std::string program_dir;   // the program folder: settings, backups, reports, own dictionary
    std::string data_dir;      // data shipped with the program, only read (document/folders.h)

    // The label rows per kind; `row_counts` says how many are in use. Rows 0 to 20 of every
    // kind always exist. `spare_rows` keeps rows taken away by a rebuild to reuse their memory.
    std::array<std::vector<Row>, kKinds> row_lists{std::vector<Row>(kPermanentRows),
                                                   std::vector<Row>(kPermanentRows),
                                                   std::vector<Row>(kPermanentRows)};
    std::array<std::vector<Row>, kKinds> spare_rows;
    std::array<int, kKinds> row_counts{};

    // Languages (two hex digits of the TYP code) and code pages.
    std::string source_code = "04";
    std::string target_code = "02"; // the language translations and saves write
    std::string row_target_code;    // the language the rows read their target texts from
    int source_codepage = 0;
    int target_codepage = 0;
    bool zero_fallback = false; // "0x00": rows may show an element's 0x00 label as source
    bool utf8_labels = false;   // the labels are shown, typed and written as UTF-8, any language

    bool changed = false;     // the document has changes not saved
    bool list_loaded = false; // the rows come from a list file, no document
    // Count the documents opened and saved, so that a window can tell that either happened.
    int documents_opened = 0;
    int documents_saved = 0;

    // Counts the changes of `document`, so that what was read from it (the element records) is
    // known to be out of date. Whatever changes the text calls text_changed(); building the
    // rows does too.
    std::uint64_t text_generation = 0;
    void text_changed() { ++text_generation; }
    // Made from the text on first use (document/exchange.h: element_records), kept until it
    // changes.
    mutable ElementRecords element_records;

    float version = 1.22f;
    FileWriter* file_writer = nullptr; // how saves write files; null: the standard writer

    int& row_count(Kind kind) { return row_counts[static_cast<std::size_t>(kind)]; }
    int row_count(Kind kind) const { return row_counts[static_cast<std::size_t>(kind)]; }
    std::vector<Row>& rows(Kind kind) { return row_lists[static_cast<std::size_t>(kind)]; }
    const std::vector<Row>& rows(Kind kind) const {
        return row_lists[static_cast<std::size_t>(kind)];
    }
    Row& row(Kind kind, int k) { return rows(kind)[static_cast<std::size_t>(k)]; }
    std::vector<Row>& spare(Kind kind) { return spare_rows[static_cast<std::size_t>(kind)]; }

    // Cuts the rows of `kind` to the first `keep`; the rows cut keep their memory for the next
    // build. More rows than there are stay as they are.
    void cut_rows(Kind kind, std::size_t keep);
};

// True when any row count is not 0; otherwise says "No data." and returns false.
bool require_rows(Document& doc, Ui& ui);

// The file title of a path: the name without folder, cut before its first ".".
std::string file_title(const std::string& path);

// Joins a folder and a file name with the platform's separator.
std::string join_path(const std::string& dir, const std::string& name);

// A number as the window prints it: a leading blank for the sign of a non-negative value.
std::string spaced_number(long long n);

} // namespace lex
