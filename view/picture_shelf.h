#pragma once
// The element pictures a pane has shown, decoded once per element and kept while the element's
// bytes stay as they are: a pane decodes only the rows it shows, so opening a large style costs
// nothing more, and scrolling back costs no second decoding.

#include "document/document.h"
#include "document/kind.h"
#include "document/pictures.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace lex {

class PictureShelf {
public:
    explicit PictureShelf(Kind kind) : kind_(kind) {}

    // The pictures of the row's element, decoded at the first call; null for a row built from
    // no element (a list's row, a blank row).
    const ElementPictures* pictures(const Document& doc, const Row& row);
    // The body of the row's element as the document holds it now; "" when there is none.
    std::string_view body(const Document& doc, const Row& row);

    // How many elements have been decoded since the document was opened.
    std::size_t decoded() const { return decoded_; }
    // Counts the times the shelf let go of a picture: a picture at the same address in the same
    // edition is the same picture.
    std::uint64_t edition() const { return edition_; }

private:
    struct Place {
        std::size_t body = 0;
        std::size_t end = 0;
    };
    // The offsets of the elements' bodies, read again whenever the document's text moved or
    // changed its size (a text changed in place keeps its elements where they were, which
    // still_there() checks).
    void follow(const Document& doc);
    bool still_there(const Document& doc, const Place& place) const;

    // A decoded element, and what tells the bytes it was decoded from.
    struct Decoded {
        std::unique_ptr<ElementPictures> pictures;
        std::size_t hash = 0, size = 0;
    };

    Kind kind_;
    int opened_ = -1;            // doc.documents_opened when the shelf was filled
    const void* text_ = nullptr; // the document text the places were read from
    std::size_t size_ = 0;       // ... its size then
    std::uint64_t edition_ = 0;
    std::vector<Place> places_;
    std::vector<Decoded> shelf_;
    std::size_t decoded_ = 0;
};

} // namespace lex
