#include "commands/edit_label.h"

#include "document/key_lines.h"
#include "document/lines.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>
#include <string>
#include <vector>

namespace lex {

namespace {

bool valid_row(const State& st, Kind kind, int row) {
    return kind >= 0 && kind < kKinds && row >= 0 && row < st.row_count(kind) &&
           std::size_t(row) < st.rows(kind).size();
}

// `part` of a label line is `key` once its "|" are left out, as the rows show it.
bool same_without_bars(std::string_view part, std::string_view key) {
    if (part.size() < key.size()) return false;
    if (part.size() == key.size()) return part == key;
    std::size_t k = 0;
    for (char c : part) {
        if (c == '|') continue;
        if (k == key.size() || key[k] != c) return false;
        ++k;
    }
    return k == key.size();
}

} // namespace

std::string label_line_text(std::string_view typed) {
    std::string out(typed);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return out;
}

bool label_text_accepted(Ui& ui, std::string_view typed) {
    if (!trim(label_line_text(typed)).empty()) return true;
    ui.message({MessageId::kEnterText, "Please enter some text"});
    return false;
}

std::size_t replace_label_lines(std::string& document, std::string_view old_key,
                                std::string_view new_key) {
    struct Hit {
        std::size_t at, size; // the "=0xLL,text" part of a label line
    };
    std::vector<Hit> hits;
    if (old_key.size() < 6) return 0;
    const std::string_view prefix = old_key.substr(0, 6); // "=0xLL,"
    const std::string_view text = document;
    for_each_byte(text, '=', [&](std::size_t eq) {
        if (text.compare(eq, prefix.size(), prefix) != 0) return true;
        const std::size_t start = key_line_start(text, eq);
        if (start == std::string_view::npos) return true; // a comment, or not the line's key
        const std::size_t end = line_end(text, eq);
        const auto label = parse_label_line(text.substr(start, end - start));
        if (!label || start + label->code_at != eq + 3) return true;
        if (same_without_bars(text.substr(eq, end - eq), old_key)) hits.push_back({eq, end - eq});
        return true;
    });
    if (hits.empty()) return 0;
    // The document is rewritten in its own buffer: shorter keys close up from the front, longer
    // ones open up from the back, so no byte is overwritten before it has moved.
    using Bytes = std::char_traits<char>;
    char* const d = document.data();
    const std::size_t n = new_key.size();
    const bool shorter =
        std::all_of(hits.begin(), hits.end(), [&](const Hit& h) { return h.size >= n; });
    const bool longer =
        std::all_of(hits.begin(), hits.end(), [&](const Hit& h) { return h.size <= n; });
    if (shorter) {
        std::size_t write = hits.front().at;
        for (std::size_t i = 0; i < hits.size(); ++i) {
            Bytes::move(d + write, new_key.data(), n);
            write += n;
            const std::size_t from = hits[i].at + hits[i].size;
            const std::size_t to = i + 1 < hits.size() ? hits[i + 1].at : document.size();
            Bytes::move(d + write, d + from, to - from);
            write += to - from;
        }
        document.resize(write);
    } else if (longer) {
        std::size_t readEnd = document.size();
        for (const Hit& h : hits) document.append(n - h.size, ' ');
        char* const g = document.data(); // the buffer may have moved
        std::size_t writeEnd = document.size();
        for (auto h = hits.rbegin(); h != hits.rend(); ++h) {
            const std::size_t tail = h->at + h->size;
            writeEnd -= readEnd - tail;
            Bytes::move(g + writeEnd, g + tail, readEnd - tail);
            writeEnd -= n;
            Bytes::move(g + writeEnd, new_key.data(), n);
            readEnd = h->at;
        }
    } else { // keys of both sizes (bars in some of the lines)
        std::string out;
        out.reserve(document.size() + hits.size() * n);
        std::size_t from = 0;
        for (const Hit& hit : hits) {
            out.append(document, from, hit.at - from);
            out += new_key;
            from = hit.at + hit.size;
        }
        out.append(document, from);
        document.swap(out);
    }
    return hits.size();
}

void edit_source_label(State& st, Ui& ui, Kind kind, int row, const LabelDialog& dialog) {
    if (st.win.running || !valid_row(st, kind, row)) return;
    const std::string caption = st.row(kind, row).caption;
    if (caption.empty()) return;
    st.edited_label = caption;
    if (std::optional<std::string> typed = dialog(caption))
        st.edited_label = label_line_text(*typed);
    if (st.edited_label == caption || !valid_row(st, kind, row)) return;

    const std::string oldKey = st.row(kind, row).source_key;
    const std::string newKey = oldKey.substr(0, 6) + st.edited_label;
    if (oldKey.size() < 6 || replace_label_lines(st.document, oldKey, newKey) == 0) {
        ui.message({MessageId::kLabelNotFound, "Label not found in the document"});
        return;
    }
    st.text_changed();
    // Every row that showed the old label line now shows the new one, and a second edit
    // searches for what the document holds now.
    for (const Kind k : kAllKinds) {
        auto& rows = st.rows(k);
        for (int r = 0; r < st.row_count(k) && std::size_t(r) < rows.size(); ++r) {
            Row& other = rows[std::size_t(r)];
            if (other.source_key != oldKey) continue;
            other.source_key = newKey;
            other.caption = st.edited_label;
        }
    }
    Row& edited = st.row(kind, row);
    edited.marks.source_doubt = false;
    edited.text.insert(0, 1, '?');
    st.pane(kind).check_errors_visible = true;
    st.changed = true;
    update_title(st, ui, st.document_path);
    ui.refresh(RefreshTarget::everything());
}

void target_typed(State& st, Ui& ui) {
    if (st.changed) return;
    st.changed = true;
    update_title(st, ui, st.document_path);
}

} // namespace lex
