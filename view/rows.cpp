#include "view/rows.h"

#include "app/window_state.h"
#include "document/codepage.h"
#include "document/state.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/panes.h"

namespace lex {

std::string find_label(std::string_view block, const std::string& code, char side,
                       bool zero_fallback) {
    // Start the search inside the last "Type=0xLL," line so that its "=0xLL," never counts.
    std::size_t p = 0;
    const std::string typeKey = "ype=0x" + code + ",";
    for (std::size_t i = block.find(typeKey, p); i != std::string_view::npos;
         i = block.find(typeKey, p))
        p = i + 5;

    std::size_t j = ifind(block, "=0x" + code + ",", p);
    if (j == std::string_view::npos) {
        if (!zero_fallback || side != 'S') return {};
        std::size_t i = block.find("ype=0x00,");
        if (i != std::string_view::npos) p = i + 5;
        j = block.find("=0x00,", p);
        if (j == std::string_view::npos) return {};
    }
    std::size_t end = block.find(kCrLf, j);
    if (end == std::string_view::npos) return {};
    std::string out;
    out.reserve(end - j);
    for (char c : block.substr(j, end - j))
        if (c != '|' && c != '\n' && c != '\r') out.push_back(c);
    return out;
}

int target_codepage(State& st) {
    if (trim(st.win.label4[1]) == "Custom") {
        st.curcp = st.custcp;
        return st.custcp;
    }
    return codepage_for_code(st.tolang2);
}

namespace {

Row& ensure_row(State& st, int kind, int k) {
    auto& rows = st.pane(kind).rows;
    if (std::size_t(k) >= rows.size()) rows.resize(std::size_t(k) + 1);
    return rows[std::size_t(k)];
}

void blank(Row& row) {
    row.caption.clear();
    row.tag.clear();
    row.text.clear();
    row.back = kWhite;
    row.label_back = kWhite;
    row.label_fore = kBlack;
}

} // namespace

void get_element(State& st, Ui& ui, int kind) {
    if (st.alltext.empty()) return;
    const std::string_view marker = kSectionMarker[std::size_t(kind)];
    const std::string_view text = st.alltext;
    target_codepage(st);
    Throttle yield(ui);
    Pane& pane = st.pane(kind);

    std::size_t at = text.find(marker);
    while (at != std::string_view::npos) {
        const std::size_t start = at + marker.size();
        const std::size_t next = text.find(marker, start);
        std::string_view piece = text.substr(
            start, next == std::string_view::npos ? std::string_view::npos : next - start);
        // An element block ends at its own "[end]": text beyond it belongs to other sections.
        const std::size_t end = piece.find("[end]");
        if (end != std::string_view::npos) piece = piece.substr(0, end);
        at = next;

        std::string src = find_label(piece, st.fromlang, 'S', st.win.check3);
        if (src.empty()) continue;
        int& n = st.count(kind);
        Row& row = ensure_row(st, kind, n);
        row.caption = src.substr(6);
        row.tag = std::move(src);
        row.label_back = kWhite;
        row.label_fore = kBlack;
        row.text.clear();
        ++n;

        std::string tgt = find_label(piece, st.tolang2, 'T', false);
        row.back = kWhite;
        if (tgt.size() > 6) {
            row.text = std::string(trim(std::string_view(tgt).substr(6)));
            if (row.text.find('?') != std::string::npos) {
                row.back = kRed;
                pane.check_errors_visible = true;
            }
            if (row.back == kWhite && trim(row.text) == trim(row.caption)) row.back = st.hilite;
        }
        yield();
    }
}

void load_element(State& st, Ui& ui, int kind, int row, bool always) {
    (void)always; // rows are data: a row exists as soon as it is addressed
    if (st.tolang2.empty()) st.tolang2 = st.tolang;
    if (row >= 1) {
        Row& r = ensure_row(st, kind, row);
        r.text.clear();
    }
    st.count(kind) = row + 1;
    cap(st, ui, st.fname);
}

void unload_elements(State& st) {
    for (int kind = 2; kind >= 0; --kind) {
        int& n = st.count(kind);
        if (n < 1) continue;
        auto& rows = st.pane(kind).rows;
        for (int k = 0; k <= n && k < kPermanentRows && std::size_t(k) < rows.size(); ++k)
            blank(rows[std::size_t(k)]);
        if (rows.size() > std::size_t(kPermanentRows)) rows.resize(kPermanentRows);
        n = 0;
    }
}

void refresh_labels(State& st, Ui& ui) {
    unload_elements(st);
    for (int kind = 0; kind < 3; ++kind) blank(st.row(kind, 0));
    for (int kind = 0; kind < 3; ++kind) get_element(st, ui, kind);
    scrollbars(st);
    progr(st, ui, 0);
    inviserr(st, ui, 4);
    cap(st, ui, st.fname);
    ui.refresh(-1);
}

} // namespace lex
