#include "document/label_edits.h"

#include "document/lines.h"
#include "document/text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <optional>
#include <vector>

namespace lex {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool same_code(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool starts_with_nocase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && same_code(s.substr(0, prefix.size()), prefix);
}

std::string_view rtrim_blanks(std::string_view s) {
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    return rtrim_blanks(s);
}

// The number N of a line "StringN=...", or -1.
int string_number(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && blank(line[i])) ++i;
    if (!starts_with_nocase(line.substr(i), "string")) return -1;
    i += 6;
    const std::size_t digits = i;
    long n = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && n < 100000)
        n = n * 10 + (line[i++] - '0');
    if (i == digits || i >= line.size() || line[i] != '=') return -1;
    return int(n);
}

// A code of up to four hexadecimal digits as a number; -1 for a longer one.
int code_value(std::string_view code) {
    if (code.size() > 4) return -1;
    int v = 0;
    for (char c : code) {
        c = lower(c);
        v = v * 16 + (c <= '9' ? c - '0' : c - 'a' + 10);
    }
    return v;
}

struct Label {
    std::size_t at = 0;    // where the line starts in the document
    std::string_view line; // without its line end
    LabelLine parts;
};

struct Element {
    std::string_view header; // the "[_...]" line, blanks around it removed
    std::string_view type;   // the first "Type=" line, trailing blanks removed
    bool draw_order = false;
    std::vector<Label> labels;
    std::vector<int> kept_numbers; // numbers of "StringN=" lines that are not sortable labels

    void clear() {
        header = type = {};
        draw_order = false;
        labels.clear();
        kept_numbers.clear();
    }
    // How reports name the element: "[_polygon] Type=0x01".
    std::string name() const {
        std::string out(header);
        if (!out.empty() && !type.empty()) out += ' ';
        out += type;
        return out;
    }
};

// Whether the '=' at `at` may belong to a line that matters here: "=0x" (labels, Type lines),
// a digit before it ("StringN="), or "Type" before it. Other lines are never looked at.
bool worth_a_look(std::string_view text, std::size_t at) {
    if (at + 2 < text.size() && text[at + 1] == '0' && (text[at + 2] == 'x' || text[at + 2] == 'X'))
        return true;
    if (at > 0 && text[at - 1] >= '0' && text[at - 1] <= '9') return true;
    return at >= 4 && same_code(text.substr(at - 4, 4), "type");
}

// Walks the elements of `text`; calls on(element) at the end of each, then `progress`. Only
// the lines that hold a '[' or a telling '=' are read: headers, "[end]", labels, Type lines.
// A line ends at its line feed, as for_each_line has it.
template <class OnElement>
void for_each_element(std::string_view text, OnElement&& on, const EditProgress& progress) {
    Element el;
    auto finish = [&](std::size_t end) {
        on(el);
        el.clear();
        if (progress) progress(end, text.size());
    };
    auto see_line = [&](std::string_view line, std::size_t at) {
        std::size_t i = 0;
        while (i < line.size() && blank(line[i])) ++i;
        if (i == line.size()) return;
        const char c = line[i];
        if (c == ';') return; // a comment is nothing else
        const bool open = !el.header.empty();
        if (c == '[') {
            if (is_marker_line(line, "[end]")) {
                if (!open) return; // an "[end]" that closes nothing is just text
                std::size_t end = at + line.size();
                if (end < text.size() && text[end] == '\r') ++end;
                if (end < text.size() && text[end] == '\n') ++end;
                finish(end);
                return;
            }
            if (!is_section_header(line)) return;
            if (open) finish(at);
            el.header = trim_blanks(line);
            el.draw_order = false;
            for (std::size_t k = 0; k + 10 <= el.header.size() && !el.draw_order; ++k)
                el.draw_order = starts_with_nocase(el.header.substr(k), "_draworder");
            return;
        }
        // Lines outside every element (before the first, between an "[end]" and the next
        // header, after the last) belong to none: nothing here edits them.
        if (!open) return;
        if ((c == 'T' || c == 't') && el.type.empty() &&
            starts_with_nocase(line.substr(i), "type=")) {
            el.type = rtrim_blanks(line.substr(i));
            return;
        }
        if (c != 'S' && c != 's') return;
        if (auto parts = parse_label_line(line)) {
            el.labels.push_back({at, line, *parts});
            if (code_value(parts->code) < 0) el.kept_numbers.push_back(string_number(line));
        } else if (int n = string_number(line); n >= 0) {
            el.kept_numbers.push_back(n);
        }
    };
    // Lines are read from their first '[' or telling '='; `read_to` is where the last line read
    // ended, so that the other marks on it are passed over.
    std::size_t read_to = 0;
    for_each_either(text, '[', '=', [&](std::size_t at) {
        if (at < read_to || (text[at] == '=' && !worth_a_look(text, at))) return true;
        std::size_t start = at;
        while (start > 0 && text[start - 1] != '\n') --start;
        const std::size_t lf = find_near(text, '\n', at);
        std::size_t end = lf == std::string_view::npos ? text.size() : lf;
        read_to = end;
        if (end > start && text[end - 1] == '\r') --end;
        see_line(text.substr(start, end - start), start);
        return true;
    });
    if (!el.header.empty())
        finish(text.size());
    else if (progress)
        progress(text.size(), text.size());
}

