#pragma once
// The one channel through which core routines talk to the person at the screen.
// The Qt window implements it with message boxes and file dialogs; tests use a scripted fake.

#include <string>
#include <vector>

#include "document/kind.h"

namespace lex {

struct FileRequest {
    bool save = false;    // Save dialog when true, Open dialog otherwise
    std::string title;    // "Save File" / "Open File"
    std::string filter;   // description NUL pattern NUL ... (as handed to the dialog)
    std::string folder;   // initial folder
    std::string proposed; // proposed file name
};

// What a refresh redraws: the window's own state (title, captions, buttons, progress) always,
// and the rows of one pane or of every pane as well.
struct RefreshTarget {
    enum class Rows { kNone, kPane, kAllPanes };
    Rows rows = Rows::kAllPanes;
    Kind pane = kPolygons; // for kPane

    // The title, the captions, the buttons and the progress; no rows.
    static constexpr RefreshTarget window() { return {Rows::kNone}; }
    // Those and the rows of pane `kind`.
    static constexpr RefreshTarget pane_rows(Kind kind) { return {Rows::kPane, kind}; }
    // Those and the rows of every pane.
    static constexpr RefreshTarget everything() { return {Rows::kAllPanes}; }
    bool operator==(const RefreshTarget&) const = default;
};

// What a message tells, beside the exact text the window shows: code that does not read the
// text (the command line, tests) tells messages apart by this.
enum class MessageId {
    kNoData,              // "No data": nothing is open
    kNotAStyleFile,       // the file read is no style file
    kFileRefused,         // an opened file was refused: why
    kNoCodePage,          // the document has no CodePage line
    kFileMissing,         // the file named does not exist
    kCannotRead,          // a file could not be read: why
    kCannotWrite,         // a file could not be written (a report, a word list, the settings)
    kNoViewer,            // no text viewer could be started: where the file is
    kSaveFailed,          // a save wrote nothing: why
    kReloadInEditor,      // the saved file is to be reloaded in the program that opened it
    kNoDocumentOpen,      // the command needs a document
    kEditorMissing,       // the editor to hand the document to is not there
    kSearchResult,        // how many rows a search found
    kNothingFound,        // an operation found nothing to do
    kSorted,              // the languages were sorted
    kSameLanguages,       // source and target language are the same
    kNoSourceLanguage,    // no source language is chosen
    kNoTargetLanguage,    // no target language is chosen
    kLanguageNotServed,   // the service has no code for the target language
    kServiceFailed,       // the translation service gave no answer: why
    kEmptyAnswers,        // the service answered labels with nothing
    kLanguagesFound,      // the languages of a document
    kEnterText,           // an edit needs some text
    kLabelNotFound,       // an edited label is no longer in the document
    kNoRowsLeft,          // review: no further row of the kind asked for
    kNoErrors,            // the spelling check found nothing
    kRowsFound,           // how many rows were marked
    kNoDictionary,        // no spelling dictionary for the language
    kZeroLanguageOnly,    // the language can only use 0x00
    kSaveFirst,           // the command needs the document saved
    kNotAvailable,        // the command is not there yet
    kNoSourceLabels,      // the document has no label in the source language
    kListSaved,           // a list was written
    kLegendSaved,         // a legend page was written
    kNotAList,            // the file read is no list
    kListRowsDiffer,      // list rows whose source differs from the element they go into
    kListNamesNoLanguage, // a list without languages is applied under the ones in use
    kNotAWebAddress,      // an address typed is no web address
    kExchangeWritten,     // the rows were written to a PO or XLIFF file
    kNotExchangeFile,     // the file read is no PO or XLIFF file Lexmarin can read: why
    kExchangeLanguage,    // the translation file is for another target language
    kEntriesUnmatched,    // entries of a translation file that match no row
    kLabelsDoNotFit,      // translations the target code page cannot hold were left out
    kExchangeImported,    // how many rows a translation file changed
    kMemoryUnavailable,   // the translation memory cannot be opened, read or written: why
    kMemoryLearnt,        // what the translation memory learnt or exchanged
    kError,               // something went wrong that no other id names: what
};

struct Message {
    MessageId id;
    std::string text;
};

// What a question asks, beside its exact text.
enum class QuestionId {
    kSaveChanges,         // the document has unsaved changes: save them first?
    kReplaceFile,         // the file chosen exists: replace it?
    kWriteUndefinedBytes, // labels would be written with bytes the code page lacks
    kUnrepresentableRows, // rows hold characters their code page cannot hold
    kLabelsAreUtf8,       // the labels are UTF-8 although the CodePage line says otherwise
    kRepairUtf8Labels,    // how to repair UTF-8 labels under a single-byte CodePage line
    kChangeLanguage,      // relabel every label of one language as another
    kRemoveEmptyLabels,   // delete the empty label lines
    kSortLanguages,       // sort the languages before the export
    kClearTranslations,   // clear the translations of a pane
    kListCountsDiffer,    // the list and the document differ in rows: open it anyway?
    kListLanguageUnknown, // the list names a language no table knows: use the one in use?
    kListRowsHoldHash,    // rows hold a "#" the list cannot keep: save anyway?
    kRecoverRows,         // rows kept after a crash: put them back?
    kRecoveredRowsAsList, // the kept rows no longer fit the document: open them as a list?
};

struct Question {
    QuestionId id;
    std::string text;
};

class Ui {
public:
    virtual ~Ui() = default;
    // OK box showing the message's text.
    virtual void message(const Message& message) = 0;
    // Yes/No question: true only for Yes.
    virtual bool ask(const Question& question) = 0;
    // A question with more answers than Yes and No, each a button with an id: the id of the
    // answer chosen. The last answer is the one that leaves everything as it was; closing the
    // question gives it, as does a Ui that cannot ask.
    struct Answer {
        int id;
        std::string caption;
    };
    virtual int choose(const Question& question, const std::vector<Answer>& answers) {
        (void)question;
        return answers.empty() ? -1 : answers.back().id;
    }
    // Common Open/Save dialog; the empty text when cancelled.
    virtual std::string choose_file(const FileRequest& request) = 0;
    // Let pending window events run (callers throttle this).
    virtual void process_events() = 0;
    // Busy pointer on or off.
    virtual void busy(bool on) = 0;
    // The model changed: redraw what shows it.
    virtual void refresh(RefreshTarget target = RefreshTarget::everything()) { (void)target; }
    // Open a report file in the desktop's text viewer.
    virtual void view_file(const std::string& path) = 0;
    // Open a file in the desktop's text viewer; false when no viewer could be started.
    virtual bool start_viewer(const std::string& path) {
        view_file(path);
        return true;
    }
    // Start another program with these arguments, each passed as it is (no shell), without
    // waiting.
    virtual void start_program(const std::string& program,
                               const std::vector<std::string>& arguments) = 0;
    // Open a web address in the browser.
    virtual void open_url(const std::string& url) = 0;
};

// A Ui that shows nothing: it keeps the messages' texts and answers every question with
// `answer`.
// For work done aside from the person: rows built only to be compared, benchmarks, fuzzing.
class SilentUi : public Ui {
public:
    explicit SilentUi(bool answer_questions = false) : answer(answer_questions) {}
    std::vector<std::string> messages;
    bool answer;
    void message(const Message& message) override { messages.push_back(message.text); }
    bool ask(const Question&) override { return answer; }
    std::string choose_file(const FileRequest&) override { return {}; }
    void process_events() override {}
    void busy(bool) override {}
    void view_file(const std::string&) override {}
    void start_program(const std::string&, const std::vector<std::string>&) override {}
    void open_url(const std::string&) override {}
};

} // namespace lex

#include <chrono>

namespace lex {

// Lets window events run from inside a long loop, at most every 15 ms, so that yielding never
// dominates the loop's cost.
class Throttle {
public:
    explicit Throttle(Ui& ui) : ui_(ui), last_(std::chrono::steady_clock::now()) {}
    void operator()() {
        if (++calls_ % 64 != 0) return; // reading the clock costs more than most loop bodies
        auto now = std::chrono::steady_clock::now();
        if (now - last_ >= std::chrono::milliseconds(15)) {
            ui_.process_events();
            last_ = std::chrono::steady_clock::now();
        }
    }

private:
    Ui& ui_;
    std::chrono::steady_clock::time_point last_;
    unsigned calls_ = 0;
};

} // namespace lex
