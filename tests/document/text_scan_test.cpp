#include "document/text.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

using namespace lex;

namespace {

// Texts of every length up to three blocks and a bit, with the searched bytes at the block
// borders, at both ends and in runs, from a small alphabet so that hits are dense.
std::vector<std::string> scan_texts() {
    std::vector<std::string> out;
    unsigned seed = 7;
    for (std::size_t size = 0; size < 200; ++size) {
        std::string s(size, '.');
        for (char& c : s) {
            seed = seed * 1103515245u + 12345u;
            c = "=.F[x\n"[(seed >> 16) % 6];
        }
        out.push_back(s);
    }
    std::string borders(192, '.');
    for (std::size_t at : {0, 15, 16, 63, 64, 65, 127, 128, 187, 191}) borders[at] = '=';
    for (std::size_t at : {4, 19, 20, 67, 68, 69, 131, 132, 191}) borders[at] = 'F';
    out.push_back(borders);
    return out;
}

std::vector<std::size_t> naive_pairs(const std::string& s, char a, std::size_t gap, char b) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i + gap < s.size(); ++i)
        if (s[i] == a && s[i + gap] == b) out.push_back(i);
    return out;
}

} // namespace

TEST(TextScan, FindsEveryByteAndPairInOrderAndStopsWhenAsked) {
    for (const std::string& s : scan_texts()) {
        for (std::size_t gap : {0, 1, 4}) {
            const std::vector<std::size_t> want =
                gap == 0 ? naive_pairs(s, '=', 0, '=') : naive_pairs(s, '=', gap, 'F');
            std::vector<std::size_t> seen;
            if (gap == 0)
                for_each_byte(s, '=', [&](std::size_t i) { return seen.push_back(i), true; });
            else
                for_each_pair(s, '=', gap, 'F',
                              [&](std::size_t i) { return seen.push_back(i), true; });
            ASSERT_EQ(seen, want) << "gap " << gap << " in \"" << s << '"';

            // Stopping after the k-th hit reports exactly the first k.
            for (std::size_t k = 1; k < want.size(); k += 3) {
                seen.clear();
                auto stop_at_k = [&](std::size_t i) {
                    seen.push_back(i);
                    return seen.size() < k;
                };
                if (gap == 0)
                    for_each_byte(s, '=', stop_at_k);
                else
                    for_each_pair(s, '=', gap, 'F', stop_at_k);
                ASSERT_EQ(seen, std::vector<std::size_t>(want.begin(), want.begin() + long(k)));
            }
        }
    }
}

TEST(TextScan, EitherOfTwoBytesAndTheNextByteWithinALine) {
    for (const std::string& s : scan_texts()) {
        std::vector<std::size_t> want, seen;
        for (std::size_t i = 0; i < s.size(); ++i)
            if (s[i] == '=' || s[i] == '[') want.push_back(i);
        for_each_either(s, '=', '[', [&](std::size_t i) { return seen.push_back(i), true; });
        ASSERT_EQ(seen, want) << s;
        for (std::size_t from = 0; from <= s.size(); ++from)
            ASSERT_EQ(find_near(s, '\n', from), s.find('\n', from)) << from << " in " << s;
    }
}