// Copies the document with some of its spans replaced, in order.
class Rewriter {
public:
    explicit Rewriter(std::string_view text) : text_(text) {}
    void replace(std::size_t at, std::size_t size, std::string_view with) {
        replace_by(at, size).append(with);
    }
    // Copies the text up to `at` and passes over the `size` bytes there; returns the output, for
    // the caller to append what stands in their place.
    std::string& replace_by(std::size_t at, std::size_t size) {
        if (out_.empty()) out_.reserve(text_.size() + text_.size() / 16 + 64);
        out_.append(text_.substr(copied_, at - copied_));
        copied_ = at + size;
        return out_;
    }
    std::string finish() {
        out_.append(text_.substr(copied_));
        return std::move(out_);
    }

private:
    std::string_view text_;
    std::string out_;
    std::size_t copied_ = 0;
};

// The span of a line with its line end.
std::size_t line_span(std::string_view text, const Label& label) {
    std::size_t end = label.at + label.line.size();
    if (end < text.size() && text[end] == '\r') ++end;
    if (end < text.size() && text[end] == '\n') ++end;
    return end - label.at;
}

} // namespace

LabelEdit relabel_language(std::string_view text, std::string_view from, std::string_view to,
                           const EditProgress& progress) {
    LabelEdit result;
    Rewriter out(text);
    for_each_element(
        text,
        [&](const Element& el) {
            if (el.draw_order) return;
            bool has_from = false, has_to = false;
            for (const Label& l : el.labels) {
                has_from = has_from || same_code(l.parts.code, from);
                has_to = has_to || same_code(l.parts.code, to);
            }
            if (!has_from) return;
            if (has_to) {
                result.report += el.name() + "\r\n";
                return;
            }
            ++result.count;
            for (const Label& l : el.labels)
                if (same_code(l.parts.code, from))
                    out.replace(l.at + l.parts.code_at, l.parts.code_size, to);
        },
        progress);
    if (result.count > 0) result.text = out.finish();
    return result;
}

LabelEdit remove_empty_labels(std::string_view text, const EditProgress& progress) {
    LabelEdit result;
    Rewriter out(text);
    for_each_element(
        text,
        [&](const Element& el) {
            if (el.draw_order) return;
            for (const Label& l : el.labels) {
                if (!std::all_of(l.parts.text.begin(), l.parts.text.end(), blank)) continue;
                ++result.count;
                std::string name = el.name();
                if (!name.empty()) name += ' ';
                result.report += name;
                result.report += rtrim_blanks(l.line);
                result.report += "\r\n";
                out.replace(l.at, line_span(text, l), {});
            }
        },
        progress);
    if (result.count > 0) result.text = out.finish();
    return result;
}

LabelEdit sort_labels(std::string_view text, const EditProgress& progress) {
    LabelEdit result;
    Rewriter out(text);
    struct Entry {
        int code;
        const Label* label;
    };
    std::vector<Entry> entries, sorted;
    for_each_element(
        text,
        [&](const Element& el) {
            if (el.draw_order || el.labels.size() < 2) return;
            entries.clear();
            bool in_order = true;
            for (const Label& l : el.labels) {
                const int code = code_value(l.parts.code);
                if (code < 0) continue;
                in_order = in_order && (entries.empty() || entries.back().code <= code);
                entries.push_back({code, &l});
            }
            if (in_order) return;
            ++result.count;
            // An element holds a handful of labels: an insertion sort keeps equal codes in
            // their order without the buffer a stable sort takes from the heap each time.
            sorted = entries;
            for (std::size_t k = 1; k < sorted.size(); ++k)
                for (std::size_t j = k; j > 0 && sorted[j].code < sorted[j - 1].code; --j)
                    std::swap(sorted[j], sorted[j - 1]);
            int number = 0;
            for (std::size_t k = 0; k < sorted.size(); ++k) {
                do ++number;
                while (std::find(el.kept_numbers.begin(), el.kept_numbers.end(), number) !=
                       el.kept_numbers.end());
                const LabelLine& from = sorted[k].label->parts;
                char digits[12];
                const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
                const Label& place = *entries[k].label;
                std::string& line = out.replace_by(place.at, place.line.size());
                line.append("String");
                line.append(digits, end);
                line.append("=0x");
                line.append(from.code);
                line.push_back(',');
                line.append(from.text);
            }
        },
        progress);
    if (result.count > 0) result.text = out.finish();
    return result;
}

} // namespace lex
