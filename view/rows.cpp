#include "view/rows.h"

#include "app/window_state.h"
#include "document/codepage.h"
#include "document/state.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/panes.h"

namespace lex {

namespace {

inline char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Finds the label key "=0xLL," of one language code in an element block, skipping the
// "Type=0xLL," lines: the key counts only after the last such line. Fed the block's '='
// positions in order.
struct KeySearch {
    std::string_view code;
    std::size_t hit = std::string_view::npos;

    void see(std::string_view block, std::size_t e) {
        const std::size_t end = e + 3 + code.size(); // position of the closing ","
        if (end >= block.size() || block[e + 1] != '0' || block[end] != ',') return;
        const char x = block[e + 2];
        if (x != 'x' && x != 'X') return;
        std::string_view digits = block.substr(e + 3, code.size());
        if (x == 'x' && e >= 3 && block.substr(e - 3, 3) == "ype" && digits == code) {
            hit = std::string_view::npos; // a Type line: search again after it
            return;
        }
        if (hit != std::string_view::npos) return;
        for (std::size_t k = 0; k < code.size(); ++k)
            if (lower(digits[k]) != lower(code[k])) return;
        hit = e;
    }
};

// The label line from key position j to its CR LF, without "|", CR or LF, into `out`;
// "" without CR LF.
void label_at(std::string_view block, std::size_t j, std::string& out) {
    out.clear();
    std::size_t end = block.find(kCrLf, j);
    if (end == std::string_view::npos) return;
    const std::string_view line = block.substr(j, end - j);
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '|' || c == '\n' || c == '\r') {
            out.append(line.substr(start, i - start));
            start = i + 1;
        }
    }
    out.append(line.substr(start));
}

std::string label_at(std::string_view block, std::size_t j) {
    std::string out;
    label_at(block, j, out);
    return out;
}

// The 0x00 label of a block, for sources without a label of their own.
std::string zero_label(std::string_view block, std::size_t p) {
    std::size_t i = block.find("ype=0x00,");
    if (i != std::string_view::npos) p = i + 5;
    std::size_t j = block.find("=0x00,", p);
    return j == std::string_view::npos ? std::string{} : label_at(block, j);
}

// Where the last "Type=0xLL," line leaves the label search: the position of its "x".
std::size_t after_type_line(std::string_view block, const std::string& code) {
    std::size_t p = 0;
    const std::string typeKey = "ype=0x" + code + ",";
    for (std::size_t i = block.find(typeKey, p); i != std::string_view::npos;
         i = block.find(typeKey, p))
        p = i + 5;
    return p;
}

} // namespace

std::string find_label(std::string_view block, const std::string& code, char side,
                       bool zero_fallback) {
    KeySearch key{code};
    for_each_byte(block, '=', [&](std::size_t e) {
        key.see(block, e);
        return true;
    });
    if (key.hit != std::string_view::npos) return label_at(block, key.hit);
    if (!zero_fallback || side != 'S') return {};
    return zero_label(block, after_type_line(block, code));
}

int target_codepage(State& st) {
    if (trim(st.win.label4[1]) == "Custom") {
        st.curcp = st.custcp;
        return st.custcp;
    }
    return codepage_for_code(st.tolang2);
}

namespace {

void blank(Row& row) {
    row.caption.clear();
    row.tag.clear();
    row.text.clear();
    row.back = kWhite;
    row.label_back = kWhite;
    row.label_fore = kBlack;
}

Row& ensure_row(State& st, int kind, int k) {
    Pane& pane = st.pane(kind);
    auto& rows = pane.rows;
    while (std::size_t(k) >= rows.size()) {
        if (pane.spare.empty()) {
            rows.resize(std::size_t(k) + 1);
            break;
        }
        rows.push_back(std::move(pane.spare.back()));
        pane.spare.pop_back();
        blank(rows.back());
    }
    return rows[std::size_t(k)];
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
    for_each_byte(text, '[', [&](std::size_t at) {
        std::string_view rest = text.substr(at);
        if (rest.starts_with("[end]")) {
            for (int kind = 0; kind < kKinds; ++kind) close(kind, at);
            return true;
        }
        for (int kind = 0; kind < kKinds; ++kind) {
            const std::string_view marker = kSectionMarker[std::size_t(kind)];
            if (!rest.starts_with(marker)) continue;
            close(kind, at);
            open[std::size_t(kind)] = at + marker.size();
            break;
        }
        return true;
    });
    for (int kind = 0; kind < kKinds; ++kind) close(kind, text.size());
    return blocks;
}

namespace {

void build_rows(State& st, Ui& ui, int kind, const std::vector<std::string_view>& blocks) {
    target_codepage(st);
    Throttle yield(ui);
    Pane& pane = st.pane(kind);
    int& n = st.count(kind);
    std::string src, tgt; // reused for every element
    for (std::string_view piece : blocks) {
        // One pass over the block finds the source and the target key.
        KeySearch source{st.fromlang};
        KeySearch target{st.tolang2};
        for_each_byte(piece, '=', [&](std::size_t e) {
            source.see(piece, e);
            target.see(piece, e);
            return true;
        });
        if (source.hit != std::string_view::npos)
            label_at(piece, source.hit, src);
        else if (st.win.check3)
            src = zero_label(piece, after_type_line(piece, st.fromlang));
        else
            src.clear();
        if (src.empty()) continue;
        Row& row = ensure_row(st, kind, n);
        row.tag.assign(src);
        row.caption.assign(src, 6);
        row.label_back = kWhite;
        row.label_fore = kBlack;
        row.text.clear();
        ++n;

        if (target.hit == std::string_view::npos)
            tgt.clear();
        else
            label_at(piece, target.hit, tgt);
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
        if (rows.size() > std::size_t(kPermanentRows)) {
            // The rows beyond the permanent ones go; their strings' memory serves the next build.
            auto& spare = st.pane(kind).spare;
            spare.insert(spare.end(), std::make_move_iterator(rows.begin() + kPermanentRows),
                         std::make_move_iterator(rows.end()));
            rows.resize(kPermanentRows);
        }
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
