#pragma once
// Exporting the rows to the translation files other tools read (gettext PO, XLIFF 1.2) and
// importing what a translator made of them.

#include "document/exchange.h"
#include "document/outcome.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace lex {

struct State;
class Ui;
class LabelCodec;

enum class ExchangeFormat { kPo, kXliff };

// A translation file larger than this is refused unread: a style's rows never make one.
inline constexpr std::size_t kMaxExchangeBytes = std::size_t(64) << 20;

struct ExchangeOptions {
    std::string path;                  // the file; "" asks for one with the file dialog
    const LabelCodec* codec = nullptr; // label bytes to UTF-8 and back; null: the tables
    // Import: the target language in use was chosen for this file (the command line's --to), so
    // the language the file names is not compared with it.
    bool language_given = false;
};

// The rows in use as a translation file's entries: one per row, in pane order, texts in UTF-8.
ExchangeFile exchange_file(const State& st, const LabelCodec& codec);

// The bytes of a translation file, in memory that was not cleared before they were written.
struct ExchangeBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::string_view view() const { return {data.get(), size}; }
};

// The same rows written as a PO or XLIFF text dated `date`, without holding every entry first;
// `entries` (when given) gets how many there are.
ExchangeBytes exchange_bytes(const State& st, const LabelCodec& codec, ExchangeFormat format,
                             const std::string& date, int* entries = nullptr);
// ... as a string.
std::string exchange_text(const State& st, const LabelCodec& codec, ExchangeFormat format,
                          const std::string& date, int* entries = nullptr);

// The ISO code ("ru") a translation file names the source or the target language in use by
// (list kSourceList or kTargetList).
std::string exchange_language(const State& st, int list);

// Writes the rows to a PO or XLIFF file, chosen with the Save dialog unless options.path names
// it. Returns done with the entries written; cancelled when no file was chosen or the user
// would not replace one; refused without a document; failed when the file could not be written.
Outcome export_exchange(State& st, Ui& ui, ExchangeFormat format,
                        const ExchangeOptions& options = {});

// Reads a PO or XLIFF file (the Open dialog unless options.path names it) and puts its
// translations into the rows they belong to, paired by context and source text. Only rows
// whose text differs change; the next save writes their own label lines. Entries that match no
// row are said, and so are translations the target code page cannot hold, which stay out.
// Returns done with the rows changed (doubtful: the entries left out); failed, nothing changed,
// for a file that cannot be read, is no such file, is for another target language or holds no
// entry of the document.
Outcome import_exchange(State& st, Ui& ui, ExchangeFormat format,
                        const ExchangeOptions& options = {});

// Reads a translation file into `file`; false (after saying why) when it cannot be read, is too
// large or is no file of `format`.
bool read_exchange(State& st, Ui& ui, ExchangeFormat format, const std::string& path,
                   ExchangeFile& file);

// The second half of the import: `file` read from `path` already.
Outcome import_exchange_file(State& st, Ui& ui, const ExchangeFile& file, const std::string& path,
                             const ExchangeOptions& options);

// The same for the text of a translation file (read from `path`), its entries paired with the
// rows as they are read rather than held; a text that is no such file is said, and nothing
// changes.
Outcome import_exchange_text(State& st, Ui& ui, ExchangeFormat format, std::string_view text,
                             const std::string& path, const ExchangeOptions& options);

} // namespace lex
