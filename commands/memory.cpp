#include "commands/memory.h"

#include "document/codepage.h"
#include "document/document.h"
#include "document/file_writer.h"
#include "document/files.h"
#include "document/folders.h"
#include "document/typ_file.h"
#include "document/ui.h"
#include "translate/memory_pairs.h"
#include "translate/tmx.h"
#include "view/state.h"

#include <system_error>
#include <utility>

namespace lex {

namespace {

std::string file_name(const std::string& path) {
    return from_path(to_path(path).filename());
}

// The file dialog's filter: descriptions and patterns, each ended by NUL.
std::string filter_text() {
    using namespace std::string_literals;
    return "TMX files (*.tmx)\0*.tmx\0All files (*.*)\0*.*\0"s;
}

} // namespace

std::string memory_path(const Document& st) {
    return user_file(st, "memory.sqlite");
}

TranslationMemory* MemoryKeeper::get(Document& st, Ui& ui) {
    if (!enabled || failed_) return nullptr;
    if (memory_) return memory_.get();
    std::string why;
    memory_ = TranslationMemory::open(memory_path(st), why);
    if (!memory_) fail(ui, memory_path(st) + ": " + why);
    return memory_.get();
}

MemoryUse MemoryKeeper::use(Document& st, Ui& ui) {
    MemoryUse use;
    use.memory = get(st, ui);
    use.codec = &codec_;
    use.threshold = threshold;
    return use;
}

void MemoryKeeper::fail(Ui& ui, const std::string& why) {
    if (failed_) return;
    failed_ = true;
    memory_.reset();
    ui.message({MessageId::kMemoryUnavailable, "The translation memory cannot be used (" + why +
                                                   "); translation goes on without it."});
}

std::vector<MemoryPair> own_translations(const State& st, const MemoryKeeper& keeper) {
    return keeper.enabled ? own_pairs(st, keeper.codec()) : std::vector<MemoryPair>{};
}

long learn_from_document(State& st, Ui& ui, MemoryKeeper& keeper) {
    if (st.document.empty() || st.list_loaded) return 0;
    TranslationMemory* memory = keeper.get(st, ui);
    if (!memory) return -1;
    const std::vector<MemoryPair> pairs =
        style_pairs(st.document, st.utf8_labels || declared_codepage(st.document) == kUtf8CodePage,
                    keeper.codec());
    if (pairs.empty()) return 0;
    std::string why;
    const long added =
        memory->add(pairs, {file_name(st.document_path), false}, why, text_digest(st.document));
    if (added < 0) keeper.fail(ui, why);
    return added;
}

void BackgroundLearning::learn(std::string memory_path, std::string text, bool utf8_labels,
                               std::string origin, const LabelCodec& codec,
                               std::function<void()> ended) {
    std::lock_guard lock(mutex_);
    jobs_.push_back({std::move(memory_path), std::move(text), std::move(origin), utf8_labels,
                     &codec, std::move(ended)});
    if (!thread_.joinable()) {
        quitting_ = false;
        stop_ = false;
        thread_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

void BackgroundLearning::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return quitting_ || !jobs_.empty(); });
        if (quitting_) return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        working_ = true;
        lock.unlock();
        Result result{job.origin, 0, {}};
        auto memory = TranslationMemory::open(job.memory_path, result.why);
        if (!memory) {
            result.pairs = -1;
            result.why = job.memory_path + ": " + result.why;
        } else {
            const std::vector<MemoryPair> pairs =
                style_pairs(job.text, job.utf8_labels, *job.codec);
            if (!pairs.empty())
                result.pairs = memory->add(pairs, {job.origin, false}, result.why,
                                           text_digest(job.text), &stop_);
        }
        memory.reset();
        result.stopped = result.pairs < 0 && stop_.load();
        lock.lock();
        working_ = false;
        results_.push_back(std::move(result));
        changed_.notify_all();
        if (job.ended) {
            lock.unlock();
            job.ended();
            lock.lock();
        }
    }
}

void BackgroundLearning::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return jobs_.empty() && !working_; });
}

