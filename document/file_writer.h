#pragma once
// Writing files whole: the file system and the calendar as a save sees them.

#include <string>
#include <string_view>

namespace lex {

struct Document;

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The file system and the calendar as a save sees them. Tests replace it (Document::file_writer) to
// force failures and to fix the date.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Replaces the file at `path` with `bytes` as a whole: the bytes go to a temporary file in
    // the same folder, which is renamed over the target once complete. On failure the target is
    // left as it was and `why` says what went wrong.
    virtual bool replace_file(const std::string& path, std::string_view bytes,
                              std::string& why) = 0;
    // Replaces whatever is at `path` (a link too, which is replaced, never followed) by a new file
    // holding `bytes`, made readable by its owner alone before its first byte and given `mode`
    // (0644, say) once written: the way copies of the user's text (backups, reports) are made.
    // On failure the file is left as it was and `why` says what went wrong.
    virtual bool replace_with_new_file(const std::string& path, std::string_view bytes,
                                       unsigned mode, std::string& why);
    // Makes `copy` hold the bytes of the file at `original` as they are now, the way backups are
    // made: a second name for the file (a hard link made beside `copy` and renamed over it, so a
    // link planted at `copy` is replaced, never followed), which costs no copy and no flush while
    // a save replaces `original` by a new file; where the file system cannot do that, a new file
    // written by replace_with_new_file with `mode`. On failure `copy` is left as it was and `why`
    // says what went wrong.
    virtual bool keep_copy(const std::string& original, const std::string& copy, unsigned mode,
                           std::string& why);
    // Today's date, which names the backup copy.
    virtual Date today() = 0;
};

// FileWriter with the standard library: temporary file, flush to disk, rename.
FileWriter& standard_file_writer();
// FileWriter built on QSaveFile (Qt layer).
FileWriter& qt_file_writer();
// The FileWriter a save of `st` uses: st.file_writer, or the standard one.
FileWriter& writer_for(Document& st);

// Replaces the file at `path` with `bytes`, readable and writable by its owner alone: the bytes go
// to a new temporary file beside it, made 0600 from the start, which is renamed over it once on
// disk (given another `mode`, the file gets it just before). A link at `path` is itself replaced,
// never written through. On failure the file is left as it was and `why` says what went wrong.
bool replace_private_file(const std::string& path, std::string_view bytes, std::string& why,
                          unsigned mode = 0600);

// Replaces the file at `path` with `bytes` through a new temporary file beside it, flushed to disk
// and renamed over it, the way the standard FileWriter does but without its checks beforehand:
// the file gets the default mode, a link at `path` is itself replaced, and on failure the file is
// left as it was and `why` holds the system's own reason.
bool replace_file_plainly(const std::string& path, std::string_view bytes, std::string& why);

// A date as the backup name writes it: month-day-year, "12-05-2026".
std::string date_text(const Date& d);

} // namespace lex
