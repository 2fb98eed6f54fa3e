#include "document/lines.h"
#include "document/text.h"
#include "document/typ_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

using namespace lex;

namespace {

// The repairs the open must not miss, said the plain way: a line end without its CR, or a line
// that is "[end]" but for the letter case or blanks around it (a CR that ends the text ends its
// last line).
bool needs_line_repairs(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return true;
    for (std::size_t start = 0; start <= s.size();) {
        const std::size_t lf = s.find('\n', start);
        std::string_view line = s.substr(start, lf == std::string_view::npos ? s.npos : lf - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line != "[end]" && is_marker_line(line, "[end]")) return true;
        if (lf == std::string_view::npos) break;
        start = lf + 1;
    }
    return false;
}

} // namespace

TEST(TextChecks, OnePassFindsEveryRepairAndForeignMarkWhereverItStands) {
    // Pieces that start or break what the pass looks for, joined at random so that they
    // straddle its 64-byte blocks.
    const std::vector<std::string_view> pieces =
        split("\r\n|\n|\r|[end]|[End]| [end] |\t[END]|[_point]|=0x2F,|=0x2f|=0x2|F|COMMENTAIRES|"
              "COMMENTAIRE|;GRMN_type|;grmn_typ|C|;|=|String1=0x04,Lake|Type=0x01|"
              "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
              "|");
    std::mt19937 rng(11);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int k = int(rng() % 40); k > 0; --k) text += pieces[rng() % pieces.size()];
        const TextChecks found = check_text(text);
        ASSERT_EQ(found.line_repairs, needs_line_repairs(text)) << text;
        ASSERT_EQ(found.obsolete_code, contains(text, "=0x2F")) << text;
        ASSERT_EQ(found.foreign_mark,
                  contains(text, "COMMENTAIRES") || icontains(text, ";grmn_type"))
            << text;
    }
}
