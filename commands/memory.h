#pragma once
// The translation memory as the window and the command line use it: the file in the user folder,
// opened on first use; learning from a style that was opened and from the user's own
// translations at a save; TMX import and export.

#include "document/outcome.h"
#include "translate/memory.h"
#include "translate/memory_pairs.h"
#include "translate/run.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lex {

struct Document;
struct State;
class Ui;

// The memory's file: <user folder>/memory.sqlite
std::string memory_path(const Document& st);

// Learning from the styles a window opens, beside the window: each learning on a connection of
// its own to the memory file, in a thread of its own, one after the other in the order they
// were asked for. A learning is one transaction: one stopped leaves the memory as it was.
class BackgroundLearning {
public:
    BackgroundLearning() = default;
    ~BackgroundLearning() { stop(); }
    BackgroundLearning(const BackgroundLearning&) = delete;
    BackgroundLearning& operator=(const BackgroundLearning&) = delete;

    struct Result {
        std::string origin; // the style's file name
        long pairs = 0;     // the pairs it gave; -1 when the memory could not take them
        std::string why;
        bool stopped = false; // stop() ended it
    };
    // Queues a learning of the TYP text `text` into the memory at `memory_path`. `ended` runs
    // on the learning's thread once it has ended (its result waits in take_results()).
    void learn(std::string memory_path, std::string text, bool utf8_labels, std::string origin,
               const LabelCodec& codec, std::function<void()> ended = {});
    // Waits until every learning queued has ended.
    void wait();
    // Stops the learning under way (it writes nothing), drops the queued ones and waits for the
    // thread; new learnings may be queued after.
    void stop();
    bool busy() const;
    // The results of the learnings ended since the last call.
    std::vector<Result> take_results();

private:
    struct Job {
        std::string memory_path, text, origin;
        bool utf8_labels = false;
        const LabelCodec* codec = nullptr;
        std::function<void()> ended;
    };
    void run();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    std::vector<Result> results_;
    bool working_ = false;  // a job is being done
    bool quitting_ = false; // the thread ends once it sees this
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

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
    // The learnings of opened styles that run beside the window.
    BackgroundLearning& background() { return background_; }

private:
    const LabelCodec& codec_;
    std::unique_ptr<TranslationMemory> memory_;
    bool failed_ = false;
    BackgroundLearning background_; // first to go: its learning stops before the rest goes
};

// Learns the pairs of the document just opened (its file name as their origin). Returns the
// pairs it gave, -1 when the memory could not take them (said once).
long learn_from_document(State& st, Ui& ui, MemoryKeeper& keeper);

// Queues the learning of the document just opened in the keeper's background (see
// learn_from_document); false when there is nothing to learn or no memory to learn into.
// `ended` as in BackgroundLearning::learn.
bool learn_in_background(State& st, MemoryKeeper& keeper, std::function<void()> ended = {});
// Says once, through the keeper, why a learning in its background failed.
void report_learnings(MemoryKeeper& keeper, Ui& ui);
// The user's own translations in the rows (own_pairs), taken before a save; none while the
// memory is off.
std::vector<MemoryPair> own_translations(const State& st, const MemoryKeeper& keeper);
// Learns the user's own translations `pairs` (taken before a save wrote them), after the
// learnings in the background have ended.
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
