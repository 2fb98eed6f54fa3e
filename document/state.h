#pragma once
// The shared state of one running Lexmarin: the document text, its paths, the languages,
// the flags, and the window model (rows and the controls that routines read or set).
// Nothing here is global: a test builds as many states as it needs.

#include <array>
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
};

// Marks a row carries besides its status, until the search or spelling check that set them runs
// again or the rows are rebuilt.
struct RowMarks {
    bool search_hit = false;   // the source text matches the last search
    bool source_doubt = false; // the spelling check doubts a word of the source text
    bool target_doubt = false; // ... or of the target text
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
    bool changed_since_built() const { return marked_changed || text != built_text; }

    RowStatus status = RowStatus::kNormal; // the window shows it as the target box's colour
    RowMarks marks;

    bool operator==(const Row&) const = default;
};

// The scroll bars of the panes run from 0 to this value.
constexpr int kScrollMax = 3200;

// The controls of one pane that routines read or set.
struct Pane {
    std::vector<Row> rows = std::vector<Row>(kPermanentRows);
    std::vector<Row> spare;            // rows taken away by a rebuild, kept to reuse their memory
    bool check_errors_visible = false; // the pane's "Check Errors" button
    bool translate_visible = true;     // "Translate"
    bool stop_visible = false;         // "STOP", in the place of "Translate" during a run
    std::vector<std::string> run_rows; // the row numbers a translation run works through
    int scroll = 0;                    // scroll bar value, 0 to kScrollMax
    // Geometry in twips: the viewport is fixed by the window, the panel of rows follows the row
    // count, and its top moves with the scroll bar.
    int viewport = 7560;  // viewport height
    int panel = 7560;     // panel height
    int top = 0;          // panel top inside the viewport, 0 or negative
    int page_step = 3200; // scroll bar steps, in scroll units
    int line_step = 1;
};

// Which language list: the source ("From") or the target ("Translate into") list.
enum LanguageList : int { kSourceList = 0, kTargetList = 1 };

// The controls of the main window that are not per pane.
struct Window {
    std::array<Pane, kKinds> panes;
    bool zero_fallback = false; // "0x00": rows may show an element's 0x00 label as source
    bool single_words = false;  // "Single Words": translate one label per request
    std::array<std::string, 2> language_caption; // names of the source and target language
    std::array<int, 2> language_row{0, 2}; // selected row of the source and target list, -1 none
    std::array<bool, 2> language_list_open{false, false}; // the drop lists shown
    std::string codepage_caption;                         // code page of the language chosen last
    std::array<std::string, 6> recent;        // the recent-file entries of the File menu
    std::array<bool, 6> recent_enabled{};     // entries whose file exists
    std::string title;                        // window title
    std::array<std::string, 3> count_caption; // "Polygons: n", "Lines: n", "Pois: n"
    int progress = 0;                         // progress bar 0..100, hidden at 0
    bool busy = false;                        // busy pointer shown
    bool running = false;                     // a long operation owns the document
    std::string search_text;                  // the search box, in the source code page
    bool focus_search_box = false;            // a command sends the keyboard to the search box
    int focus_point_row = -1; // ... or to this point row's target box (after a search)
    // The translation page address as the settings file holds it; the environment may
    // override State::translate_url for one run without it reaching the file.
    std::string saved_url;
    bool saved_url_read = false; // the settings file had the address line
    bool url_overridden = false; // translate_url comes from the environment
    std::string service_caption; // the translation service in use, shown in the status bar
};

struct State {
    // Document text and paths.
    std::string document;      // the file's bytes, lines ended by CR LF
    std::string document_path; // path of the current document
    std::string last_opened;   // last document opened with the Open dialog
    std::string backup_dir;    // where a save keeps dated copies of overwritten documents
    std::string dialog_filter; // filter of the next file dialog
    std::string program_dir;   // the program folder: settings, backups, reports, own dictionary
    std::string data_dir;      // data shipped with the program, only read (document/folders.h)

    // Rows in use per kind.
    std::array<int, kKinds> row_counts{};

    // Languages (two hex digits of the TYP code) and code pages.
    std::string source_code = "04";
    std::string target_code = "02"; // the language translations and saves write
    std::string row_target_code;    // the language the rows read their target texts from
    int target_index = 2;           // row of the target list; 24: the custom language
    int source_codepage = 0;
    int target_codepage = 0;
    int font_codepage = 0; // the code page the language-dependent cells are drawn with
    // The custom target language, kept in the settings file.
    std::string custom_name;
    std::string custom_web_code;
    std::string custom_code = "00";
    int custom_index = 0;
    int custom_codepage = 0;

    // Flags.
    bool changed = false;                  // the document has changes not saved
    bool list_loaded = false;              // the rows come from a list file, no document
    bool opened_from_command_line = false; // the document came from the command line
    bool stop_requested = false;           // STOP was pressed during a run
    bool checking_errors = false;          // a translation or error-check run goes on
    bool utf8_labels = false; // the labels are shown, typed and written as UTF-8, any language
    // Count the documents opened and saved, so that a window can tell that either happened.
    int documents_opened = 0;
    int documents_saved = 0;

    // Other shared values.
    float version = 1.22f;
    std::string dictionary;    // the spelling dictionary's text
    std::string language_pair; // "from|to" web codes of the running translation
    std::string edited_label;  // the label text handed to the label editor and back
    std::string translate_url = "https://translate.google.com/translate_t";
    FileWriter* file_writer = nullptr; // how saves write files; null: the standard writer

    Window win;

    int& row_count(Kind kind) { return row_counts[static_cast<std::size_t>(kind)]; }
    int row_count(Kind kind) const { return row_counts[static_cast<std::size_t>(kind)]; }
    Pane& pane(Kind kind) { return win.panes[static_cast<std::size_t>(kind)]; }
    const Pane& pane(Kind kind) const { return win.panes[static_cast<std::size_t>(kind)]; }
    Row& row(Kind kind, int k) { return pane(kind).rows[static_cast<std::size_t>(k)]; }
};

// Sets the start-up defaults for a program living in `program_dir`.
void set_defaults(State& st, const std::string& program_dir);

// True when any row count is not 0; otherwise says "No data." and returns false.
bool require_rows(State& st, Ui& ui);

// The file title of a path: the name without folder, cut before its first ".".
std::string file_title(const std::string& path);

// Joins a folder and a file name with the platform's separator.
std::string join_path(const std::string& dir, const std::string& name);

// A number as the window prints it: a leading blank for the sign of a non-negative value.
std::string spaced_number(long long n);

} // namespace lex
