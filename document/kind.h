#pragma once
// The three kinds of element a document labels; each has its pane in the window.

#include <array>
#include <optional>

namespace lex {

// Element kinds, also the pane index.
enum Kind : int { kPolygons = 0, kLines = 1, kPoints = 2 };
constexpr int kKinds = 3;
// Every kind, in pane order: `for (const Kind kind : kAllKinds)`.
constexpr std::array<Kind, kKinds> kAllKinds{kPolygons, kLines, kPoints};
// The kind numbered `n` (a menu index, a byte read from a file), or nothing when `n` is no kind.
constexpr std::optional<Kind> kind_from_int(int n) {
    if (n < 0 || n >= kKinds) return std::nullopt;
    return static_cast<Kind>(n);
}

} // namespace lex
