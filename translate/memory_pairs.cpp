#include "translate/memory_pairs.h"

#include "document/codepage.h"
#include "document/elements.h"
#include "document/lines.h"
#include "document/text.h"
#include "translate/languages.h"
#include "translate/run.h"
#include "view/review.h"
#include "view/state.h"

#include <algorithm>
#include <array>

namespace lex {

namespace {

bool ascii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string utf8_of(std::string_view bytes, int codepage, const LabelCodec& codec) {
    if (codepage == kUtf8CodePage || ascii(bytes)) return std::string(bytes);
    return codec.to_utf8(bytes, codepage);
}

// A label text as the memory takes it: without the "|" marks, blanks around it removed; "" for
// a label it does not take.
std::string learnable(std::string_view text) {
    std::string out;
    for (const char c : trim(text))
        if (c != '|') out += c;
    out = std::string(trim(out));
    if (out.find('?') != std::string::npos) return {};
    return out;
}

} // namespace

std::string memory_language(std::string_view typ_code) {
    std::string code = to_lower(trim(typ_code));
    if (code.size() == 1) code = "0" + code;
    if (code == "00") return {};
    for (const auto& e : kLanguages)
        if (code == e.code) return e.iso1;
    return {};
}

std::string typ_language(std::string_view memory_code) {
    for (const auto& e : kLanguages)
        if (memory_code == e.iso1 && std::string_view(e.code) != "00") return e.code;
    return {};
}

std::string memory_language_name(std::string_view memory_code) {
    for (const auto& e : kLanguages)
        if (memory_code == e.iso1) return std::string(trim(e.item));
    return std::string(memory_code);
}

std::vector<MemoryPair> style_pairs(std::string_view text, bool utf8_labels,
                                    const LabelCodec& codec) {
    std::vector<MemoryPair> pairs;
    struct Label {
        std::string lang;
        std::string text;
    };
    std::vector<Label> labels;
    std::array<std::string, 256> language_of{}; // TYP code byte: memory code, filled as met
    std::array<bool, 256> looked_up{};
    const ElementBlocks blocks = element_blocks(text);
    for (const auto& kind : blocks) {
        for (const std::string_view body : kind) {
            labels.clear();
            for_each_line(body, [&](std::string_view line, std::size_t) {
                const auto label = parse_label_line(line);
                if (!label) return;
                const int code = label_language(line);
                if (code < 0 || code > 255) return;
                if (!looked_up[std::size_t(code)]) {
                    looked_up[std::size_t(code)] = true;
                    char hex[3] = {"0123456789abcdef"[code >> 4], "0123456789abcdef"[code & 15], 0};
                    language_of[std::size_t(code)] = memory_language(hex);
                }
                const std::string& lang = language_of[std::size_t(code)];
                if (lang.empty()) return;
                if (std::any_of(labels.begin(), labels.end(),
                                [&](const Label& l) { return l.lang == lang; }))
                    return; // the element's first label of a language counts
                // An empty or "?" label of a language still hides its later ones.
                const std::string t = learnable(label->text);
                const int cp =
                    utf8_labels ? kUtf8CodePage : codepage_for_language(std::uint8_t(code));
                labels.push_back({lang, t.empty() ? t : utf8_of(t, cp, codec)});
            });
            for (std::size_t i = 0; i < labels.size(); ++i) {
                if (labels[i].text.empty()) continue;
                for (std::size_t j = i + 1; j < labels.size(); ++j) {
                    if (labels[j].text.empty()) continue;
                    pairs.push_back(
                        {labels[i].lang, labels[i].text, labels[j].lang, labels[j].text});
                }
            }
        }
    }
    return pairs;
}

std::vector<MemoryPair> own_pairs(const State& st, const LabelCodec& codec) {
    std::vector<MemoryPair> pairs;
    const std::string from = memory_language(st.source_code);
    const std::string to = memory_language(st.target_code);
    if (from.empty() || to.empty() || from == to || st.list_loaded) return pairs;
    const int source_cp = sending_codepage(st);
    const int target_cp = receiving_codepage(st);
    for (const Kind kind : kAllKinds) {
        const auto& rows = st.rows(kind);
        const int n = std::min<int>(st.row_count(kind), int(rows.size()));
        for (int r = 0; r < n; ++r) {
            const Row& row = rows[std::size_t(r)];
            if (!row.changed_since_built() || row_suspect(row) ||
                row.status == RowStatus::kToReview)
                continue;
            const std::string source = learnable(row.caption);
            const std::string target = learnable(row.text);
            if (source.empty() || target.empty()) continue;
            pairs.push_back(
                {from, utf8_of(source, source_cp, codec), to, utf8_of(target, target_cp, codec)});
        }
    }
    return pairs;
}

} // namespace lex
