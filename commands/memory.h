#pragma once
// The translation memory as the window and the command line use it: the file in the user folder,
// opened on first use; learning from a style that was opened and from the user's own
// translations at a save; TMX import and export.

#include "document/outcome.h"
#include "translate/memory.h"
#include "translate/memory_pairs.h"
#include "translate/run.h"

#include <memory>
#include <string>
#include <vector>

namespace lex {

struct Document;
struct State;
class Ui;

// The memory's file: <user folder>/memory.sqlite
std::string memory_path(const Document& st);

// The memory of one window or command. A memory that cannot be opened, read or written never
// stops the work: the first failure is said once, and the keeper then acts as if there were
// no memory.
class MemoryKeeper {
public:
    // `codec` turns labels into UTF-8 and back (label_codec()).
    explicit MemoryKeeper(const LabelCodec& codec) : codec_(codec) {}
    const LabelCodec& codec() const { return codec_; }

    bool enabled = true; // the user's setting: memory on or off
    int threshold = 75;  // the least similarity of a fuzzy match, in percent

    // The memory, opened from the user folder on first use; null when it is off or cannot be
    // used (said once).
    TranslationMemory* get(Document& st, Ui& ui);
    // What a run hands the memory: null memory while there is none.
    MemoryUse use(Document& st, Ui& ui);
    // Says once why the memory cannot be used, and stops using it.
    void fail(Ui& ui, const std::string& why);
    // A run has said why the memory failed it: it is not used again.
    void failed_in_run() {
        failed_ = true;
        memory_.reset();
    }
    bool failed() const { return failed_; }

private:
    const LabelCodec& codec_;
    std::unique_ptr<TranslationMemory> memory_;
    bool failed_ = false;
};

// Learns the pairs of the document just opened (its file name as their origin). Returns the
// pairs it gave, -1 when the memory could not take them (said once).
long learn_from_document(State& st, Ui& ui, MemoryKeeper& keeper);
// The user's own translations in the rows (own_pairs), taken before a save; none while the
// memory is off.
std::vector<MemoryPair> own_translations(const State& st, const MemoryKeeper& keeper);
// Learns the user's own translations `pairs` (taken before a save wrote them).
long learn_own_translations(State& st, Ui& ui, MemoryKeeper& keeper,
                            const std::vector<MemoryPair>& pairs);

// Learns the pairs of the TYP text file at `path` without opening it as the document: any TYP
// text, also one the window refuses to edit. Returns the pairs it gave, or -1 with `why`;
// `learnt_before` is set when the memory had learnt this very content already.
long learn_from_file(TranslationMemory& memory, const LabelCodec& codec, const std::string& path,
                     std::string& why, bool* learnt_before = nullptr);

// Reads a TMX file into the memory; an empty path asks for one. Says how many pairs it gave
// (and how many variants were in languages the tables lack), or why the file was refused.
Outcome import_tmx(State& st, Ui& ui, MemoryKeeper& keeper, std::string path = {});
// Writes the whole memory to a TMX file; an empty path asks for one.
Outcome export_tmx(State& st, Ui& ui, MemoryKeeper& keeper, std::string path = {});

} // namespace lex
