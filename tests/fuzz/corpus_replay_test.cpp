// Every file of the fuzz corpus through its target, as an ordinary test.

#include "fuzz_targets.h"
#include "support/fixtures.h"

#include <algorithm>

namespace lex::fuzz {

void invariant_failed(const std::string& what) {
    ADD_FAILURE() << what;
}

} // namespace lex::fuzz

namespace lex {

namespace fs = std::filesystem;

TEST(FuzzCorpus, EveryFileThroughItsTarget) {
    const fs::path corpus = fs::path(LEXMARIN_SOURCE_DIR) / "tests/fuzz/corpus";
    for (const auto& target : fuzz::targets()) {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(corpus / target.name))
            files.push_back(entry);
        std::sort(files.begin(), files.end());
        EXPECT_FALSE(files.empty()) << target.name;
        for (const fs::path& file : files) {
            SCOPED_TRACE(file.string());
            const std::string bytes = test::TempDir::read(file.string());
            target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        }
    }
}

} // namespace lex
