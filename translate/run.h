#pragma once
// The translation run of one pane: the selection of rows, the batches sent to the translator,
// and the matching of each answer back to its rows.

#include "document/kind.h"
#include "document/outcome.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

struct State;
class Ui;
class Translator;
class TranslationMemory;
class LabelCodec;
struct TranslationRequest;

// The translation memory a run asks before the service, and what it answered.
struct MemoryUse {
    TranslationMemory* memory = nullptr; // null: the memory is not used
    const LabelCodec* codec = nullptr;   // turns labels into UTF-8 and back (label_codec())
    int threshold = 75;                  // the least similarity a fuzzy match needs, in percent
    bool only = false;                   // the rows the memory does not answer stay as they are
    // Counted over every run handed this use: rows filled by an exact and by a fuzzy match.
    int exact = 0;
    int fuzzy = 0;
    bool failed = false; // the memory could not be asked (said once); runs go on without it
};

struct RunOptions {
    // The pause with the full progress bar at the end of a run.
    int pause_ms = 1000;
    MemoryUse* memory = nullptr;
};

// The code page the source labels are written in: source_codepage, or the one of source_code while
// no language was chosen yet.
int sending_codepage(const State& st);
// The code page the target cells hold: target_codepage, or the one the target cells are shown with
// while no language was chosen yet.
int receiving_codepage(const State& st);
// These two are UTF-8 for a document whose labels are UTF-8. The target language's own code page
// (which script its answers come in) is this one, whatever the document.
int target_script_codepage(const State& st);

// What the run hands a service with each call: State::language_pair, the two code pages above,
// State::translate_url and a token for State::stop_requested.
TranslationRequest translation_request(const State& st);

// Splits `text` at every occurrence of any of `separators`, matching only at character
// boundaries of `codepage` (a double-byte character's second byte never matches).
std::vector<std::string> split_answer(std::string_view text,
                                      const std::vector<std::string>& separators, int codepage);

// The separators tried, in order, when an answer in a code page below 1250 does not split at
// "," into the expected number of items. `utf8`: the answer is UTF-8 text in the script of
// `codepage`, so only whole UTF-8 characters separate.
std::vector<std::vector<std::string>> extra_separators(int codepage, bool utf8 = false);

// Which rows a run sends.
enum class RunRows {
    // "Translate" and "Check Errors": the rows whose target is empty or holds "?", or, while the
    // pane shows suspect rows, the suspect rows and those holding "?".
    kTranslate,
    // The command line's translate: the rows with a source label and an empty target.
    kEmptyTargets,
};

// Fills pane `kind`'s run_rows with the rows `which` picks, in order, and returns their number.
std::size_t select_run_rows(State& st, Kind kind, RunRows which);

// Selects the rows of pane `kind` to translate into its run_rows and runs translate_selection;
// then, unless stopped, marks the document changed and shows the finished progress bar for a
// moment. Returns what the run did (see translate_selection).
Outcome translate_rows(State& st, Ui& ui, Translator& tr, Kind kind,
                       const RunOptions& options = {});

// The run over the selection of pane `kind`: done with the rows it wrote; refused, having said
// why, when the languages do not allow a run; failed when it said the service let it down (no
// answer, labels answered with nothing); cancelled when it was stopped.
// With `memory`, the rows the memory answers are filled first (an exact match as translated, a
// fuzzy one to review, each with its score in the row's tip) and only the others are sent.
Outcome translate_selection(State& st, Ui& ui, Translator& tr, Kind kind,
                            MemoryUse* memory = nullptr);

// The memory's code of the languages of the lists in use ("en", "de"); "" for the custom
// language or none chosen.
std::string memory_source_language(const State& st);
std::string memory_target_language(const State& st);

} // namespace lex
