// The translation list target: any bytes opened as a list onto the rows of a small style.

#include "commands/lists.h"
#include "document/lines.h"
#include "document/list_file.h"
#include "document/saved_text.h"
#include "fuzz_targets.h"
#include "view/state.h"

#include <algorithm>
#include <vector>

namespace lex::fuzz {

namespace {

// The lines of `text` but the label lines of language `code`.
std::vector<std::string_view> lines_but_labels_of(std::string_view text, std::string_view code) {
    std::vector<std::string_view> out;
    for_each_line(text, [&](std::string_view line, std::size_t) {
        const auto label = parse_label_line(line);
        if (!label || !label_code_is(*label, code)) out.push_back(line);
    });
    return out;
}

// The texts of the label lines of language `code`.
std::vector<std::string_view> labels_of(std::string_view text, std::string_view code) {
    std::vector<std::string_view> out;
    for_each_line(text, [&](std::string_view line, std::size_t) {
        const auto label = parse_label_line(line);
        if (label && label_code_is(*label, code)) out.push_back(label->text);
    });
    return out;
}

std::string without_line_breaks(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

// The save that keeps the layout rewrites only label lines of the target language, each into
// the text of a row that changed.
void check_save(const State& st) {
    const std::string saved = build_layout_kept_text(st);
    if (lines_but_labels_of(saved, st.target_code) !=
        lines_but_labels_of(st.document, st.target_code))
        invariant_failed("the save changed lines other than the target language's labels");
    std::vector<std::string> changed;
    for (const Kind kind : kAllKinds)
        for (int r = 0; r < st.row_count(kind); ++r)
            if (const Row& row = st.rows(kind)[std::size_t(r)]; row.changed_since_built())
                changed.push_back(without_line_breaks(row.text));
    std::vector<std::string_view> before = labels_of(st.document, st.target_code);
    std::sort(before.begin(), before.end());
    for (const std::string_view label : labels_of(saved, st.target_code))
        if (!std::binary_search(before.begin(), before.end(), label) &&
            std::find(changed.begin(), changed.end(), label) == changed.end())
            invariant_failed("the save wrote the label \"" + std::string(label) +
                             "\", which no changed row holds");
}

// The list saved from the rows reads back as the same rows and languages.
void check_list_round_trip(const State& st) {
    const std::string again = list_text(st, st.win.language_caption);
    const ListContents back = read_list(again);
    for (const Kind kind : kAllKinds) {
        const auto& entries = back.entries[std::size_t(kind)];
        bool same = st.row_count(kind) == int(entries.size());
        for (std::size_t k = 0; same && k < entries.size(); ++k)
            same = st.rows(kind)[k].caption == entries[k].source &&
                   st.rows(kind)[k].text == entries[k].target;
        if (!same)
            invariant_failed("the list saved from the rows of kind " + std::to_string(kind) +
                             " reads back as other rows:\n" + again);
    }
    if (!back.has_languages || back.languages[0] != st.win.language_caption[0] ||
        back.languages[1] != st.win.language_caption[1])
        invariant_failed("the list saved reads back with other languages:\n" + again);
}

} // namespace

int list_file(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Onto the small style, or with no document open (the same languages, no rows).
    static const State bare = [] {
        State st = small_style();
        st.document.clear();
        st.document_path.clear();
        for (const Kind kind : kAllKinds) {
            st.rows(kind).assign(std::size_t(kPermanentRows), Row{});
            st.row_count(kind) = 0;
        }
        return st;
    }();
    const State& style = size % 4 < 2 ? small_style() : bare;
    const ListContents list = read_list(text);
    if (!list.has_section) return 0; // the File menu refuses it unopened
    State st = style;
    QuietUi ui;
    ui.answer = size % 2 == 1;
    const Outcome outcome = open_list_rows(st, ui, list, work_folder() + "/in.lst");
    if (st.document != style.document) invariant_failed("opening a list changed the document");
    if (!outcome.ok()) {
        if (!same_rows(st, style) || st.changed)
            invariant_failed("a list that was not opened changed the rows");
        return 0;
    }
    for (const Kind kind : kAllKinds) {
        const auto& entries = list.entries[std::size_t(kind)];
        if (st.row_count(kind) != int(entries.size())) {
            invariant_failed("the rows of kind " + std::to_string(kind) + " are not the list's");
            continue;
        }
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const Row& row = st.rows(kind)[k];
            if (row.caption != entries[k].source || row.text != entries[k].target)
                invariant_failed("row " + std::to_string(k) + " of kind " + std::to_string(kind) +
                                 " is not the list's entry");
        }
    }

    if (!style.document.empty()) check_save(st);
    check_list_round_trip(st);
    return 0;
}

} // namespace lex::fuzz
