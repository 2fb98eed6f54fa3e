#include "translate/run.h"

#include "document/codepage.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "translate/memory.h"
#include "translate/memory_pairs.h"
#include "translate/translator.h"
#include "view/review.h"
#include "view/rows.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <thread>

namespace lex {

int sending_codepage(const State& st) {
    if (st.utf8_labels) return kUtf8CodePage;
    return st.source_codepage > 0 ? st.source_codepage : codepage_for_code(st.source_code);
}

int receiving_codepage(const State& st) {
    if (st.utf8_labels) return kUtf8CodePage;
    return target_script_codepage(st);
}

TranslationRequest translation_request(const State& st) {
    return {st.language_pair, sending_codepage(st), receiving_codepage(st), st.translate_url,
            StopToken(st.stop_requested)};
}

int target_script_codepage(const State& st) {
    return st.target_codepage > 0 ? st.target_codepage : target_language_codepage(st);
}

namespace {

bool is_lead_byte(unsigned char c, int codepage) {
    switch (codepage) {
    case 932:
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:
    case 949:
    case 950:
        return c >= 0x81 && c <= 0xFE;
    default:
        return false;
    }
}

bool is_double_byte(int codepage) {
    return codepage == 932 || codepage == 936 || codepage == 949 || codepage == 950;
}

} // namespace

std::vector<std::string> split_answer(std::string_view text,
                                      const std::vector<std::string>& separators, int codepage) {
    std::vector<std::string> out;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t matched = 0;
        for (const std::string& sep : separators) {
            if (!sep.empty() && text.compare(i, sep.size(), sep) == 0) {
                matched = sep.size();
                break;
            }
        }
        if (matched != 0) {
            out.emplace_back(text.substr(start, i - start));
            i += matched;
            start = i;
        } else {
            i +=
                (is_lead_byte(static_cast<unsigned char>(text[i]), codepage) && i + 1 < text.size())
                    ? 2
                    : 1;
        }
    }
    out.emplace_back(text.substr(start));
    return out;
}

std::vector<std::vector<std::string>> extra_separators(int codepage, bool utf8) {
    std::vector<std::vector<std::string>> tries;
    if (utf8) {
        // The same commas written in UTF-8; a single byte above 127 would cut a character.
        if (is_double_byte(codepage)) tries.push_back({",", "\xE3\x80\x81", "\xEF\xBC\x8C"});
        tries.push_back({"A"});
        return tries;
    }
    // The ideographic comma and the full-width comma of the East Asian code pages.
    // The ASCII comma stays a separator beside them: the answer always ends with one.
    switch (codepage) {
    case 932:
        tries.push_back({",", "\x81\x41", "\x81\x43"});
        break;
    case 936:
    case 949:
        tries.push_back({",", "\xA1\xA2", "\xA3\xAC"});
        break;
    case 950:
        tries.push_back({",", "\xA1\x42", "\xA1\x41"});
        break;
    default:
        break;
    }
    tries.push_back({"A"});
    tries.push_back({"\xAC"});
    return tries;
}

namespace {

// Control characters would break a label line of the document; a blank takes their place.
void blank_controls(std::string& text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
}

// The place of the empty item after the last comma of a batch among the batch's rows.
constexpr int kAfterLastComma = -1;

enum class Sent { kWritten, kGivenUp, kStopped, kFailed };

class Run {
public:
    Run(State& st, Ui& ui, Translator& tr, Kind kind)
        : st_(st), ui_(ui), tr_(tr), kind_(kind), cp_(receiving_codepage(st)),
          scriptCp_(target_script_codepage(st)) {}

    bool walk() {
        if (tr_.labels_per_request() > 0) return walk_labels();
        limit_ = st_.win.single_words ? 0 : 3;
        const std::vector<int> selection = st_.pane(kind_).run_rows;
        const std::size_t n = selection.size();
        for (std::size_t i = 0; i < n; ++i) {
            const int r = selection[i];
            std::string text = take_label(r);
            if (text.empty()) continue;

            std::replace(text.begin(), text.end(), ',', ' ');
            batch_ += text;
            std::erase_if(batch_, [](char c) { return c == '\r' || c == '\n'; });
            batch_.resize(rtrim(batch_).size());
            batch_ += ',';
            collected_rows_.push_back(r);
            ++count_;

            Sent sent = Sent::kWritten;
            if (count_ > limit_ || i + 1 == n) {
                sent = send();
                if (sent == Sent::kStopped) return false;
            } else {
                ++count_;
            }
            if (sent != Sent::kGivenUp && i % 4 == 1)
                set_progress(st_, ui_, int(double(i) / double(n) * 100.0));
        }
        if (!batch_.empty() && send() == Sent::kStopped) return false;
        busy_on(st_, ui_);
        set_progress(st_, ui_, (kind_ + 1) * 33);
        return true;
    }

