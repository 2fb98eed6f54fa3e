#pragma once
// What one user action changed in the rows, the document text and the language choice, kept so
// that the action can be taken back and done again. A recorder takes what the action may
// change before it runs and keeps only what differs afterwards: undoing a translation run
// costs the rows it wrote, not copies of the panes.

#include "view/state.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lex {

class Ui;

// What an action may change. Per pane: no rows, every row, or the one row given.
struct StepScope {
    static constexpr int kNoRows = -2;
    static constexpr int kAllRows = -1;
    std::array<int, kKinds> rows{kNoRows, kNoRows, kNoRows};
    bool document = false; // the document text
    bool context = false;  // the languages, "0x00", the document's path, the list flag

    static StepScope pane(Kind kind);
    static StepScope row(Kind kind, int row);
    static StepScope everything(); // all rows, the document and the context
};

// The values that decide which labels the rows show.
struct StepContext {
    std::string source_code, target_code, row_target_code;
    int target_index = 0;
    int source_codepage = 0, target_codepage = 0, font_codepage = 0;
    std::array<std::string, 2> language_caption;
    std::array<int, 2> language_row{};
    std::string codepage_caption;
    bool zero_fallback = false;
    bool list_loaded = false;
    std::string document_path;
    bool operator==(const StepContext&) const = default;
};

// A document text kept in pieces cut where its content says (not at fixed offsets), so that two
// versions that differ in a few labels share all other pieces: a label edit in a 10 MB document
// keeps a few kilobytes, not a second copy.
struct DocumentVersion {
    std::vector<std::shared_ptr<const std::string>> pieces;
    std::vector<std::size_t> keys; // of each piece, to find it again
    std::size_t size = 0;
    std::string text() const;
    bool holds(const std::string& text) const; // the same bytes as `text`
    // The same pieces, shared: what keep_document gives for a text with no change.
    bool same_pieces(const DocumentVersion& other) const;
};
// Cuts `text` into pieces, taking over the pieces of `like` that `text` holds too.
std::shared_ptr<const DocumentVersion> keep_document(const std::string& text,
                                                     const DocumentVersion* like = nullptr);

struct RowChange {
    Kind kind = kPolygons;
    int row = 0;
    Row before, after;
};

struct Step {
    std::array<bool, kKinds> counted{}; // panes whose row count the step keeps
    std::array<int, kKinds> count_before{}, count_after{};
    std::array<bool, kKinds> check_errors_before{}, check_errors_after{};
    std::vector<RowChange> rows; // only the rows that differ
    // Both null when the document text stayed as it was. Steps share unchanged versions.
    std::shared_ptr<const DocumentVersion> document_before, document_after;
    std::optional<StepContext> context_before, context_after;

    bool empty() const;
};

// Rows as they stood, packed into one buffer: taking a pane of 30,000 rows costs one copy of
// their bytes, not three allocations a row.
class PackedRows {
public:
    void reserve(std::size_t rows, std::size_t bytes);
    void add(const Row& row);
    std::size_t size() const { return entries_.size(); }
    bool holds(std::size_t i, const Row& row) const; // row i is `row`
    Row row(std::size_t i) const;

private:
    struct Entry {
        std::size_t at;
        std::uint32_t caption, key, text, built, tip; // sizes, one after another from `at`
        RowStatus status;
        RowMarks marks;
        bool marked_changed;
        int element;
    };
    std::string bytes_;
    std::vector<Entry> entries_;
};

class StepRecorder {
public:
    // Takes what `scope` names as it stands in `st` before the action. `known` is a document
    // version an earlier step kept; it is shared when the document still holds those bytes.
    StepRecorder(const State& st, const StepScope& scope,
                 std::shared_ptr<const DocumentVersion> known = {});
    // What the action changed: empty when nothing in the scope differs.
    Step finish(const State& st);

private:
    StepScope scope_;
    std::array<PackedRows, kKinds> rows_;
    std::array<int, kKinds> counts_{};
    std::array<bool, kKinds> check_errors_{};
    std::shared_ptr<const DocumentVersion> document_;
    StepContext context_;
};

// Puts back the state before the step (undo) or after it (redo). The document counts as
// changed when `changed`; the title and the panes' sizes follow.
void undo_step(State& st, Ui& ui, const Step& step, bool changed);
void redo_step(State& st, Ui& ui, const Step& step, bool changed);

// The step of one row whose contents were `before` and are now in `st` (typing into its box);
// the pane's "Check Errors" was shown when `check_errors_before`.
Step row_step(const State& st, Kind kind, int row, Row before, bool check_errors_before);

// Joins `later` into `earlier` as one step (typing into the same box).
void merge_steps(Step& earlier, Step&& later);

} // namespace lex
