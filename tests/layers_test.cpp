// The folders are layers, bottom to top; a source file includes only files of its own layer or
// of lower ones. This test reads the includes of every source file and names each one that
// points up.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace lex {
namespace {

constexpr std::array<const char*, 6> kLayers{"document", "view", "translate",
                                             "commands", "gui",  "app"};

int layer_of(const std::string& folder) {
    const auto it = std::find(kLayers.begin(), kLayers.end(), folder);
    return it == kLayers.end() ? -1 : int(it - kLayers.begin());
}

// The includes of a file that point to a higher layer than its own, as "file: include".
std::vector<std::string> upward_includes(const std::filesystem::path& root) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*"([^/"]+)/[^"]*")");
    std::vector<std::string> found;
    for (const char* layer : kLayers) {
        const int own = layer_of(layer);
        for (const auto& entry : std::filesystem::directory_iterator(root / layer)) {
            const auto ext = entry.path().extension();
            if (ext != ".cpp" && ext != ".h") continue;
            std::ifstream in(entry.path());
            std::string line;
            while (std::getline(in, line)) {
                std::smatch m;
                if (std::regex_search(line, m, kInclude) && layer_of(m[1].str()) > own)
                    found.push_back(std::string(layer) + "/" + entry.path().filename().string() +
                                    ": " + line);
            }
        }
    }
    return found;
}

TEST(Layers, IncludesPointToTheSameLayerOrBelow) {
    const std::filesystem::path root(LEXMARIN_SOURCE_DIR);
    for (const char* layer : kLayers) ASSERT_TRUE(std::filesystem::is_directory(root / layer));
    std::ostringstream report;
    for (const auto& f : upward_includes(root)) report << "\n  " << f;
    EXPECT_EQ(report.str(), "") << "includes that point to a higher layer:" << report.str();
}

} // namespace
} // namespace lex
