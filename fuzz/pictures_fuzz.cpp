// The picture target: any bytes as an element body, decoded for each kind, its pictures written
// as PNG files and its labels read as the tool tip's context.

#include "document/pictures.h"
#include "document/png.h"
#include "document/single_byte.h"
#include "fuzz_targets.h"
#include "translate/element_context.h"

#include <string>

namespace lex::fuzz {

namespace {

void check(const Picture& p, Kind kind, const char* which) {
    const std::string where = std::string(which) + " picture of kind " + std::to_string(kind);
    if (p.empty()) {
        if (!p.pixels.empty()) invariant_failed(where + ": no size but pixels");
        return;
    }
    // A stroke is as tall as its line and two edges; a bitmap at most as large as the limits.
    if (p.width > kMaxPictureSide || p.height > kMaxPictureSide)
        invariant_failed(where + ": larger than the limits");
    if (p.pixels.size() != std::size_t(p.width) * std::size_t(p.height))
        invariant_failed(where + ": pixels and size differ");
    if (p.solid && (p.width != 1 || p.height != 1)) invariant_failed(where + ": a solid is 1 x 1");
    const std::string png = png_file(p);
    if (png.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) != 0)
        invariant_failed(where + ": no PNG signature");
}

} // namespace

int pictures(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    for (const Kind kind : kAllKinds) {
        const ElementPictures p = read_element_pictures(body, kind);
        check(p.day, kind, "day");
        check(p.night, kind, "night");
    }
    const ElementContext context = element_context(body, {0x04}, false);
    for (const OtherLabel& label : context.labels)
        if (label.language == 0x04 || label.text.empty())
            invariant_failed("the context holds a label left out or an empty one");
    other_labels_text(context, single_byte_to_utf8);
    return 0;
}

} // namespace lex::fuzz
