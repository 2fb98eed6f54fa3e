#pragma once
// The checks a reviewer runs over the translations: one small unit per check, each with its
// name, a one-line description and a severity, run on a row (its source and target texts in
// their code pages) or, for a check that compares rows, on the whole document. What a check
// finds is a Finding (which check, which row, a message), never a colour.

#include "document/cell_chars.h"
#include "document/document.h"
#include "document/kind.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

enum class CheckId : std::uint8_t {
    kNotRepresentable,
    kInconsistent,
    kUnchanged,
    kNumbers,
    kBrackets,
    kBlanks,
    kMachineMarks,
    kTooLong,
    kControlCharacters,
};
inline constexpr std::size_t kCheckCount = std::size_t(CheckId::kControlCharacters) + 1;

enum class Severity : std::uint8_t {
    kError,   // the file will show something wrong on a device
    kWarning, // most likely a fault of the translation
    kNotice,  // worth a look; often right
};
const char* severity_name(Severity severity); // "error", "warning", "notice"

// Where the rows' texts stand: the code pages their bytes are in, the code page the file's
// CodePage line declares, and whether source and target are one language.
struct CheckContext {
    int source_codepage = 1252; // the source cells' bytes; 65001: UTF-8
    int target_codepage = 1252; // the target cells' bytes; 65001: UTF-8
    int file_codepage = 1252;   // the CodePage line; 0 when there is none
    bool same_language = false;
};

// What the user chose: the checks switched on and the limits of "Too long".
struct CheckSettings {
    std::array<bool, kCheckCount> on = [] {
        std::array<bool, kCheckCount> all{};
        all.fill(true);
        return all;
    }();
    double max_ratio = 2.0; // a target longer than this many times its source is too long
    int max_length = 0;     // ... and one longer than this many characters; 0: no limit
    bool is_on(CheckId id) const { return on[std::size_t(id)]; }
    bool operator==(const CheckSettings&) const = default;
};

// A row's two texts, as bytes and as characters (document/cell_chars.h).
struct CheckedRow {
    std::string_view source, target; // bytes
    std::u32string_view source_chars, target_chars;
};

struct Check {
    CheckId id;
    const char* name;        // "not-representable": how the command line and settings call it
    const char* title;       // "Not representable": as the window lists it
    const char* description; // one line
    Severity severity;
    // For a check of one row: true, with `message` set, when the row has the fault. Null for a
    // check that compares rows.
    bool (*row)(const CheckedRow& row, const CheckContext& ctx, const CheckSettings& settings,
                std::string& message);
};

std::span<const Check> checks();
const Check& check(CheckId id);
const Check* find_check(std::string_view name);

struct Finding {
    CheckId check;
    Kind kind;
    int row;             // the row of its pane, from 0
    std::string message; // UTF-8
    bool operator==(const Finding&) const = default;
};

// Runs the checks switched on over every row with a target text, in reading order (polygons,
// lines, points); within a row the findings follow the order of checks().
std::vector<Finding> run_checks(const Document& doc, const CheckContext& ctx,
                                const CheckSettings& settings);

// One row's findings from the checks of one row (the comparison of rows needs the document).
std::vector<Finding> check_row(std::string_view source, std::string_view target,
                               const CheckContext& ctx, const CheckSettings& settings);

} // namespace lex
