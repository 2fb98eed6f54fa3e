#include "view/picture_shelf.h"

#include "document/elements.h"
#include "document/lines.h"

namespace lex {

void PictureShelf::follow(const Document& doc) {
    if (doc.documents_opened != opened_) {
        opened_ = doc.documents_opened;
        shelf_.clear();
        ++edition_;
        text_ = nullptr;
        decoded_ = 0;
    }
    if (text_ == doc.document.data() && size_ == doc.document.size()) return;
    // The text moved or changed its size: the elements stay, their offsets move. A change in
    // place is met by still_there() and by each picture's check of its bytes.
    places_.clear();
    for (const Section& s : read_outline(doc.document).sections)
        if (s.kind == kind_) places_.push_back({s.body, s.end_line});
    text_ = doc.document.data();
    size_ = doc.document.size();
}

bool PictureShelf::still_there(const Document& doc, const Place& place) const {
    // A text of the same size whose lines moved: the line before the body is then no header of
    // this kind.
    const std::string_view text = doc.document;
    if (place.end > text.size() || place.body > place.end || place.body < 2 ||
        text[place.body - 1] != '\n')
        return false;
    std::size_t start = text.rfind('\n', place.body - 2);
    start = start == std::string_view::npos ? 0 : start + 1;
    return header_kind(line_at(text, start)) == kind_;
}

std::string_view PictureShelf::body(const Document& doc, const Row& row) {
    if (row.element < 0 || doc.document.empty()) return {};
    follow(doc);
    const auto k = std::size_t(row.element);
    if (k < places_.size() && !still_there(doc, places_[k])) {
        text_ = nullptr;
        follow(doc);
    }
    if (k >= places_.size()) return {};
    const Place& p = places_[k];
    return std::string_view(doc.document).substr(p.body, p.end - p.body);
}

const ElementPictures* PictureShelf::pictures(const Document& doc, const Row& row) {
    if (row.element < 0 || doc.document.empty()) return nullptr;
    const std::string_view text = body(doc, row);
    const auto k = std::size_t(row.element);
    if (k >= places_.size()) return nullptr;
    if (shelf_.size() < places_.size()) shelf_.resize(places_.size());
    Decoded& d = shelf_[k];
    // A picture stays while its element's bytes do: any change of the text may have changed them
    // (a label line deleted or sorted among the picture's lines, an undo, another file's text
    // held for a moment while its open is refused).
    const std::size_t hash = std::hash<std::string_view>{}(text);
    if (d.pictures && d.hash == hash && d.size == text.size()) return d.pictures.get();
    if (d.pictures) ++edition_;
    d.pictures = std::make_unique<ElementPictures>(read_element_pictures(text, kind_));
    d.hash = hash;
    d.size = text.size();
    ++decoded_;
    return d.pictures.get();
}

} // namespace lex
