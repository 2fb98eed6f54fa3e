#include "view/rows.h"

#include "document/codepage.h"
#include "document/elements.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/panes.h"
#include "view/review.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace lex {

bool custom_target(const State& st) {
    return trim(st.win.language_caption[kTargetList]) == "Custom";
}

int target_language_codepage(const State& st) {
    return custom_target(st) ? st.kept.custom_codepage : codepage_for_code(st.row_target_code);
}

int target_cell_codepage(const State& st) {
    return st.utf8_labels ? kUtf8CodePage : target_language_codepage(st);
}

int source_cell_codepage(const State& st) {
    return st.utf8_labels ? kUtf8CodePage : codepage_for_code(st.source_code);
}

namespace {

void blank(Row& row) {
    row.caption.clear();
    row.source_key.clear();
    row.text.clear();
    row.built_text.clear();
    row.marked_changed = false;
    row.status = RowStatus::kNormal;
    row.marks = {};
    row.element = -1;
    row.file_blanks = 0;
}

Row& ensure_row(State& st, Kind kind, int k) {
    auto& rows = st.rows(kind);
    auto& spare = st.spare(kind);
    while (std::size_t(k) >= rows.size()) {
        if (spare.empty()) {
            rows.resize(std::size_t(k) + 1);
            break;
        }
        rows.push_back(std::move(spare.back()));
        spare.pop_back();
        blank(rows.back());
    }
    return rows[std::size_t(k)];
}

// The keys of the row an element body gives: `source` the label key the row shows ("=0xLL,text",
// without "|"; empty when the element gives no row), `target` the key of its target label or ""
// without one. Keys that hold a "|" are written without it into `src` and `tgt`.
struct RowKeys {
    std::string_view source, target;
};
RowKeys row_keys(const State& st, std::string_view piece, std::string& src, std::string& tgt) {
    const LabelKeys keys = find_label_keys(piece, st.source_code, st.row_target_code);
    RowKeys out;
    if (keys.source != std::string_view::npos)
        out.source = label_key_from(piece, keys.source_key, src);
    else if (st.zero_fallback)
        out.source = src = zero_label(piece);
    if (!out.source.empty() && keys.target != std::string_view::npos)
        out.target = label_key_from(piece, keys.target_key, tgt);
    return out;
}

// Calls f(element, source, target) for every element of `kind` that gives a row, in document
// order, `element` its number among the elements of its kind (see row_keys for the rest).
template <class F>
void for_each_row_element(const State& st, Kind kind, const Outline& outline, F&& f) {
    std::string src, tgt;
    int element = -1;
    for (const Section& s : outline.sections) {
        if (s.kind != kind) continue;
        ++element;
        const RowKeys keys = row_keys(st, body_text(st.document, s), src, tgt);
        if (!keys.source.empty()) f(element, keys.source, keys.target);
    }
}

// The target text a row shows for a target key: the text after "=0xLL,", blanks around it aside.
std::string_view shown_target(std::string_view target) {
    return target.size() > 6 ? trim(target.substr(6)) : std::string_view();
}

void build_rows(State& st, Ui& ui, Kind kind, const Outline& outline) {
    if (custom_target(st)) st.font_codepage = st.kept.custom_codepage;
    Throttle yield(ui);
    Pane& pane = st.pane(kind);
    int& n = st.row_count(kind);
    for_each_row_element(
        st, kind, outline, [&](int element, std::string_view source, std::string_view target) {
            Row& row = ensure_row(st, kind, n);
            row.source_key.assign(source);
            row.caption.assign(source.substr(6));
            row.element = element;
            row.marks.source_doubt = false;
            row.marks.search_hit = false;
            row.text.assign(shown_target(target));
            row.file_blanks =
                target.size() > 6
                    ? std::uint8_t((target[6] == ' ' ? 1 : 0) | (target.back() == ' ' ? 2 : 0))
                    : 0;
            ++n;

            row.status = RowStatus::kNormal;
            row.marks.target_doubt = false;
            if (target.size() > 6) {
                if (row.text.find('?') != std::string::npos) {
                    row.status = RowStatus::kSuspect;
                    pane.check_errors_visible = true;
                }
                if (row.status == RowStatus::kNormal && trim(row.text) == trim(row.caption))
                    row.status = RowStatus::kSameAsSource;
            }
            row.built_text = row.text;
            row.marked_changed = false;
            yield();
        });
}

} // namespace

