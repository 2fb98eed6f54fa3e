#pragma once
// The shared state of one running Lexmarin: the document text, its paths, the languages,
// the flags, and the window model (rows and the controls that routines read or set).
// Nothing here is global: a test builds as many states as it needs.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lex {

class Ui;
class SaveIo;

// Colours as 0xRRGGBB.
using Rgb = std::uint32_t;
constexpr Rgb rgb(int r, int g, int b) {
    return (Rgb(r) << 16) | (Rgb(g) << 8) | Rgb(b);
}
constexpr Rgb kBlack = rgb(0, 0, 0);           // QBColor 0
constexpr Rgb kRed = rgb(255, 0, 0);           // QBColor 12: suspect row
constexpr Rgb kMagenta = rgb(255, 0, 255);     // QBColor 13: search hit
constexpr Rgb kYellow = rgb(255, 255, 0);      // QBColor 14: spelling finding
constexpr Rgb kWhite = rgb(255, 255, 255);     // QBColor 15: normal row
constexpr Rgb kLightBlue = rgb(230, 250, 255); // default highlight: target equals source

// Element kinds, also the pane index.
enum Kind : int { kPolygons = 0, kLines = 1, kPoints = 2 };
constexpr int kKinds = 3;
constexpr std::array<const char*, 3> kSectionMarker{"[_polygon]", "[_line]", "[_point]"};

// Rows 0 to 20 of every kind always exist; further rows come and go with the document.
constexpr int kPermanentRows = 21;

// One label row: the source cell (lab) and the target box (txt). Texts are the file's bytes.
struct Row {
    std::string caption;     // source label text
    std::string tag;         // label key "=0xLL,text" as found when the row was built
    std::string text;        // target text
    Rgb back = kWhite;       // target box back colour: the row state
    Rgb label_back = kWhite; // source cell back colour (spelling findings)
    Rgb label_fore = kBlack; // source cell text colour (search hits)
};

// The scroll bars of the panes run from 0 to this value.
constexpr int kScrollMax = 3200;

// The controls of one pane that routines read or set.
struct Pane {
    std::vector<Row> rows = std::vector<Row>(kPermanentRows);
    std::vector<Row> spare;            // rows taken away by a rebuild, kept to reuse their memory
    bool check_errors_visible = false; // Label3: "Check Errors"
    bool translate_visible = true;     // Command7: "Translate"
    bool stop_visible = false;         // Command5: "STOP"
    std::vector<std::string> list3;    // List3: the run's working list
    std::string element;               // pair list written by save: source#target CR LF per row
    int scroll = 0;                    // VS value, 0 to kScrollMax
    // Geometry in twips: the viewport (Picture2) is fixed by the window, the panel (Picture1)
    // follows the row count, and its top moves with the scroll bar.
    int viewport = 7560;  // viewport height
    int panel = 7560;     // panel height
    int top = 0;          // panel top inside the viewport, 0 or negative
    int page_step = 3200; // scroll bar steps, in scroll units
    int line_step = 1;
};

// The controls of the main window that are not per pane.
struct Window {
    std::array<Pane, kKinds> panes;
    bool check3 = false;               // "0x00": fall back to 0x00 source labels
    bool check2 = false;               // "Single Words"
    std::array<std::string, 2> label4; // names of the chosen source and target language
    std::array<int, 2> list4{0, 2};    // selected entry of the source and target list, -1 none
    std::array<bool, 2> list4_visible{false, false};
    std::string label5;                // code page of the language chosen last
    std::array<std::string, 6> recent; // captions of the recent-file entries mf(10)..mf(15)
    std::array<bool, 6> recent_enabled{};
    std::string title;                 // window title
    std::array<std::string, 3> label2; // "Polygons: n", "Lines: n", "Pois: n"
    int progress = 0;                  // progress bar 0..100, hidden at 0
    bool busy = false;                 // busy pointer shown
    bool running = false;              // a long operation owns the document
    std::string search;                // Text2: search text
    // The translation page address as the settings file holds it; the environment may
    // override State::translate_url for one run without it reaching the file.
    std::string saved_url;
    bool saved_url_read = false; // the settings file had the address line
    bool url_overridden = false; // translate_url comes from the environment
};

struct State {
    // Document text and paths.
    std::string alltext;   // the file's bytes, lines ended by CR LF
    std::string fname;     // path of the current document
    std::string lastfile;  // last document opened with the Open dialog
    std::string sysdir;    // backup folder
    std::string dlgfilter; // filter of the next file dialog
    std::string progdir;   // the program folder (settings, dictionary, reports)

    // Row counts and the kind under work.
    int npoly = 0;
    int nline = 0;
    int npoi = 0;
    std::uint8_t etype = 0;

    // Languages and code pages.
    std::string fromlang = "04";
    std::string tolang = "02";
    std::string tolang2;
    int toindex = 2;
    int fromcp = 0;
    int tocp = 0;
    int curcp = 0;
    std::string custname;
    std::string custgoog;
    std::string custcode = "00";
    int custidx = 0;
    int custcp = 0;

    // Flags.
    bool changed = false;
    bool listloaded = false;
    bool fromcmdline = false;
    bool stopflag = false;
    bool errcheck = false;

    // Other shared values.
    float version = 1.22f;
    Rgb hilite = kLightBlue;
    std::string dictext;
    std::string trquery;
    std::string editstr;
    std::string translate_url = "https://translate.google.com/translate_t";
    SaveIo* saveio = nullptr; // file writing and date for saves; null: the standard one

    Window win;

    int& count(int kind) { return kind == kPolygons ? npoly : kind == kLines ? nline : npoi; }
    int count(int kind) const { return kind == kPolygons ? npoly : kind == kLines ? nline : npoi; }
    Pane& pane(int kind) { return win.panes[static_cast<std::size_t>(kind)]; }
    const Pane& pane(int kind) const { return win.panes[static_cast<std::size_t>(kind)]; }
    Row& row(int kind, int k) { return pane(kind).rows[static_cast<std::size_t>(k)]; }
};

// Sets the start-up defaults for a program living in `progdir`.
void set_defaults(State& st, const std::string& progdir);

// True when any row count is not 0; otherwise says "No data." and returns false.
bool fndat(State& st, Ui& ui);

// The file title of a path: the name without folder, cut before its first ".".
std::string ftrim(const std::string& path);

// Joins a folder and a file name with the platform's separator.
std::string join_path(const std::string& dir, const std::string& name);

// A number as the window prints it: a leading blank for the sign of a non-negative value.
std::string num_text(long long n);

} // namespace lex
