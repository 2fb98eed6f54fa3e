#include "document/elements.h"

#include "document/state.h"
#include "document/text.h"

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

std::string label_text(std::string_view block, std::size_t j) {
    std::string out;
    label_at(block, j, out);
    return out;
}

// The 0x00 label of a block, for sources without a label of their own.
std::string zero_label(std::string_view block, std::size_t p) {
    std::size_t i = block.find("ype=0x00,");
    if (i != std::string_view::npos) p = i + 5;
    std::size_t j = block.find("=0x00,", p);
    return j == std::string_view::npos ? std::string{} : label_text(block, j);
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

std::string find_label(std::string_view block, const std::string& code, char side,
                       bool zero_fallback) {
    KeySearch key{code};
    for_each_byte(block, '=', [&](std::size_t e) {
        key.see(block, e);
        return true;
    });
    if (key.hit != std::string_view::npos) return label_text(block, key.hit);
    if (!zero_fallback || side != 'S') return {};
    return zero_label_fallback(block, code);
}

LabelKeys find_label_keys(std::string_view block, std::string_view source_code,
                          std::string_view target_code) {
    KeySearch source{source_code};
    KeySearch target{target_code};
    for_each_byte(block, '=', [&](std::size_t e) {
        source.see(block, e);
        target.see(block, e);
        return true;
    });
    return {source.hit, target.hit};
}

std::string zero_label_fallback(std::string_view block, const std::string& code) {
    return zero_label(block, after_type_line(block, code));
}

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

} // namespace lex
