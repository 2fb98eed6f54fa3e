#pragma once
// TMX 1.4b, the exchange format of translation memories: a document of translation units, each
// with one variant per language. Languages are their ISO 639-1 codes ("en", "de"; a region
// such as "en-GB" is read as its language).

#include "translate/memory.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// A TMX file larger than this is refused before it is read.
inline constexpr std::size_t kTmxMaxBytes = std::size_t(64) << 20;
// ... and one whose units make more pairs than this (about 500 MB of them) while it is read: a
// unit in n languages makes n(n-1)/2 pairs.
inline constexpr std::size_t kTmxMaxPairs = 4'000'000;

// Writes the pairs of a memory as a TMX document, one unit per pair.
class TmxWriter {
public:
    TmxWriter();
    void add(const MemoryPair& pair, const PairOrigin& origin);
    // The whole document; the writer is empty afterwards.
    std::string finish();
    std::size_t units() const { return units_; }

private:
    std::string out_;
    std::size_t units_ = 0;
};

struct TmxContents {
    std::vector<MemoryPair> pairs; // every two variants of known languages of each unit
    std::size_t units = 0;         // the translation units read
    std::size_t unknown = 0;       // variants in a language the tables do not have, skipped
    std::string error;             // not empty: the document is refused for this reason
};

// Reads a TMX document. Broken XML, a document that is no TMX, text that is not UTF-8, a body
// over kTmxMaxBytes and more than `max_pairs` pairs are refused with the reason (and the line)
// in `error`.
TmxContents read_tmx(std::string_view xml, std::size_t max_pairs = kTmxMaxPairs);

} // namespace lex
