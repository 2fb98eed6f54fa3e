#pragma once
// "Export to Stylora5": the document handed to the style editor, sorted and saved on the way
// when the user wants it.

#include <optional>
#include <string>
#include <vector>

namespace lex {

struct State;
class Ui;

// How the editor is started: the program and its arguments, passed as they are.
struct EditorLaunch {
    std::string program;
    std::vector<std::string> arguments;
};

// Starting the editor at `editor` with `document`: the editor itself when it can be run; else,
// outside Windows, through "wine" found on `search_path` (the PATH list), with the document
// as a Windows path on Wine's drive Z:. Nothing when the editor is missing or cannot be run.
std::optional<EditorLaunch> editor_launch(const std::string& editor, const std::string& document,
                                          const std::string& search_path);

// The export: unsaved-changes question, "Sort Languages?" (sorted documents are saved), then
// the editor started with the document path, or "Cannot find Stylora5".
void export_to_editor(State& st, Ui& ui);

} // namespace lex
