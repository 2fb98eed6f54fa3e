#include "document/pictures.h"

#include "document/lines.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace lex {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

bool same_letters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
    return true;
}

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The text between the first and the last '"' of a line whose first character that is not a
// blank is '"'; nothing when the line is not quoted so.
std::optional<std::string_view> quoted(std::string_view line) {
    line = trim_blanks(line);
    if (line.empty() || line.front() != '"') return std::nullopt;
    const std::size_t close = line.rfind('"');
    if (close == 0) return std::nullopt;
    return line.substr(1, close - 1);
}

// The next blank-separated word of `s` from `at`, which moves past it; "" at the end.
std::string_view next_word(std::string_view s, std::size_t& at) {
    while (at < s.size() && (s[at] == ' ' || s[at] == '\t')) ++at;
    const std::size_t start = at;
    while (at < s.size() && s[at] != ' ' && s[at] != '\t') ++at;
    return s.substr(start, at - start);
}

// A count of up to four digits, or -1.
int small_number(std::string_view word) {
    if (word.empty() || word.size() > 4) return -1;
    int n = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "#RRGGBB" as an opaque colour, "none" as transparent; nothing for anything else.
std::optional<std::uint32_t> colour_value(std::string_view word) {
    if (same_letters(word, "none")) return 0u;
    if (word.size() != 7 || word[0] != '#') return std::nullopt;
    std::uint32_t rgb = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const int d = hex_digit(word[i]);
        if (d < 0) return std::nullopt;
        rgb = (rgb << 4) | std::uint32_t(d);
    }
    return kOpaque | rgb;
}

// The colour a colour line's text (after its pixel characters) gives: the word after "c".
std::optional<std::uint32_t> colour_of(std::string_view rest) {
    std::size_t at = 0;
    for (std::string_view w = next_word(rest, at); !w.empty(); w = next_word(rest, at))
        if (same_letters(w, "c")) return colour_value(next_word(rest, at));
    return std::nullopt;
}

// One bitmap as written: its colours and, for each pixel, which colour it has.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> colours;
    std::vector<std::uint8_t> pixels; // colour numbers, rows top to bottom
};

// The bitmap whose header line is lines[at]; nothing when a count is out of bounds or the lines
// after it do not hold what the counts say.
std::optional<Bitmap> read_bitmap(const std::vector<std::string_view>& lines, std::size_t at,
                                  std::string_view value) {
    const std::optional<std::string_view> head = quoted(value);
    if (!head) return std::nullopt;
    std::size_t pos = 0;
    const int w = small_number(next_word(*head, pos));
    const int h = small_number(next_word(*head, pos));
    const int n = small_number(next_word(*head, pos));
    const int cpp = small_number(next_word(*head, pos));
    if (w < 0 || h < 0 || n < 0 || cpp < 0) return std::nullopt;
    if (w > kMaxPictureSide || h > kMaxPictureSide || n > kMaxPictureColours ||
        cpp > kMaxCharsPerPixel)
        return std::nullopt;
    const bool has_pixels = w > 0 && h > 0;
    if ((w > 0) != (h > 0) || n < 1 || (has_pixels && cpp < 1)) return std::nullopt;
    const std::size_t rows = has_pixels ? std::size_t(h) : 0;
    if (lines.size() - at - 1 < std::size_t(n) + rows) return std::nullopt;

    Bitmap b;
    b.width = has_pixels ? w : 0;
    b.height = has_pixels ? h : 0;
    b.colours.reserve(std::size_t(n));
    // Pixel characters to colour numbers: a table for one character, a sorted list for two.
    std::array<std::int16_t, 256> single;
    single.fill(-1);
    std::vector<std::pair<std::uint16_t, std::uint8_t>> pairs;
    for (int i = 0; i < n; ++i) {
        const std::optional<std::string_view> text = quoted(lines[at + 1 + std::size_t(i)]);
        if (!text || text->size() < std::size_t(cpp)) return std::nullopt;
        const std::optional<std::uint32_t> colour = colour_of(text->substr(std::size_t(cpp)));
        if (!colour) return std::nullopt;
        b.colours.push_back(*colour);
        if (cpp == 1) {
            auto& slot = single[static_cast<unsigned char>((*text)[0])];
            if (slot < 0) slot = std::int16_t(i);
        } else if (cpp == 2) {
            pairs.emplace_back(std::uint16_t(static_cast<unsigned char>((*text)[0]) << 8 |
                                             static_cast<unsigned char>((*text)[1])),
                               std::uint8_t(i));
        }
    }
    if (!has_pixels) return b;
    // The first colour line of a key counts, as with the one-character table.
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });

    b.pixels.resize(std::size_t(w) * std::size_t(h));
    std::uint8_t* out = b.pixels.data();
    for (std::size_t y = 0; y < rows; ++y) {
        const std::optional<std::string_view> row = quoted(lines[at + 1 + std::size_t(n) + y]);
        if (!row || row->size() != std::size_t(w) * std::size_t(cpp)) return std::nullopt;
        for (std::size_t x = 0; x < std::size_t(w); ++x) {
            int colour = -1;
            if (cpp == 1) {
                colour = single[static_cast<unsigned char>((*row)[x])];
            } else {
                const auto key = std::uint16_t(static_cast<unsigned char>((*row)[2 * x]) << 8 |
                                               static_cast<unsigned char>((*row)[2 * x + 1]));
                const auto it =
                    std::lower_bound(pairs.begin(), pairs.end(), key,
                                     [](const auto& p, std::uint16_t k) { return p.first < k; });
                if (it != pairs.end() && it->first == key) colour = it->second;
            }
            if (colour < 0) return std::nullopt;
            *out++ = std::uint8_t(colour);
        }
    }
    return b;
}

