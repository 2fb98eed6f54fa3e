#pragma once
// What the export and the import of translation files share: the elements the rows are made
// from (read from the element records, or by a walk over the text when there are none), and a
// few small helpers.

#include "commands/interchange.h"
#include "document/elements.h"
#include "document/exchange.h"
#include "document/label_codec.h"
#include "view/state.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// The label converter the options name, or the table one.
const LabelCodec& exchange_codec(const ExchangeOptions& options);
// The file dialog's filter for a format.
std::string exchange_filter(ExchangeFormat format);
// The dialogs start in the current document's folder, or the program folder.
std::string exchange_folder(const State& st);

// The elements the rows of one kind are made from, in row order: from the element records, or,
// for a text too large to keep them, from a walk over the text.
class RowElements {
public:
    RowElements(const State& st, const ElementRecords* records, Kind kind, const Outline* outline)
        : text_(st.document), kind_(kind), records_(records) {
        if (!records_) walk_.emplace(st, kind, *outline);
    }
    // Moves to the element of the next row; false when there are no more.
    bool next() {
        if (walk_) return walk_->next();
        const std::vector<ElementRecord>& records = records_->kinds[std::size_t(kind_)];
        if (++at_ >= records.size()) return false;
        // The elements a few rows on are asked for soon: their lines are fetched meanwhile.
        if (at_ + kAhead < records.size()) {
            const ElementRecord& ahead = records[at_ + kAhead];
#if defined(__GNUC__)
            __builtin_prefetch(text_.data() + ahead.type);
#else
            (void)ahead;
#endif
        }
        return true;
    }
    // The element's context.
    std::string_view context() {
        if (walk_) return walk_->context();
        context_.clear();
        append_record_context(context_, text_, kind_, record());
        return context_;
    }
    // True when `context` is the element's context.
    bool context_is(std::string_view context) const {
        if (walk_) return walk_->context() == context;
        return record_context_is(context, text_, kind_, record());
    }
    // Calls f(code, value, text) for the element's label lines in their order: the language
    // code as written, its value (code_value) and the text after the ",".
    template <class F> void for_each_label(F&& f) const {
        if (walk_) {
            for (const LabelLine& label : walk_->labels())
                f(label.code, code_value(label.code), label.text);
            return;
        }
        const ElementRecord& r = record();
        for (std::size_t k = r.labels; k < r.labels + r.label_count; ++k) {
            const LabelRecord& label = records_->labels[k];
            f(text_.substr(label.code, label.code_size), int(label.code_value),
              text_.substr(label.text, label.text_size));
        }
    }

private:
    static constexpr std::size_t kAhead = 8;
    const ElementRecord& record() const {
        return records_->kinds[std::size_t(kind_)][at_];
    }
    std::string_view text_;
    Kind kind_;
    const ElementRecords* records_;
    std::size_t at_ = std::size_t(-1);
    std::optional<ElementWalk> walk_;
    std::string context_;
};

// The element records of the document, and the outline a walk needs when there are none.
struct RowSources {
    const ElementRecords* records;
    std::optional<Outline> outline;
    explicit RowSources(const State& st) : records(element_records(st)) {
        if (!records) outline = read_outline(st.document);
    }
    RowElements of(const State& st, Kind kind) const {
        return RowElements(st, records, kind, outline ? &*outline : nullptr);
    }
};

} // namespace lex
