// The folders are layers, bottom to top; a source file includes only files of its own layer or
// of lower ones. This test reads the includes of every source file and names each one that
// points up.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace {

TEST(Layers, IncludesPointToTheSameLayerOrBelow) {
    const std::array<std::string, 6> layers{"document", "view", "translate",
                                            "commands", "gui",  "app"};
    const auto layer_of = [&](const std::string& folder) {
        return std::find(layers.begin(), layers.end(), folder) - layers.begin();
    };
    const std::regex include(R"(^\s*#\s*include\s*"([^/"]+)/[^"]*")");
    const std::filesystem::path root(LEXMARIN_SOURCE_DIR);
    std::string upward;
    for (const std::string& layer : layers) {
        ASSERT_TRUE(std::filesystem::is_directory(root / layer)) << layer;
        for (const auto& entry : std::filesystem::directory_iterator(root / layer)) {
            const auto ext = entry.path().extension();
            if (ext != ".cpp" && ext != ".h") continue;
            std::ifstream in(entry.path());
            std::smatch m;
            for (std::string line; std::getline(in, line);)
                if (std::regex_search(line, m, include) && layer_of(m[1].str()) < 6 &&
                    layer_of(m[1].str()) > layer_of(layer))
                    upward += "\n  " + layer + "/" + entry.path().filename().string() + ": " + line;
        }
    }
    EXPECT_EQ(upward, "") << "includes that point to a higher layer:" << upward;
}

} // namespace
