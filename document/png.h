#pragma once
// A picture as the bytes of a PNG file, for pages that embed it. Plain C++: the image data is
// stored without compression, which the pictures of a style (at most 256 x 256, mostly 32 x 32)
// can afford; a picture of up to 256 colours is written with a palette, one byte a pixel.

#include "document/pictures.h"

#include <string>
#include <string_view>

namespace lex {

// The PNG file of `picture`; "" for an empty picture. A solid picture is written `side` pixels
// square.
std::string png_file(const Picture& picture, int side = 16);

// `bytes` in base64 (RFC 4648, with padding), as a data: address wants it.
std::string base64(std::string_view bytes);

} // namespace lex
