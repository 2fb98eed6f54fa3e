#pragma once
// Saving the document: the checks, the dated backup copy, the sections reordered by kind, the
// pair lists, the merge of the rows into the elements, the write and the reload. Also the two
// small writers other routines use for lists and reports.

#include <string>
#include <string_view>

namespace lex {

struct State;
class Ui;

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The file system and the calendar as a save sees them. Tests replace it (State::saveio) to
// force failures and to fix the date.
class SaveIo {
public:
    virtual ~SaveIo() = default;
    // Replaces the file at `path` with `bytes` as a whole: the bytes go to a temporary file in
    // the same folder, which is renamed over the target once complete. On failure the target is
    // left as it was and `why` says what went wrong.
    virtual bool replace_file(const std::string& path, std::string_view bytes,
                              std::string& why) = 0;
    // Today's date, which names the backup copy.
    virtual Date today() = 0;
};

// SaveIo with the standard library: temporary file, flush to disk, rename.
SaveIo& standard_save_io();
// SaveIo built on QSaveFile (Qt layer).
SaveIo& qt_save_io();
// The SaveIo a save of `st` uses: st.saveio, or the standard one.
SaveIo& save_io(State& st);

// A date as the backup name writes it: month-day-year, "12-05-2026".
std::string date_text(const Date& d);
// Where the backup copy of `file` made on `d` goes: the backup folder, the file title, the date
// and ".txt".
std::string backup_path(const State& st, const std::string& file, const Date& d);

// The document text reordered for writing: the sections that are not elements, then the
// polygons, lines and points, each closed by "[end]"; text after the last "[end]" is dropped.
std::string assemble(std::string_view alltext);
// Fills each pane's pair list from its rows: "source#target" and CR LF per row.
void fill_pair_lists(State& st);
// The text a save writes: the assembly with the rows merged into the elements of each kind.
std::string build_saved_text(State& st);

// Saves the document to `path`; an empty path asks for one (Save As) and writes it back.
// Returns true when the file was written.
bool savefile(State& st, Ui& ui, std::string& path);

// Appends `text` and CR LF to the file, creating it when missing. A failure is reported with
// the system's description of the error; returns false then.
bool procsave(Ui& ui, const std::string& path, std::string_view text);
// Creates or overwrites the file with `text` and CR LF; false on failure, without a message.
bool Savetext(const std::string& path, std::string_view text);

} // namespace lex