void BackgroundLearning::stop() {
    {
        std::lock_guard lock(mutex_);
        jobs_.clear();
        quitting_ = true;
        stop_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    working_ = false;
}

bool BackgroundLearning::busy() const {
    std::lock_guard lock(mutex_);
    return working_ || !jobs_.empty();
}

std::vector<BackgroundLearning::Result> BackgroundLearning::take_results() {
    std::lock_guard lock(mutex_);
    return std::exchange(results_, {});
}

bool learn_in_background(State& st, MemoryKeeper& keeper, std::function<void()> ended) {
    if (st.document.empty() || st.list_loaded || !keeper.enabled || keeper.failed()) return false;
    keeper.background().learn(memory_path(st), st.document,
                              st.utf8_labels || declared_codepage(st.document) == kUtf8CodePage,
                              file_name(st.document_path), keeper.codec(), std::move(ended));
    return true;
}

void report_learnings(MemoryKeeper& keeper, Ui& ui) {
    for (const BackgroundLearning::Result& r : keeper.background().take_results())
        if (r.pairs < 0 && !r.stopped) keeper.fail(ui, r.why);
}

long learn_own_translations(State& st, Ui& ui, MemoryKeeper& keeper,
                            const std::vector<MemoryPair>& pairs) {
    if (pairs.empty()) return 0;
    // One learning at a time: the style's pairs first, then the user's own.
    keeper.background().wait();
    report_learnings(keeper, ui);
    TranslationMemory* memory = keeper.get(st, ui);
    if (!memory) return -1;
    std::string why;
    const long added = memory->add(pairs, {"own", true}, why);
    if (added < 0) keeper.fail(ui, why);
    return added;
}

long learn_from_file(TranslationMemory& memory, const LabelCodec& codec, const std::string& path,
                     std::string& why, bool* learnt_before) {
    std::string text;
    if (!read_file(path, text, &why)) return -1;
    // Only read: a byte-order mark or another tool's lines are no reason to refuse it.
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    const bool utf8 = declared_codepage(text) == kUtf8CodePage || labels_look_utf8(text);
    const std::vector<MemoryPair> pairs = style_pairs(text, utf8, codec);
    if (pairs.empty()) return 0;
    const long added = memory.add(pairs, {file_name(path), false}, why, text_digest(text));
    if (added == 0 && learnt_before) *learnt_before = true;
    return added == 0 ? long(pairs.size()) : added;
}

Outcome import_tmx(State& st, Ui& ui, MemoryKeeper& keeper, std::string path) {
    if (path.empty())
        path = ui.choose_file({false, "Import TMX", filter_text(), st.program_dir, ""});
    if (path.empty()) return Outcome::cancelled();
    auto say = [&](MessageId id, const std::string& text) {
        ui.message({id, text});
        return id == MessageId::kMemoryLearnt ? Outcome::done() : Outcome::failed(text);
    };
    std::error_code ec;
    const auto size = std::filesystem::file_size(to_path(path), ec);
    if (ec) return say(MessageId::kCannotRead, "Could not read " + path + ": " + ec.message());
    if (size > kTmxMaxBytes)
        return say(MessageId::kCannotRead, "The TMX file is larger than " +
                                               std::to_string(kTmxMaxBytes >> 20) +
                                               " MB; split it into smaller files.");
    std::string xml, why;
    if (!read_file(path, xml, &why))
        return say(MessageId::kCannotRead, "Could not read " + path + ": " + why);
    const TmxContents tmx = read_tmx(xml);
    xml.clear();
    if (!tmx.error.empty()) return say(MessageId::kCannotRead, tmx.error);
    TranslationMemory* memory = keeper.get(st, ui);
    if (!memory) return Outcome::failed("The translation memory cannot be used.");
    if (!tmx.pairs.empty() && memory->add(tmx.pairs, {file_name(path), false}, why) < 0) {
        keeper.fail(ui, why);
        return Outcome::failed(why);
    }
    std::string text = file_name(path) + ": " + std::to_string(tmx.pairs.size()) +
                       (tmx.pairs.size() == 1 ? " pair" : " pairs") + " from " +
                       std::to_string(tmx.units) + " translation units.";
    if (tmx.unknown > 0)
        text += " " + std::to_string(tmx.unknown) +
                " variants in languages Lexmarin does not know were skipped.";
    Outcome done = say(MessageId::kMemoryLearnt, text);
    done.count = int(tmx.pairs.size());
    return done;
}

Outcome export_tmx(State& st, Ui& ui, MemoryKeeper& keeper, std::string path) {
    TranslationMemory* memory = keeper.get(st, ui);
    if (!memory) return Outcome::failed("The translation memory cannot be used.");
    if (path.empty())
        path = ui.choose_file({true, "Export TMX", filter_text(), st.program_dir, "memory.tmx"});
    if (path.empty()) return Outcome::cancelled();
    TmxWriter writer;
    std::string why;
    if (!memory->for_each_pair(
            [&](const MemoryPair& pair, const PairOrigin& origin) {
                writer.add(pair, origin);
                return true;
            },
            why)) {
        ui.message({MessageId::kMemoryUnavailable,
                    "The translation memory cannot be read (" + why + "); nothing was written."});
        return Outcome::failed(why);
    }
    const std::size_t units = writer.units();
    if (!writer_for(st).replace_file(path, writer.finish(), why)) {
        ui.message({MessageId::kCannotWrite, "Could not write " + path + ": " + why});
        return Outcome::failed(why);
    }
    ui.message({MessageId::kMemoryLearnt, file_name(path) + ": " + std::to_string(units) +
                                              (units == 1 ? " pair" : " pairs") + " written."});
    return Outcome::done(int(units));
}

} // namespace lex
