#include "commands/survey.h"

#include "document/key_lines.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "view/state.h"
#include "view/window_state.h"

#include <bit>

namespace lex {

namespace {

constexpr int kSurveyedCodes = 0x30; // 0x00 to 0x2F

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The code of a two-digit "0xLL," at `at`, or -1.
int two_digit_code(std::string_view line, std::size_t at) {
    if (line.size() < at + 5 || line[at] != '0' || (line[at + 1] != 'x' && line[at + 1] != 'X') ||
        line[at + 4] != ',')
        return -1;
    const int hi = hex_digit(line[at + 2]);
    const int lo = hex_digit(line[at + 3]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

std::uint64_t bit(int code) {
    return code >= 0 && code < kSurveyedCodes ? std::uint64_t(1) << code : 0;
}

} // namespace

LanguageCounts labels_per_language(std::string_view text) {
    LanguageCounts total{};    // labels of the sections read
    LanguageCounts section{};  // labels of the section being read
    std::uint64_t touched = 0; // codes the section being read has counted
    auto close_section = [&] {
        for (; touched != 0; touched &= touched - 1) {
            const int code = std::countr_zero(touched);
            total[std::size_t(code)] += section[std::size_t(code)];
            section[std::size_t(code)] = 0;
        }
    };
    // Only the lines with a "[" or a "=" matter; the scan looks at nothing else.
    for_each_either(text, '[', '=', [&](std::size_t at) {
        if (text[at] == '[') {
            if (first_on_line(text, at)) close_section(); // a section starts or ends
            return true;
        }
        const int code = two_digit_code(text, at + 1);
        if (code < 0 || code >= kSurveyedCodes) return true; // no "=0xLL," of a language
        if (label_key_before(text, at)) {
            ++section[std::size_t(code)];
            touched |= bit(code);
            return true;
        }
        // "Type=0xLL,": labels of that code before it in its section do not count.
        const std::size_t start = key_line_start(text, at);
        if (start != std::string_view::npos && at >= start + 3 && text.substr(at - 3, 3) == "ype")
            section[std::size_t(code)] = 0;
        return true;
    });
    close_section();
    return total;
}

std::uint64_t languages_in_document(std::string_view text) {
    const LanguageCounts counts = labels_per_language(text);
    std::uint64_t found = 0;
    for (int n = 0; n < kSurveyedCodes; ++n)
        if (counts[std::size_t(n)] > 0) found |= bit(n);
    return found;
}

std::string language_list_text(std::uint64_t codes) {
    std::string out;
    for (int n = 0; n < kSurveyedCodes; ++n)
        if (codes & bit(n)) out += survey_language_name(n) + ",";
    return out.empty() ? "No labels found" : out;
}

void language_survey(State& st, Ui& ui) {
    close_language_lists(st);
    busy_on(st, ui);
    const std::uint64_t codes = languages_in_document(st.document);
    busy_off(st, ui);
    ui.message(
        {MessageId::kLanguagesFound, "Languages found:\r\n\r\n\r\n" + language_list_text(codes)});
}

} // namespace lex
