#pragma once
// The recovery file: while the rows hold changes not saved, they are kept in the user folder as a
// translation list with the document's path, so that a window that ends without saving (a crash,
// a killed process) loses nothing. The next start offers to put them back.
//
//   [document]<path of the document>      absent for rows that came from a list alone
//   [zero]                                when "0x00" was ticked
//   [lang]...  [polygons] ...             the rows, as "Save List" writes them

#include <functional>
#include <string>
#include <vector>

namespace lex {

struct State;
class Ui;

// "recovery/<file title>-<16 hex digits of the path>.lst" in the user folder.
std::string recovery_path(const State& st, const std::string& document_path);

// The recovery file's text for the rows of `st`.
std::string recovery_text(const State& st);

// Keeps the recovery file of the document in step with its unsaved rows.
class RecoveryKeeper {
public:
    // Writes the file when the document has unsaved changes and its text would differ from
    // what was written last (or the file went missing); removes it when nothing is unsaved or
    // when another document is open. A file that cannot be written is reported once.
    void update(State& st, Ui& ui);
    // Removes the file written last: after a save, at a clean close.
    void remove();
    // The file written last, empty when there is none.
    const std::string& file() const { return file_; }

private:
    std::string file_;
    std::size_t written_ = 0; // hash of the text written last
    bool reported_ = false;
};

// The recovery files in the user folder, oldest first.
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

} // namespace lex