    // The walk for a service that answers label by label: batches of its size, each answer
    // written to its own row; no commas are matched.
    bool walk_labels() {
        const std::size_t per_request = tr_.labels_per_request();
        const std::vector<int> selection = st_.pane(kind_).run_rows;
        const std::size_t n = selection.size();
        for (std::size_t i = 0; i < n; ++i) {
            const int r = selection[i];
            std::string text = take_label(r);
            if (text.empty()) continue;
            blank_controls(text);
            labels_.push_back(std::move(text));
            label_rows_.push_back(r);

            if (labels_.size() >= per_request || i + 1 == n) {
                const Sent sent = send_labels(selection, i + 1);
                if (sent == Sent::kStopped) return false;
                if (sent == Sent::kFailed) break;
            }
            if (i % 4 == 1) set_progress(st_, ui_, int(double(i) / double(n) * 100.0));
        }
        busy_on(st_, ui_);
        set_progress(st_, ui_, (kind_ + 1) * 33);
        return true;
    }

private:
    struct Pending {
        RowStatus status;    // its status before the run made it normal
        std::string caption; // its source label
    };

    // The source label row r sends: its caption when its target is empty or suspect, else "".
    // A row that sends turns normal and is kept pending with the status it had.
    std::string take_label(int r) {
        Row* row = row_at(r);
        if (row == nullptr) return {};
        const RowStatus before = row->status;
        row->status = RowStatus::kNormal;
        if (!contains(row->text, "?") && !trim(row->text).empty()) return {};
        std::string text(trim(row->caption));
        if (!text.empty()) pending_.push_back({before, row->caption});
        return text;
    }

    // Row r as collected, unless the rows were rebuilt while the request was under way.
    Row* live_row(int r, const Pending& pending) {
        Row* row = row_at(r);
        return row != nullptr && row->caption == pending.caption ? row : nullptr;
    }

    void mark_suspect(Row& row) {
        if (!contains(row.text, "?")) row.text = "?" + row.text;
        row.status = RowStatus::kSuspect;
        st_.pane(kind_).check_errors_visible = true;
    }

    // An empty answer to a label that is not empty is no translation: the row is left suspect
    // and counted, to be said once when the run ends.
    void answered_nothing(Row& row) {
        row.text.clear();
        mark_suspect(row);
        ++empty_answers_;
    }

public:
    void say_empty_answers() {
        if (empty_answers_ == 0) return;
        say({MessageId::kEmptyAnswers, "The translation service returned nothing for " +
                                           std::to_string(empty_answers_) +
                                           (empty_answers_ == 1 ? " label." : " labels.")});
    }

    // What the run said went wrong; empty when nothing did.
    const std::string& failure() const { return failure_; }
    // The rows it wrote an answer into.
    int written() const { return written_; }

private:
    // Sends the collected labels; `next` is the position in `selection` after the last one.
    Sent send_labels(const std::vector<int>& selection, std::size_t next) {
        const std::vector<std::string> labels = std::move(labels_);
        const std::vector<int> rows = std::move(label_rows_);
        const std::vector<Pending> pending = std::move(pending_);
        labels_.clear();
        label_rows_.clear();
        pending_.clear();

        auto restore_rows = [&] {
            for (std::size_t k = 0; k < rows.size(); ++k)
                if (Row* row = live_row(rows[k], pending[k])) row->status = pending[k].status;
            ui_.refresh(RefreshTarget::pane_rows(kind_));
            return Sent::kStopped;
        };
        ui_.process_events();
        if (st_.stop_requested) return restore_rows();
        LabelAnswers answers = tr_.translate_labels(translation_request(st_), labels);
        const bool complete = answers.error.empty() && answers.texts.size() == labels.size();
        // A request cut short by STOP brings nothing worth writing.
        if (st_.stop_requested && !complete) return restore_rows();

        if (!complete) {
            // The service cannot serve this run: said once, and every row the run was to
            // translate is left suspect for a later run.
            for (std::size_t k = 0; k < rows.size(); ++k)
                if (Row* row = live_row(rows[k], pending[k])) mark_suspect(*row);
            for (std::size_t j = next; j < selection.size(); ++j) {
                Row* row = row_at(selection[j]);
                if (row != nullptr && !trim(row->caption).empty() &&
                    (contains(row->text, "?") || trim(row->text).empty()))
                    mark_suspect(*row);
            }
            st_.changed = true;
            ui_.refresh(RefreshTarget::pane_rows(kind_));
            say({MessageId::kServiceFailed,
                 answers.error.empty() ? "The service gave no answer." : answers.error});
            return Sent::kFailed;
        }
        Pane& pane = st_.pane(kind_);
        if (!answers.route.empty()) st_.win.service_route = answers.route;
        for (std::size_t k = 0; k < rows.size(); ++k) {
            Row* row = live_row(rows[k], pending[k]);
            if (row == nullptr) continue;
            std::string text = answers.texts[k];
            blank_controls(text);
            st_.changed = true;
            ++written_;
            // An answer through a chain of engines is to be looked at again.
            row->status = answers.route.empty() ? RowStatus::kNormal : RowStatus::kToReview;
            row->tip = answers.route.empty() ? "" : "Through " + answers.route;
            row->text = std::string(trim(text));
            if (row->text.empty()) {
                answered_nothing(*row);
                continue;
            }
            if (k < answers.unknown.size() && answers.unknown[k]) row->text = "?" + row->text;
            // An unknown word, or a character the target code page lacks that arrived as "?".
            if (contains(row->text, "?")) {
                row->status = RowStatus::kSuspect;
                pane.check_errors_visible = true;
            }
        }
        ui_.refresh(RefreshTarget::pane_rows(kind_));
        return Sent::kWritten;
    }