std::array<PaneCounts, kKinds> count_document_rows(const State& st) {
    std::array<PaneCounts, kKinds> counts;
    std::string src, tgt;
    // Section by section, with no list of them: a command that only reads keeps its memory
    // to the text.
    for_each_section(st.document, [&](const Section& s) {
        if (s.kind == kOtherSection) return;
        const RowKeys keys = row_keys(st, body_text(st.document, s), src, tgt);
        if (keys.source.empty()) return;
        PaneCounts& c = counts[std::size_t(s.kind)];
        const std::string_view text = shown_target(keys.target);
        ++c.rows;
        if (text.find('?') != std::string_view::npos)
            ++c.suspect;
        else if (text.empty())
            ++c.empty;
    });
    for (PaneCounts& c : counts) c.translated = c.rows - c.suspect - c.empty;
    return counts;
}

void append_rows_of_kind(State& st, Ui& ui, Kind kind) {
    if (st.document.empty()) return;
    st.text_changed(); // the rows are built from the text as it is now, and so are the records
    build_rows(st, ui, kind, read_outline(st.document));
}

void add_blank_row(State& st, Ui& ui, Kind kind, int row) {
    if (st.row_target_code.empty()) st.row_target_code = st.target_code;
    if (row >= 1) {
        Row& r = ensure_row(st, kind, row);
        r.text.clear();
        r.built_text.clear();
    }
    st.row_count(kind) = row + 1;
    update_title(st, ui, st.document_path);
}

Row& blank_row(State& st, Kind kind, int row) {
    Row& r = ensure_row(st, kind, row);
    blank(r);
    return r;
}

void resize_rows(State& st, Kind kind, int n) {
    const std::size_t want = std::size_t(std::max(n, kPermanentRows));
    auto& rows = st.rows(kind);
    if (rows.size() > want) {
        st.cut_rows(kind, want);
    } else if (rows.size() < want) {
        ensure_row(st, kind, int(want) - 1);
    }
}

namespace {

// Blanks the permanent rows that kind `kind` used and sets its count to 0; false when it had
// no rows, which leaves its rows as they are.
bool blank_used_rows(State& st, Kind kind) {
    int& n = st.row_count(kind);
    if (n < 1) return false;
    auto& rows = st.rows(kind);
    for (int k = 0; k <= n && k < kPermanentRows && std::size_t(k) < rows.size(); ++k)
        blank(rows[std::size_t(k)]);
    n = 0;
    return true;
}

// Drops the rows of `kind` past the permanent ones and past the first `keep`; their strings'
// memory serves the next build.
void drop_rows_past(State& st, Kind kind, int keep) {
    st.cut_rows(kind, std::size_t(std::max(keep, kPermanentRows)));
}

} // namespace

void clear_rows(State& st) {
    for (const Kind kind : {kPoints, kLines, kPolygons})
        if (blank_used_rows(st, kind)) drop_rows_past(st, kind, 0);
}

void rebuild_rows(State& st, Ui& ui) {
    // As clear_rows, then a build; but the rows past the permanent ones stay where they are until
    // the build has overwritten those it needs: moving them all out and back costs more than
    // building them.
    std::array<bool, kKinds> cleared{};
    for (const Kind kind : {kPoints, kLines, kPolygons})
        cleared[std::size_t(kind)] = blank_used_rows(st, kind);
    for (const Kind kind : kAllKinds) {
        blank(st.row(kind, 0));
        // The build shows "Check Errors" where it makes a suspect row.
        st.pane(kind).check_errors_visible = false;
        st.pane(kind).translate_visible = true;
    }
    // Whatever changed the text before, the records are made again from it as it is now.
    st.text_changed();
    if (!st.document.empty()) {
        const Outline outline = read_outline(st.document);
        for (const Kind kind : kAllKinds) build_rows(st, ui, kind, outline);
    }
    for (const Kind kind : kAllKinds)
        if (cleared[std::size_t(kind)]) drop_rows_past(st, kind, st.row_count(kind));
    size_panes(st);
    // The window is shown once, with everything: each refresh counts the rows again.
    st.win.progress = 0;
    set_title(st, st.document_path);
    ui.refresh(RefreshTarget::everything());
    ui.process_events();
}

} // namespace lex
