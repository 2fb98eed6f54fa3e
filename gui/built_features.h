#pragma once
// Which window actions are built. The window shows every menu item and button from the start
// and keeps those whose action is not built yet disabled: set a switch to true when the
// action lands (and connect it in gui/menus.cpp or gui/controls.cpp where its comment says).

namespace lex::built {

inline constexpr bool kOpenList = true;    // File: "Open List"
inline constexpr bool kSave = true;        // File: "Save ", "Save As"
inline constexpr bool kSaveList = true;    // File: "Save List"
inline constexpr bool kClear = true;       // the Clear menu and each pane's "Clr"
inline constexpr bool kEditStrings = true; // the Edit Strings menu
inline constexpr bool kTools = true;       // the Tools menu
inline constexpr bool kHelp = true;        // the Help menu
inline constexpr bool kSurvey = true;      // "Check Which Languages"
inline constexpr bool kSearch = true;      // "Search"
inline constexpr bool kExport = true;      // "Export to Stylora5"

} // namespace lex::built
