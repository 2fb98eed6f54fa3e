#include "document/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lex;

// The block scans against plain loops: texts of every length up to three blocks and a bit, from
// a small alphabet so that hits are dense and stand on every block border; each scan also
// stopped after its third hit.
TEST(TextScan, BlockScansFindWhatPlainLoopsFindAndStopWhenAsked) {
    unsigned seed = 7;
    for (std::size_t size = 0; size < 200; ++size) {
        std::string s(size, '.');
        for (char& c : s) c = "=.F[x\n"[((seed = seed * 1103515245u + 12345u) >> 16) % 6];

        std::vector<std::size_t> bytes, pairs, either;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '=') bytes.push_back(i);
            if (s[i] == '=' && i + 4 < s.size() && s[i + 4] == 'F') pairs.push_back(i);
            if (s[i] == '=' || s[i] == '[') either.push_back(i);
        }
        for (std::size_t limit : {std::size_t(3), std::size_t(1000)}) {
            std::vector<std::size_t> seen;
            auto take = [&](std::size_t i) { return seen.push_back(i), seen.size() < limit; };
            auto first = [&](const std::vector<std::size_t>& all) {
                return std::vector<std::size_t>(all.begin(),
                                                all.begin() + long(std::min(limit, all.size())));
            };
            for_each_byte(s, '=', take);
            ASSERT_EQ(seen, first(bytes)) << s;
            seen.clear();
            for_each_pair(s, '=', 4, 'F', take);
            ASSERT_EQ(seen, first(pairs)) << s;
            seen.clear();
            for_each_either(s, '=', '[', take);
            ASSERT_EQ(seen, first(either)) << s;
        }
        for (std::size_t from = 0; from <= s.size(); ++from)
            ASSERT_EQ(find_near(s, '\n', from), s.find('\n', from)) << from << " in " << s;
    }
}
