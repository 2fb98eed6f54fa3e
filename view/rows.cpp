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

ElementBlocks element_blocks(std::string_view text) {
    ElementBlocks blocks;
    // One pass over the section brackets. Each kind is cut on its own: an element runs from its
    // header to the first "[end]" after it, or, lacking one, to the next header of its kind.
    constexpr std::size_t kClosed = std::string_view::npos;
    std::array<std::size_t, 3> open{kClosed, kClosed, kClosed};
    auto close = [&](int kind, std::size_t at) {
        std::size_t& body = open[std::size_t(kind)];
        if (body != kClosed) blocks[std::size_t(kind)].push_back(text.substr(body, at - body));
        body = kClosed;
    };
    for (std::size_t at = text.find('['); at != std::string_view::npos;
         at = text.find('[', at + 1)) {
        std::string_view rest = text.substr(at);
        if (rest.starts_with("[end]")) {
            for (int kind = 0; kind < kKinds; ++kind) close(kind, at);
            continue;
        }
        for (int kind = 0; kind < kKinds; ++kind) {
            const std::string_view marker = kSectionMarker[std::size_t(kind)];
            if (!rest.starts_with(marker)) continue;
            close(kind, at);
            open[std::size_t(kind)] = at + marker.size();
            break;
        }
    }
    for (int kind = 0; kind < kKinds; ++kind) close(kind, text.size());
    return blocks;
}

namespace {

void build_rows(State& st, Ui& ui, int kind, const std::vector<std::string_view>& blocks) {
    target_codepage(st);
    Throttle yield(ui);
    Pane& pane = st.pane(kind);
    int& n = st.count(kind);
    for (std::string_view piece : blocks) {
        std::string src = find_label(piece, st.fromlang, 'S', st.win.check3);
        if (src.empty()) continue;
        Row& row = ensure_row(st, kind, n);
        row.caption.assign(src, 6);
        row.tag = std::move(src);
        row.label_back = kWhite;
        row.label_fore = kBlack;
        row.text.clear();
        ++n;

        std::string tgt = find_label(piece, st.tolang2, 'T', false);
        row.back = kWhite;
        if (tgt.size() > 6) {
            row.text = trim(std::string_view(tgt).substr(6));
            if (row.text.find('?') != std::string::npos) {
                row.back = kRed;
                pane.check_errors_visible = true;
            }
            if (row.back == kWhite && trim(row.text) == trim(row.caption)) row.back = st.hilite;
        }
        yield();
    }
}

} // namespace

void get_element(State& st, Ui& ui, int kind) {
    if (st.alltext.empty()) return;
    build_rows(st, ui, kind, element_blocks(st.alltext)[std::size_t(kind)]);
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
    if (!st.alltext.empty()) {
        const ElementBlocks blocks = element_blocks(st.alltext);
        for (int kind = 0; kind < 3; ++kind) build_rows(st, ui, kind, blocks[std::size_t(kind)]);
    }
    scrollbars(st);
    progr(st, ui, 0);
    inviserr(st, ui, 4);
    cap(st, ui, st.fname);
    ui.refresh(-1);
}

} // namespace lex