    void say(const Message& message) {
        busy_off(st_, ui_);
        failure_ = message.text;
        ui_.message(message);
    }

    // Row k of the batch, unless the rows were rebuilt while the request was under way.
    Row* batch_row(std::size_t k, const std::vector<Pending>& pending) {
        Row* row = row_at(batch_rows_[k]);
        if (row == nullptr || k >= pending.size() || row->caption != pending[k].caption)
            return nullptr;
        return row;
    }

    // A batch that is not written: its rows keep their texts and get their statuses back.
    Sent restore(const std::vector<Pending>& pending, Sent outcome) {
        for (std::size_t k = 0; k < batch_rows_.size() && k < pending.size(); ++k)
            if (Row* row = batch_row(k, pending)) row->status = pending[k].status;
        ui_.refresh(RefreshTarget::pane_rows(kind_));
        return outcome;
    }

    Row* row_at(int r) {
        auto& rows = st_.rows(kind_);
        if (r < 0 || r >= st_.row_count(kind_) || std::size_t(r) >= rows.size()) return nullptr;
        return &rows[std::size_t(r)];
    }

    std::vector<std::string> split_items(const std::string& answer) const {
        std::vector<std::string> items = split_answer(answer, {","}, cp_);
        if (scriptCp_ < 1250 && items.size() != batch_rows_.size()) {
            for (const auto& seps : extra_separators(scriptCp_, cp_ == kUtf8CodePage)) {
                items = split_answer(answer, seps, cp_);
                if (items.size() == batch_rows_.size()) break;
            }
        }
        return items;
    }

    Sent send() {
        Pane& pane = st_.pane(kind_);
        batch_.pop_back();
        const std::string request(trim(batch_));
        batch_rows_ = std::move(collected_rows_);
        batch_rows_.push_back(kAfterLastComma);
        collected_rows_.clear();
        const std::vector<Pending> pending = std::move(pending_);
        pending_.clear();
        batch_.clear();
        count_ = 0;

        ui_.process_events();
        if (st_.stop_requested) return restore(pending, Sent::kStopped);

        std::string answer = tr_.translate(translation_request(st_), request);
        // A download cut short by STOP brings nothing worth writing.
        if (st_.stop_requested && answer.empty()) return restore(pending, Sent::kStopped);
        blank_controls(answer);
        const bool failed = answer.empty();
        if (answer.empty() || answer.back() != ',') answer += ',';

        // A failed request for one label leaves that row suspect, like a failed batch does.
        bool suspect = failed && batch_rows_.size() == 2;
        if (suspect) pane.check_errors_visible = true;

        std::vector<std::string> items;
        // Each round adds one item, so batch_rows_.size() + 3 rounds settle any comma count; the
        // bound also ends the rounds whose re-split count the added items cannot change.
        const std::size_t rounds = batch_rows_.size() + 3;
        for (std::size_t round = 0;; ++round) {
            items = split_items(answer);
            if (items.size() == batch_rows_.size()) break;
            pane.check_errors_visible = true;
            if (scriptCp_ < 1250 && limit_ > 0) --limit_;
            suspect = true;
            answer += "?,";
            const std::size_t diff = items.size() > batch_rows_.size()
                                         ? items.size() - batch_rows_.size()
                                         : batch_rows_.size() - items.size();
            if (diff >= 3 || round + 1 >= rounds) break;
        }

        if (items.size() < batch_rows_.size()) return restore(pending, Sent::kGivenUp);
        for (std::size_t k = 0; k < batch_rows_.size(); ++k) {
            if (batch_rows_[k] == kAfterLastComma) continue;
            Row* row = batch_row(k, pending);
            if (row == nullptr) continue;
            st_.changed = true;
            ++written_;
            row->status = RowStatus::kNormal;
            row->tip.clear();
            if (suspect) {
                row->text = "?" + items[k];
                row->status = RowStatus::kSuspect;
            } else {
                row->text = std::string(trim(items[k]));
                if (row->text.empty()) answered_nothing(*row);
                // A character the target code page lacks arrived as "?": the row is suspect.
                if (contains(row->text, "?")) {
                    row->status = RowStatus::kSuspect;
                    pane.check_errors_visible = true;
                }
            }
        }
        ui_.refresh(RefreshTarget::pane_rows(kind_));
        return Sent::kWritten;
    }

