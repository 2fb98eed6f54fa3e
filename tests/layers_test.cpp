// The folders are layers, bottom to top; a source file includes only files of its own layer or
// of lower ones. Below gui/, only a file with "_qt" in its name uses Qt, and none uses Qt
// Widgets. These tests read the includes of every source file and name each one that breaks
// a rule.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::array<std::string, 6> layers{"document", "view", "translate", "commands", "gui", "app"};

// Calls `each(folder, file name, line)` for every line of every source file of `folders`
// (under the source folder), subfolders included.
template <typename Each> void for_each_line(const std::vector<std::string>& folders, Each each) {
    const std::filesystem::path root(LEXMARIN_SOURCE_DIR);
    for (const std::string& folder : folders) {
        ASSERT_TRUE(std::filesystem::is_directory(root / folder)) << folder;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            const auto ext = entry.path().extension();
            if (ext != ".cpp" && ext != ".h") continue;
            std::ifstream in(entry.path());
            for (std::string line; std::getline(in, line);)
                each(folder, entry.path().filename().string(), line);
        }
    }
}

// The same for every include line.
template <typename Each> void for_each_include(const std::vector<std::string>& folders, Each each) {
    const std::regex include(R"(^\s*#\s*include\s*[<"])");
    for_each_line(folders,
                  [&](const std::string& folder, const std::string& file, const std::string& line) {
                      if (std::regex_search(line, include)) each(folder, file, line);
                  });
}

TEST(Layers, IncludesPointToTheSameLayerOrBelow) {
    const auto layer_of = [&](const std::string& folder) {
        return std::find(layers.begin(), layers.end(), folder) - layers.begin();
    };
    const std::regex include(R"(^\s*#\s*include\s*"([^/"]+)/[^"]*")");
    std::string upward;
    for_each_include(
        {layers.begin(), layers.end()},
        [&](const std::string& layer, const std::string& file, const std::string& line) {
            std::smatch m;
            if (std::regex_search(line, m, include) && layer_of(m[1].str()) < 6 &&
                layer_of(m[1].str()) > layer_of(layer))
                upward += "\n  " + layer + "/" + file + ": " + line;
        });
    EXPECT_EQ(upward, "") << "includes that point to a higher layer:" << upward;
}

// Below gui/ a file without "_qt" in its name builds without Qt: it includes no Qt header, nor
// a header of ours that does (name_qt.h). No file there includes a Qt Widgets header; neither
// does the command line, which runs without a display.
TEST(Layers, QtOnlyInQtFilesAndWidgetsOnlyInTheWindow) {
    const std::filesystem::path widgets(LEXMARIN_QT_WIDGETS_DIR);
    ASSERT_TRUE(std::filesystem::exists(widgets / "QWidget")) << widgets;
    const std::regex qt(R"(^\s*#\s*include\s*<(Q[^>]*)>)");
    const std::regex our_qt(R"(^\s*#\s*include\s*"[^"]*_qt\.h")");
    std::string plain_with_qt, with_widgets;
    for_each_include(
        {"document", "view", "translate", "commands", "app/cli"},
        [&](const std::string& folder, const std::string& file, const std::string& line) {
            const std::string where = "\n  " + folder + "/" + file + ": " + line;
            std::smatch m;
            const bool is_qt = std::regex_search(line, m, qt);
            const std::string header = is_qt ? m[1].str() : "";
            if (is_qt &&
                (header.starts_with("QtWidgets") || std::filesystem::exists(widgets / header)))
                with_widgets += where;
            if (folder != "app/cli" && file.find("_qt") == std::string::npos &&
                (is_qt || std::regex_search(line, our_qt)))
                plain_with_qt += where;
        });
    EXPECT_EQ(plain_with_qt, "") << "Qt headers in files without \"_qt\" in the name:"
                                 << plain_with_qt;
    EXPECT_EQ(with_widgets, "") << "Qt Widgets headers below the window:" << with_widgets;
}

// What was said is told apart by its id and what a command did by its outcome: no program code
// compares a question or a message with a text, nor counts the messages to learn how a
// command went.
TEST(Layers, NoCodeReadsMessageTexts) {
    const std::regex compared(
        R"((question|message)\w*(\.text)?\s*[!=]=\s*"|"\s*[!=]=\s*\w*(question|message))"
        R"(|(question|message)\w*(\.text)?\.(starts_with|ends_with|find|rfind|compare|contains)\(\s*")");
    const std::regex counted(R"(\bmessages\s*([!=<>]=?|\+\+|--)|(\+\+|--)\s*messages\b|)"
                             R"(\bmessages\.(size|empty)\(\))");
    std::string found;
    for_each_line({layers.begin(), layers.end()},
                  [&](const std::string& folder, const std::string& file, const std::string& line) {
                      if (std::regex_search(line, compared) || std::regex_search(line, counted))
                          found += "\n  " + folder + "/" + file + ": " + line;
                  });
    EXPECT_EQ(found, "") << "code that reads message texts or counts messages:" << found;
}

} // namespace
