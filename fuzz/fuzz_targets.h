#pragma once
// Fuzz targets: each runs one part of the program on any bytes and checks what must hold
// whatever the bytes. libFuzzer drives them (scripts/fuzz.sh builds one program per target);
// the corpus under tests/fuzz/corpus/<target>/ is replayed through them as an ordinary test.

#include "document/ui.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lex {
struct State;
}

namespace lex::fuzz {

using Target = int (*)(const std::uint8_t* data, std::size_t size);
struct NamedTarget {
    const char* name; // also the name of its corpus folder
    Target run;
};
// Every target, in the order the campaign runs them.
const std::vector<NamedTarget>& targets();

// Opens the bytes as a document and builds the rows in several language choices: the rows
// pair one to one with the elements the save merges them into.
int open_rows(const std::uint8_t* data, std::size_t size);
// Opens the bytes (document, then after a NUL the language choice and the row edits), edits
// rows, saves, reopens and saves again (check_round_trip).
int save_round_trip(const std::uint8_t* data, std::size_t size);
// The first byte picks a translation service, the rest is its answer: read, then written into
// rows by a translation run.
int web_answers(const std::uint8_t* data, std::size_t size);
// The bytes as the settings file tr.dat: read, written, read again.
int settings_file(const std::uint8_t* data, std::size_t size);
// The own word list, and after a NUL labels to check against it and the English dictionary.
int own_words(const std::uint8_t* data, std::size_t size);
// The first byte picks an HTTP status and an address, the rest is what a server sends with it:
// the messages shown to the person hold no control character.
int service_errors(const std::uint8_t* data, std::size_t size);

// The bytes as an element body: its pictures decoded for every kind (within the limits, pixels
// matching the size, each written as a PNG file) and its labels read as a row's context.
int pictures(const std::uint8_t* data, std::size_t size);

// The bytes as a translation list (.lst) opened onto the rows of small_style(), or with no
// document open, as the File menu opens one: the document's text stays; a save changes only
// label lines of the target language, and only into texts of rows that changed; the list saved
// from the rows reads back as the same rows and languages.
int list_file(const std::uint8_t* data, std::size_t size);
// The first byte picks PO or XLIFF (and whether the file's language is taken as given), the rest
// is the file, imported onto the rows of small_style(): only row texts and statuses change; the
// entries read whole import as the entries handed on one at a time do; and the rows exported
// again and imported change nothing, in either format.
int exchange_files(const std::uint8_t* data, std::size_t size);
// The bytes as a TMX file: every pair read has texts and two different languages the tables
// know, and a refused file gives none. The pairs go into a translation memory in the work
// folder, where each source text finds an answer.
int tmx_file(const std::uint8_t* data, std::size_t size);

// Called when something that must hold does not. The libFuzzer driver stops with the input
// kept as a finding; the corpus replay fails the test and goes on.
void invariant_failed(const std::string& what);

// A folder for the targets' files, made once per process and removed at its end.
const std::string& work_folder();

// A small style opened once per process, English to German in code page 1252, with rows of
// every kind: labels in other languages, Type codes two elements share, a label outside ASCII,
// an element without an English label, blanks around a label. Copied by the targets that
// import onto rows.
const State& small_style();
// Whether the rows in use of `a` and `b` are the same, every field of every row.
bool same_rows(const State& a, const State& b);

// Says nothing to anybody: records messages and answers every question with `answer`.
using QuietUi = SilentUi;

// One round trip: the languages the rows are built in, and the row edits made before the save.
struct RoundTrip {
    std::string source = "04";
    std::string target = "02";
    bool zero_fallback = false;
    bool utf8_answer = false; // the answer to the question whether labels are UTF-8
    struct Edit {
        int kind = 0;
        int row = 0; // taken modulo the kind's row count
        std::string text;
    };
    std::vector<Edit> edits;
};

// Opens `document`, makes the edits, saves, reopens and saves again. Checks that an open
// document always saves unless an edit makes it unopenable (then nothing is written and it
// stays changed); that every comment line survives; that every label line of an element whose
// row did not change stays byte for byte, and every other line too (in an edited row's element
// all but its own line of the target language, or the one added); that each edited row shows
// its text after the reload, every other row what it showed before; and that the second save
// writes the same bytes. Returns false when the document was refused at opening.
bool check_round_trip(const std::string& document, const RoundTrip& trip);

// The edit texts the round trips choose from; the last one makes a file unopenable.
const std::vector<std::string>& edit_texts();

} // namespace lex::fuzz