    State& st_;
    Ui& ui_;
    Translator& tr_;
    Kind kind_;
    int cp_;                          // the code page the target cells hold
    int scriptCp_;                    // the target language's own code page
    int limit_ = 3;                   // a batch is sent once the counter passes this
    int count_ = 0;                   // the batch counter (two steps per label but the last)
    std::string batch_;               // the labels of the batch, each followed by ","
    std::vector<int> collected_rows_; // their rows
    // The batch's rows once sent, matching the items of the answer: the answer ends with ",",
    // so its last item is the empty one after the last comma.
    std::vector<int> batch_rows_;
    std::vector<Pending> pending_;    // the rows of the batch as they were when collected
    std::vector<std::string> labels_; // label by label: the labels of the batch
    std::vector<int> label_rows_;     // ... and their rows
    int empty_answers_ = 0;           // labels the service answered with nothing
    int written_ = 0;                 // rows an answer was written into
    std::string failure_;             // what the run said went wrong
};

// Says why the run cannot start; the run is refused for that reason.
Outcome refuse(State& st, Ui& ui, const Message& message) {
    busy_off(st, ui);
    ui.message(message);
    return Outcome::refused(message.text);
}

std::string memory_language_of_row(int list, int row) {
    if (row < 0 || row >= language_list_size(list)) return {};
    return kLanguages[std::size_t(row)].iso1;
}

// Fills the rows of pane `kind`'s selection that the memory answers, and takes them out of the
// selection. Returns the rows filled.
int fill_from_memory(State& st, Ui& ui, Kind kind, MemoryUse& use) {
    const std::string from = memory_source_language(st);
    const std::string to = memory_target_language(st);
    if (use.memory == nullptr || use.codec == nullptr || use.failed || from.empty() || to.empty())
        return 0;
    const LabelCodec& codec = *use.codec;
    Pane& pane = st.pane(kind);
    const int send_cp = sending_codepage(st);
    const int receive_cp = receiving_codepage(st);
    std::vector<int> rows;
    std::vector<std::string> labels;
    for (const int r : pane.run_rows) {
        if (r < 0 || r >= st.row_count(kind) || std::size_t(r) >= st.rows(kind).size()) continue;
        const std::string_view caption = trim(st.rows(kind)[std::size_t(r)].caption);
        if (caption.empty()) continue;
        rows.push_back(r);
        labels.push_back(codec.to_utf8(caption, send_cp));
    }
    if (rows.empty()) return 0;
    std::string why;
    const auto answers = use.memory->lookup(from, to, labels, use.threshold, why);
    if (!why.empty()) {
        use.failed = true;
        ui.message({MessageId::kMemoryUnavailable, "The translation memory cannot be read (" + why +
                                                       "); translation goes on without it."});
        return 0;
    }
    std::vector<bool> filled(std::size_t(st.row_count(kind)), false);
    int count = 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (!answers[k]) continue;
        // A label the target's code page cannot hold is not offered.
        std::optional<std::string> bytes = codec.from_utf8(answers[k]->target, receive_cp);
        if (!bytes) continue;
        blank_controls(*bytes);
        Row& row = st.rows(kind)[std::size_t(rows[k])];
        row.text = std::string(trim(*bytes));
        if (row.text.empty() || contains(row.text, "?")) continue;
        const bool exact = answers[k]->score >= 100;
        row.status = exact ? row_status(row) : RowStatus::kToReview;
        row.tip = "Memory " + std::to_string(answers[k]->score) + " %: " + answers[k]->origin;
        filled[std::size_t(rows[k])] = true;
        ++(exact ? use.exact : use.fuzzy);
        ++count;
    }
    std::erase_if(pane.run_rows, [&](const int r) {
        return r >= 0 && std::size_t(r) < filled.size() && filled[std::size_t(r)];
    });
    if (count > 0) {
        st.changed = true;
        ui.refresh(RefreshTarget::pane_rows(kind));
    }
    return count;
}

