#pragma once
// The recovery file: while the rows hold changes not saved, they are kept in a file of the user
// folder with the document's path, so that a window that ends without saving (a crash, a killed
// process) loses nothing. The next start offers to put them back.
//
// Each window keeps its own file, "recovery/<file title>-<16 hex digits of the path>-<8 hex
// digits of its own>.rec", and holds the lock "<that file>.lock" while it runs:
//
//   [recovery]                             this line first: the file is in this format
//   [document]<path of the document>       absent for rows that came from a list alone
//   [zero]                                 when "0x00" was ticked
//   [lang]<source caption>,<target caption>
//   [polygons]                             then a line "source#target" per row, an empty line;
//   [lines] ...  [pois] ...                the same for the lines and the points
//
// Lines end with CR LF. Texts keep every byte as it was, except that "\", "#", ",", DEL and
// every byte below 0x20 (line ends and tabs among them) are written as "\" and two hex digits:
// "Puerta #3" is "Puerta \233". Earlier versions wrote "<file title>-<16 hex digits>.lst", the
// lines before [lang] unescaped and then a translation list as "Save List" writes it, which has
// no room for a "#" in a text; those files are still read and offered.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lex {

struct State;
class FileLock;
class FileLocks;
class Ui;

// The recovery file's text for the rows of `st`.
std::string recovery_text(const State& st);

// Keeps one window's recovery file in step with its unsaved rows.
class RecoveryKeeper {
public:
    // `locks` makes the lock that tells other windows, and the next start, that the file is
    // kept here.
    explicit RecoveryKeeper(FileLocks& locks);
    RecoveryKeeper(RecoveryKeeper&&) noexcept;
    RecoveryKeeper& operator=(RecoveryKeeper&&) noexcept;
    // Releases the lock and leaves the file, as a crash would: the next start offers it.
    ~RecoveryKeeper();

    // Writes the file when the document has unsaved changes and its text would differ from
    // what was written last (or the file went missing); removes it when nothing is unsaved or
    // when another document is open. A file that cannot be written is reported once.
    void update(State& st, Ui& ui);
    // Removes the file written last: after a save, at a clean close.
    void remove();
    // The file written last, empty when there is none.
    const std::string& file() const { return file_; }

private:
    FileLocks* locks_;
    std::unique_ptr<FileLock> lock_; // held while file_ is kept
    std::string file_;
    std::string document_;    // the document path the file was written for
    std::size_t written_ = 0; // hash of the text written last
    bool reported_ = false;
};

// The recovery files in the user folder, of this version and earlier ones, oldest first;
// those that running windows keep included.
std::vector<std::string> recovery_files(const State& st);

enum class Recovered {
    kDeclined,     // the user declined: the file is gone
    kRestored,     // the document was opened and its rows put back
    kOpenedAsList, // the rows did not match the document and were opened as a list
    kNotOpened,    // the rows matched nothing and the user did not open them as a list
};

// Offers the rows kept in recovery file `file`: opens the document it names (with the languages
// and "0x00" the rows were built with) and puts the rows back when the document still gives
// the same rows; otherwise asks whether to open them as a list. `as_step` runs the part that
// changes the rows, so that the window can keep it as one undo step. The file is removed
// afterwards, whatever was chosen.
using StepRunner = std::function<void(const std::function<void()>& change)>;
Recovered offer_recovery(State& st, Ui& ui, const std::string& file, const StepRunner& as_step);

// At start: offers, oldest first, every recovery file that no running window keeps, until one
// is put back or opened as a list. A file a running window keeps is neither offered nor
// removed; one whose window has ended without removing it (its lock is stale) is offered.
// Returns how many files were offered.
int offer_recovery_files(State& st, Ui& ui, FileLocks& locks, const StepRunner& as_step);

} // namespace lex
