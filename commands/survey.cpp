#include "commands/survey.h"

#include "document/lines.h"
#include "document/state.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "view/window_state.h"

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

std::uint64_t languages_in_document(std::string_view text) {
    std::uint64_t found = 0;
    std::uint64_t section = 0; // codes of the section being read
    for_each_line(text, [&](std::string_view line, std::size_t) {
        std::size_t i = 0;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == line.size() || line[i] == ';') return;
        if (line[i] == '[') { // a section starts or ends
            found |= section;
            section = 0;
            return;
        }
        const std::size_t eq = line.find('=', i);
        if (eq == std::string_view::npos) return;
        if (eq >= 3 && line.substr(eq - 3, 3) == "ype") {
            // "Type=0xLL,": labels of that code before it do not count.
            section &= ~bit(two_digit_code(line, eq + 1));
            return;
        }
        const auto label = parse_label_line(line);
        if (label && label->code_size == 2)
            section |= bit(hex_digit(label->code[0]) * 16 + hex_digit(label->code[1]));
    });
    return found | section;
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
    ui.message("Languages found:\r\n\r\n\r\n" + language_list_text(codes));
}

} // namespace lex
