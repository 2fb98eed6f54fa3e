#pragma once
// The pictures an element carries under its labels: a polygon's fill pattern or colour, a
// line's colours and width, a point's icon, each as bitmap lines
//
//   Xpm="W H N C"        (or DayXpm=, NightXpm=): width, height, colours, characters per pixel
//   "! c #RRGGBB"         N colour lines: C characters, then the colour or "none"
//   "!!  !!"              H pixel lines of W * C characters
//
// Decoding checks every count against the lines that follow; a picture that does not add up
// is no picture. Nothing here is kept: callers decode what they show.

#include "document/kind.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace lex {

// Limits of a picture the decoder takes: larger counts make it no picture.
constexpr int kMaxPictureSide = 256;
constexpr int kMaxPictureColours = 256;
constexpr int kMaxCharsPerPixel = 2;

// A decoded picture: pixels 0xAARRGGBB, rows top to bottom; a "none" pixel is 0 (transparent).
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool solid = false; // one colour that fills whatever room it is given (a 1 x 1 picture)
    bool empty() const { return width <= 0 || height <= 0; }
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + x]; }
    bool operator==(const Picture&) const = default;
};

// An element's day and night pictures. An element without a night picture of its own is shown
// with its day picture at night.
struct ElementPictures {
    Picture day;
    Picture night; // empty: none of its own
    const Picture& shown(bool at_night) const { return at_night && !night.empty() ? night : day; }
};

// The pictures of an element body of `kind`: DayXpm (or Xpm) for the day, NightXpm (or the
// night colours of a four-colour Xpm) for the night. A polygon's colour without pixels is a
// solid picture; a line without pixels is drawn as a short stroke of its LineWidth in its
// colour, edged BorderWidth pixels in its second colour.
ElementPictures read_element_pictures(std::string_view body, Kind kind);

// The width of the stroke a line without pixels is drawn as.
constexpr int kStrokeLength = 32;

} // namespace lex