void pause(Ui& ui, int ms) {
    using clock = std::chrono::steady_clock;
    const auto until = clock::now() + std::chrono::milliseconds(ms);
    while (clock::now() < until) {
        ui.process_events();
        auto left = until - clock::now();
        std::this_thread::sleep_for(std::min<clock::duration>(left, std::chrono::milliseconds(15)));
    }
}

} // namespace

std::string memory_source_language(const State& st) {
    return memory_language_of_row(kSourceList, st.win.language_row[kSourceList]);
}

std::string memory_target_language(const State& st) {
    return memory_language_of_row(kTargetList, st.win.language_row[kTargetList]);
}

Outcome translate_selection(State& st, Ui& ui, Translator& tr, Kind kind, MemoryUse* memory) {
    const WindowModel& w = st.win;
    const std::string src = to_lower(language_list_item(0, w.language_row[0]));
    const std::string tgt = to_lower(language_list_item(1, w.language_row[1]));
    if (src.empty())
        return refuse(st, ui, {MessageId::kNoSourceLanguage, "Please select a From Language."});
    if (tgt.empty())
        return refuse(st, ui, {MessageId::kNoTargetLanguage, "Please select a To Language."});
    if (src == tgt)
        return refuse(st, ui,
                      {MessageId::kSameLanguages, "Can't translate from and to the same language"});
    if (st.pane(kind).run_rows.empty()) return Outcome::done();
    const int remembered = memory ? fill_from_memory(st, ui, kind, *memory) : 0;
    if (st.pane(kind).run_rows.empty() || (memory && memory->only))
        return Outcome::done(remembered);
    const std::string from = tr.language_code(src.substr(0, 3), false, st.kept.custom_web_code);
    const std::string to = tr.language_code(tgt.substr(0, 3), true, st.kept.custom_web_code);
    if (to.empty())
        return refuse(st, ui, {MessageId::kLanguageNotServed, "Cannot find target language"});
    st.language_pair = from + "|" + to;
    Run run(st, ui, tr, kind);
    const bool finished = run.walk();
    run.say_empty_answers();
    if (!run.failure().empty()) return Outcome::failed(run.failure());
    if (!finished) return Outcome::cancelled();
    return Outcome::done(remembered + run.written());
}

std::size_t select_run_rows(State& st, Kind kind, RunRows which) {
    Pane& pane = st.pane(kind);
    pane.run_rows.clear();
    const bool suspects = pane.check_errors_visible;
    const int n = std::min<int>(st.row_count(kind), int(st.rows(kind).size()));
    for (int r = 0; r < n; ++r) {
        const Row& row = st.rows(kind)[std::size_t(r)];
        const bool empty = trim(row.text).empty();
        bool pick = false;
        switch (which) {
        case RunRows::kTranslate:
            pick =
                contains(row.text, "?") || (suspects ? row.status == RowStatus::kSuspect : empty);
            break;
        case RunRows::kEmptyTargets:
            pick = empty && !trim(row.caption).empty();
            break;
        }
        if (pick) pane.run_rows.push_back(r);
    }
    return pane.run_rows.size();
}

Outcome translate_rows(State& st, Ui& ui, Translator& tr, Kind kind, const RunOptions& options) {
    for (Pane& p : st.win.panes) p.run_rows.clear();
    Pane& pane = st.pane(kind);
    pane.check_errors_visible = false;
    update_check_errors(st, ui, kind);
    st.checking_errors = true;

    select_run_rows(st, kind, RunRows::kTranslate);

    set_progress(st, ui, 0);
    pane.stop_visible = true;
    pane.translate_visible = false;
    ui.refresh(RefreshTarget::window());

    const Outcome outcome = translate_selection(st, ui, tr, kind, options.memory);

    if (st.stop_requested) return outcome.ok() ? Outcome::cancelled() : outcome;
    st.changed = true;
    update_title(st, ui, st.document_path);
    set_progress(st, ui, 100);
    pause(ui, options.pause_ms);
    pane.stop_visible = false;
    set_progress(st, ui, 0);
    busy_off(st, ui);
    st.checking_errors = false;
    return outcome;
}

} // namespace lex
