#pragma once
// One running Lexmarin as its commands see it: the document, the window model (panes, captions,
// title, progress, focus, recent files) and the values the settings files keep between runs.
// Nothing here is global: a test builds as many states as it needs.

#include <array>
#include <string>
#include <vector>

#include "document/document.h"

namespace lex {

// The scroll bars of the panes run from 0 to this value.
constexpr int kScrollMax = 3200;

// The controls of one pane that routines read or set (its rows are the document's).
struct Pane {
    bool check_errors_visible = false; // the pane's "Check Errors" button
    bool translate_visible = true;     // "Translate"
    bool stop_visible = false;         // "STOP", in the place of "Translate" during a run
    std::vector<int> run_rows;         // the rows a translation run works through, in order
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
struct WindowModel {
    std::array<Pane, kKinds> panes;
    bool single_words = false;                   // "Single Words": translate one label per request
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
    int focus_point_row = -1;    // ... or to this point row's target box (after a search)
    std::string service_caption; // the translation service in use, shown in the status bar
    bool night_pictures = false; // the rows show the elements' night pictures (View menu)
    std::string service_route;   // ... and the chain of engines its last run went through
};

// The values tr.dat keeps between runs besides the languages and the recent files.
struct KeptSettings {
    std::string last_opened; // last document opened with the Open dialog
    // The custom target language (target list row 24).
    std::string custom_name;
    std::string custom_web_code;
    std::string custom_code = "00";
    int custom_index = 0;
    int custom_codepage = 0;
    // The translation page address as the settings file holds it; the environment may
    // override State::translate_url for one run without it reaching the file.
    std::string saved_url;
    bool saved_url_read = false; // the settings file had the address line
    bool url_overridden = false; // translate_url comes from the environment
    // "Keep Layout When Saving": a save keeps the file's sections, markers, empty lines and line
    // ends where they stand and rewrites only the lines of what changed.
    bool keep_layout = false;
};

struct State : Document {
    int target_index = 2;      // row of the target list; 24: the custom language
    int font_codepage = 0;     // the code page the language-dependent cells are drawn with
    std::string dialog_filter; // filter of the next file dialog
    bool opened_from_command_line = false; // the document came from the command line
    // Opening builds the rows; a command that only reads the text (a survey, counts) sets this
    // false and reads what it needs from the document, in a fraction of the memory.
    bool rows_on_open = true;

    // A translation or error-check run.
    bool stop_requested = false;  // STOP was pressed during a run
    bool checking_errors = false; // a translation or error-check run goes on
    std::string language_pair;    // "from|to" web codes of the running translation
    std::string translate_url = "https://translate.google.com/translate_t";

    std::string dictionary;   // the spelling dictionary's text
    std::string edited_label; // the label text handed to the label editor and back

    KeptSettings kept;
    WindowModel win;

    Pane& pane(Kind kind) { return win.panes[static_cast<std::size_t>(kind)]; }
    const Pane& pane(Kind kind) const { return win.panes[static_cast<std::size_t>(kind)]; }
};

// Sets the start-up defaults for a program living in `program_dir`.
void set_defaults(State& st, const std::string& program_dir);

} // namespace lex