Picture solid(std::uint32_t colour) {
    Picture p;
    p.width = p.height = 1;
    p.pixels.assign(1, colour);
    p.solid = true;
    return p;
}

// The bitmap's pixels with colour k drawn as colours[k + shift] (the night colours of a
// four-colour bitmap follow the day ones).
Picture painted(const Bitmap& b, std::size_t shift) {
    Picture p;
    p.width = b.width;
    p.height = b.height;
    p.pixels.resize(b.pixels.size());
    for (std::size_t i = 0; i < b.pixels.size(); ++i) {
        const std::size_t k = b.pixels[i] + shift;
        p.pixels[i] = k < b.colours.size() ? b.colours[k] : b.colours[b.pixels[i]];
    }
    return p;
}

// A line without pixels: `width` pixels of `line`, edged above and below by `border` pixels
// of `edge`.
Picture stroke(std::uint32_t line, std::optional<std::uint32_t> edge, int width, int border) {
    if (!edge) border = 0;
    Picture p;
    p.width = kStrokeLength;
    p.height = width + 2 * border;
    p.pixels.reserve(std::size_t(p.width) * std::size_t(p.height));
    for (int y = 0; y < p.height; ++y) {
        const bool edged = y < border || y >= border + width;
        p.pixels.insert(p.pixels.end(), std::size_t(p.width), edged ? *edge : line);
    }
    return p;
}

struct Found {
    std::size_t at = 0;
    std::string_view value;
    bool present = false;
};

// A "Key=123" line's number, clamped to [low, high]; `fallback` when it is none.
int width_value(std::string_view value, int low, int high, int fallback) {
    const int n = small_number(trim_blanks(value));
    return n < 0 ? fallback : std::clamp(n, low, high);
}

} // namespace

ElementPictures read_element_pictures(std::string_view body, Kind kind) {
    std::vector<std::string_view> lines;
    Found plain, day, night;
    int line_width = -1, border_width = -1;
    for_each_line(body, [&](std::string_view line, std::size_t) { lines.push_back(line); });
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (is_comment_line(line)) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = trim_blanks(line.substr(0, eq));
        const std::string_view value = line.substr(eq + 1);
        Found* slot = same_letters(key, "Xpm")        ? &plain
                      : same_letters(key, "DayXpm")   ? &day
                      : same_letters(key, "NightXpm") ? &night
                                                      : nullptr;
        if (slot && !slot->present) *slot = {i, value, true};
        if (same_letters(key, "LineWidth")) line_width = width_value(value, 0, 32, -1);
        if (same_letters(key, "BorderWidth")) border_width = width_value(value, 0, 16, -1);
    }

    // One bitmap as the day picture, or, `at_night_of_plain`, as the night picture a plain Xpm
    // holds: a polygon's second colour, or the last two colours of four.
    auto picture = [&](const Bitmap& b, bool at_night_of_plain) -> Picture {
        const std::size_t shift = at_night_of_plain ? 2 : 0;
        if (at_night_of_plain && b.colours.size() < 4 && !(kind == kPolygons && b.width == 0))
            return {};
        if (b.width > 0) return kind == kPoints ? painted(b, 0) : painted(b, shift);
        if (kind == kLines) {
            const std::uint32_t line = b.colours[shift < b.colours.size() ? shift : 0];
            std::optional<std::uint32_t> edge;
            if (b.colours.size() >= shift + 2) edge = b.colours[shift + 1];
            const int width = line_width > 0 ? line_width : 1;
            return stroke(line, edge, width, std::max(border_width, 0));
        }
        if (at_night_of_plain) return b.colours.size() >= 2 ? solid(b.colours[1]) : Picture{};
        return solid(b.colours[0]);
    };

    ElementPictures out;
    std::optional<Bitmap> plain_bitmap;
    if (plain.present) plain_bitmap = read_bitmap(lines, plain.at, plain.value);
    if (day.present) {
        if (const auto b = read_bitmap(lines, day.at, day.value)) out.day = picture(*b, false);
    } else if (plain_bitmap) {
        out.day = picture(*plain_bitmap, false);
    }
    if (night.present) {
        if (const auto b = read_bitmap(lines, night.at, night.value))
            out.night = picture(*b, false);
    } else if (plain_bitmap && kind != kPoints) {
        out.night = picture(*plain_bitmap, true);
    }
    return out;
}

} // namespace lex
