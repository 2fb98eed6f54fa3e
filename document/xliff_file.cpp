#include "document/xliff_file.h"

#include "document/escaped_runs.h"
#include "document/label_codec.h"
#include "document/single_byte.h"
#include "document/text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace lex {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// A minimal reader of well-formed XML: tags, attributes, character data, CDATA, comments and
// processing instructions; no DOCTYPE, no entities of its own.
// Names compared without a call: tags and attributes are short, and every tag asks a few.
inline bool same(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (a[k] != b[k]) return false;
    return true;
}

// How many LFs `s` holds. Sixteen bytes at a time, each byte's count kept in its own lane for up
// to 255 blocks: every entry read asks for the lines since the last one.
std::size_t count_line_ends(std::string_view s) {
    std::size_t n = 0, i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i lf = _mm_set1_epi8('\n');
    while (s.size() - i >= 16) {
        const std::size_t stop = i + std::min<std::size_t>((s.size() - i) / 16, 255) * 16;
        __m128i counts = _mm_setzero_si128();
        for (; i < stop; i += 16)
            counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(detail::load16(s, i), lf));
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        n += std::size_t(_mm_cvtsi128_si32(sums)) + std::size_t(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; i < s.size(); ++i) n += s[i] == '\n';
    return n;
}

class XmlReader {
public:
    XmlReader(std::string_view text, ExchangeFile& file, std::string& error, const EntrySink& each,
              EntryDetails details)
        : text_(text), file_(file), error_(error), each_(each),
          details_(details == EntryDetails::kAll) {}

    bool read() {
        while (at_ < text_.size() && error_.empty()) {
            if (text_[at_] == '<')
                markup();
            else
                character_data();
        }
        if (!error_.empty()) return false;
        if (!root_seen_) return fail("it has no <xliff> element");
        if (!open_.empty()) return fail("<" + std::string(open_.back()) + "> is not closed");
        return true;
    }

private:
    bool fail(const std::string& why) {
        if (error_.empty()) error_ = "line " + std::to_string(line_of(at_)) + ": " + why;
        return false;
    }

    // The line `at` stands on, counted on from the last place asked about: the reader only
    // moves forward, so the text is counted once.
    int line_of(std::size_t at) {
        at = std::min(at, text_.size());
        if (at < counted_to_) {
            counted_to_ = 0;
            lines_before_ = 0;
        }
        lines_before_ += int(count_line_ends(text_.substr(counted_to_, at - counted_to_)));
        counted_to_ = at;
        return lines_before_ + 1;
    }

    void skip_past(std::string_view end, const char* what) {
        const std::size_t e = text_.find(end, at_);
        if (e == npos) return void(fail(std::string("an unclosed ") + what));
        at_ = e + end.size();
    }

    void markup() {
        // Tags are the usual markup: the byte after '<' tells them apart without a comparison.
        const char second = at_ + 1 < text_.size() ? text_[at_ + 1] : '\0';
        if (second == '/') return end_tag();
        if (second == 't' && root_seen_ && !open_.empty() && !in_unit_ && own_unit()) return;
        if (second != '!' && second != '?') return start_tag();
        const std::string_view rest = text_.substr(at_);
        if (rest.starts_with("<!--")) return skip_past("-->", "comment");
        if (rest.starts_with("<?")) return skip_past("?>", "processing instruction");
        if (rest.starts_with("<![CDATA[")) {
            const std::size_t e = text_.find("]]>", at_ + 9);
            if (e == npos) return void(fail("an unclosed CDATA section"));
            text(text_.substr(at_ + 9, e - at_ - 9));
            at_ = e + 3;
            return;
        }
        if (rest.starts_with("<!"))
            return void(fail("a DOCTYPE or declaration, which XLIFF has none of"));
        if (rest.starts_with("</")) return end_tag();
        start_tag();
    }

    // A trans-unit laid out as xliff_write_entry writes it, read in one go: the entry it gives
    // is the one the general reading gives. False, with nothing read, for any other shape (line
    // ends of another kind, other attributes, markup inside the texts, a broken reference),
    // which the general reading then takes.
    bool own_unit() {
        using namespace std::string_view_literals;
        const std::string_view t = text_.substr(at_);
        std::size_t i = 0;
        // The layout's own bytes, eight at a time.
        auto literal = [&](std::string_view s) {
            if (t.size() - i < s.size()) return false;
            const char* const at = t.data() + i;
            std::size_t k = 0;
            for (; k + 8 <= s.size(); k += 8) {
                std::uint64_t a, b;
                std::memcpy(&a, at + k, 8);
                std::memcpy(&b, s.data() + k, 8);
                if (a != b) return false;
            }
            for (; k < s.size(); ++k)
                if (at[k] != s[k]) return false;
            i += s.size();
            return true;
        };
        // The raw text up to the next `end`, left at i; `plain` tells whether it holds no
        // reference, no CR and no '<', found in the same scan.
        auto until = [&](char end, std::string_view& raw, bool& plain) {
            std::size_t e = i;
#if defined(__SSE2__) || defined(_M_X64)
            const __m128i stop = _mm_set1_epi8(end), lt = _mm_set1_epi8('<'),
                          amp = _mm_set1_epi8('&'), cr = _mm_set1_epi8('\r');
            for (; e + 16 <= t.size(); e += 16) {
                const __m128i chunk = detail::load16(t, e);
                const unsigned mask = unsigned(_mm_movemask_epi8(_mm_or_si128(
                    _mm_or_si128(_mm_cmpeq_epi8(chunk, stop), _mm_cmpeq_epi8(chunk, lt)),
                    _mm_or_si128(_mm_cmpeq_epi8(chunk, amp), _mm_cmpeq_epi8(chunk, cr)))));
                if (mask == 0) continue;
                e += std::size_t(std::countr_zero(mask));
                break;
            }
#endif
            plain = e < t.size() && t[e] == end;
            if (!plain) e = find_near(t, end, e);
            if (e == npos) return false;
            raw = t.substr(i, e - i);
            i = e;
            return true;
        };
        std::string_view id, source, target, note;
        bool review = false, has_target = false;
        bool plain_id = false, plain_source = false, plain_target = true, plain_note = true;
        if (!literal("<trans-unit id=\""sv) || !until('"', id, plain_id)) return false;
        ++i;
        literal(" approved=\"yes\""sv);
        if (!literal(" xml:space=\"preserve\">\n        <source>"sv) ||
            !until('<', source, plain_source) || !literal("</source>\n"sv))
            return false;
        if (literal("        <target state=\""sv)) {
            review = literal("needs-review-translation\">"sv);
            if (!review && !literal("translated\">"sv)) return false;
            if (!until('<', target, plain_target) || !literal("</target>\n"sv)) return false;
            has_target = true;
        }
        if (literal("        <note from=\"Lexmarin\">"sv)) {
            if (!until('<', note, plain_note) || !literal("</note>\n"sv)) return false;
        }
        if (!literal("      </trans-unit>"sv)) return false;
        // The texts as the general reading decodes them; a reference it refuses is refused
        // there, with its message.
        auto decoded = [&](std::string_view raw, bool plain, std::string& out) {
            out.clear();
            if (plain || find_near_either(raw, '&', '\r', 0) == npos) {
                out.append(raw);
                return true;
            }
            if (decode(raw, out)) return true;
            error_.clear();
            return false;
        };
        if (!decoded(id, plain_id, entry_.context) ||
            (!plain_id && find_near(entry_.context, '<', 0) != npos) ||
            !decoded(source, plain_source, entry_.source) ||
            !decoded(target, plain_target, entry_.target))
            return false;
        if (details_) {
            if (!decoded(note, plain_note, entry_.comment)) return false;
        } else if (!plain_note && !usual_references(note)) {
            // Decoded only to learn whether the general reading refuses it.
            if (!decoded(note, false, unused_)) return false;
        }
        entry_.review = has_target && review;
        entry_.line = details_ ? line_of(at_) : 0;
        at_ += i;
        if (each_)
            each_(entry_);
        else
            file_.entries.push_back(entry_);
        return true;
    }

    // True when every '&' of `raw` starts one of the references our writer writes, which any
    // reading takes: the note then needs no decoding to be known sound.
    static bool usual_references(std::string_view raw) {
        using namespace std::string_view_literals;
        for (std::size_t i = find_near(raw, '&', 0); i != npos; i = find_near(raw, '&', i + 1)) {
            const std::string_view rest = raw.substr(i);
            if (!rest.starts_with("&#10;"sv) && !rest.starts_with("&amp;"sv) &&
                !rest.starts_with("&lt;"sv) && !rest.starts_with("&gt;"sv) &&
                !rest.starts_with("&quot;"sv) && !rest.starts_with("&#9;"sv) &&
                !rest.starts_with("&#13;"sv))
                return false;
        }
        return true;
    }

    static bool name_char(char c) {
        const char l = char(c | 0x20);
        return (l >= 'a' && l <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
               c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
    }
    static std::string_view local(std::string_view name) {
        const std::size_t colon = name.rfind(':');
        return colon == npos ? name : name.substr(colon + 1);
    }
    void skip_blanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    std::string_view name() {
        const std::size_t b = at_;
        while (at_ < text_.size() && name_char(text_[at_])) ++at_;
        return text_.substr(b, at_ - b);
    }

    void start_tag() {
        ++at_;
        const std::string_view tag = name();
        if (tag.empty()) return void(fail("a \"<\" that starts no tag"));
        // The attributes' buffers serve every tag.
        std::vector<std::pair<std::string_view, std::string>>& attributes = attributes_;
        std::size_t count = 0;
        bool empty = false;
        for (;;) {
            skip_blanks();
            if (at_ >= text_.size())
                return void(fail("an unclosed tag <" + std::string(tag) + ">"));
            if (text_[at_] == '>') {
                ++at_;
                break;
            }
            if (text_.substr(at_).starts_with("/>")) {
                at_ += 2;
                empty = true;
                break;
            }
            const std::string_view key = name();
            if (key.empty()) return void(fail("a broken attribute in <" + std::string(tag) + ">"));
            skip_blanks();
            if (at_ >= text_.size() || text_[at_] != '=')
                return void(fail("an attribute without a value in <" + std::string(tag) + ">"));
            ++at_;
            skip_blanks();
            if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\''))
                return void(fail("an attribute value without quotes"));
            const char quote = text_[at_++];
            const std::size_t e = find_near(text_, quote, at_);
            if (e == npos) return void(fail("an unclosed attribute value"));
            if (count == attributes.size()) attributes.emplace_back();
            auto& [name, value] = attributes[count++];
            name = key;
            value.clear();
            if (!decode(text_.substr(at_, e - at_), value)) return;
            if (find_near(value, '<', 0) != npos)
                return void(fail("a \"<\" in an attribute value"));
            at_ = e + 1;
        }
        static const std::string none;
        auto attribute = [&](std::string_view key) -> const std::string& {
            for (std::size_t k = 0; k < count; ++k)
                if (same(attributes[k].first, key) || same(local(attributes[k].first), key))
                    return attributes[k].second;
            return none;
        };
        const std::string_view element = local(tag);
        if (open_.empty()) {
            if (root_seen_) return void(fail("a second root element"));
            root_seen_ = true;
            if (!same(element, "xliff")) return void(fail("its root element is not <xliff>"));
            const std::string& version = attribute("version");
            if (!version.starts_with("1."))
                return void(fail("it is XLIFF " + version + "; Lexmarin reads XLIFF 1.2"));
        } else if (same(element, "file") && !file_seen_) {
            file_seen_ = true;
            file_.source_language = attribute("source-language");
            file_.target_language = attribute("target-language");
            file_.original = attribute("original");
        } else if (same(element, "tool") && file_.generator.empty()) {
            file_.generator = attribute("tool-name") + " " + attribute("tool-version");
        } else if (same(element, "trans-unit")) {
            if (in_unit_) return void(fail("a trans-unit inside a trans-unit"));
            in_unit_ = true;
            unit_depth_ = open_.size() + 1;
            // The entry's buffers serve every unit.
            entry_.source.clear();
            entry_.target.clear();
            entry_.comment.clear();
            entry_.review = false;
            entry_.context = attribute("id");
            entry_.line = details_ ? line_of(at_) : 0;
        } else if (in_unit_ && open_.size() == unit_depth_ &&
                   (same(element, "source") || same(element, "target") || same(element, "note"))) {
            collecting_ = same(element, "source")   ? &entry_.source
                          : same(element, "target") ? &entry_.target
                          : details_                ? &entry_.comment
                                                    : &unused_;
            if (same(element, "target")) {
                entry_.review = attribute("state").starts_with("needs-");
                has_target_ = true;
            }
            if (same(element, "note") && !entry_.comment.empty()) entry_.comment += '\n';
            if (collecting_ == &unused_) unused_.clear();
            collect_depth_ = open_.size() + 1;
        }
        if (empty) {
            if (open_.size() + 1 == collect_depth_) collecting_ = nullptr, collect_depth_ = 0;
            return;
        }
        if (open_.size() >= 256) return void(fail("elements nested too deep"));
        open_.emplace_back(tag);
    }

    void end_tag() {
        at_ += 2;
        const std::string_view tag = name();
        skip_blanks();
        if (at_ >= text_.size() || text_[at_] != '>') return void(fail("a broken end tag"));
        ++at_;
        if (open_.empty() || !same(open_.back(), tag))
            return void(fail(
                "</" + std::string(tag) + "> closes " +
                (open_.empty() ? std::string("nothing") : "<" + std::string(open_.back()) + ">")));
        if (open_.size() == collect_depth_) {
            collecting_ = nullptr;
            collect_depth_ = 0;
        }
        if (in_unit_ && open_.size() == unit_depth_) {
            in_unit_ = false;
            if (!has_target_) entry_.target.clear();
            has_target_ = false;
            if (each_)
                each_(entry_);
            else
                file_.entries.push_back(entry_);
        }
        open_.pop_back();
    }

    void character_data() {
        const std::size_t lt = find_near(text_, '<', at_);
        const std::size_t e = lt == npos ? text_.size() : lt;
        const std::string_view raw = text_.substr(at_, e - at_);
        if (open_.empty() && raw.find_first_not_of(" \t\r\n") != npos)
            return void(fail("text outside the root element"));
        if (collecting_) {
            if (!decode(raw, *collecting_)) return;
        } else if (find_near(raw, '&', 0) != npos) {
            std::string ignored;
            if (!decode(raw, ignored)) return;
        }
        at_ = e;
    }

    void text(std::string_view s) {
        if (collecting_) *collecting_ += s;
    }

    // Character data with its references resolved; line ends read as LF.
    bool decode(std::string_view raw, std::string& out) {
        for (std::size_t i = 0; i < raw.size(); ++i) {
            // The bytes up to the next line end or reference go in whole.
            std::size_t run = find_near_either(raw, '\r', '&', i);
            if (run == npos) run = raw.size();
            out.append(raw.substr(i, run - i));
            if (run == raw.size()) break;
            i = run;
            const char c = raw[i];
            if (c == '\r') {
                out += '\n';
                if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
                continue;
            }
            if (c != '&') {
                out += c;
                continue;
            }
            const std::size_t semi = raw.find(';', i);
            if (semi == npos || semi - i > 12) return fail("a \"&\" that starts no reference");
            const std::string_view ref = raw.substr(i + 1, semi - i - 1);
            if (ref == "amp")
                out += '&';
            else if (ref == "lt")
                out += '<';
            else if (ref == "gt")
                out += '>';
            else if (ref == "quot")
                out += '"';
            else if (ref == "apos")
                out += '\'';
            else if (ref.starts_with('#') && ref.size() > 1) {
                const bool hex = ref[1] == 'x';
                const std::string_view digits = ref.substr(hex ? 2 : 1);
                unsigned long v = 0;
                for (const char d : digits) {
                    const int n = std::isdigit(static_cast<unsigned char>(d)) ? d - '0'
                                  : hex && std::isxdigit(static_cast<unsigned char>(d))
                                      ? (d | 0x20) - 'a' + 10
                                      : -1;
                    if (n < 0 || v > 0x10FFFF) return fail("a broken character reference");
                    v = v * (hex ? 16 : 10) + unsigned(n);
                }
                if (digits.empty() || v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
                    return fail("a broken character reference");
                append_utf8(out, char32_t(v));
            } else {
                return fail("the entity &" + std::string(ref.substr(0, 12)) +
                            "; which XLIFF does not define");
            }
            i = semi;
        }
        return true;
    }

    std::string_view text_;
    ExchangeFile& file_;
    std::string& error_;
    const EntrySink& each_;
    const bool details_; // the entries carry their comment and line
    std::string unused_; // a note's text where the entries carry no comment
    std::size_t at_ = 0;
    std::vector<std::string_view> open_; // the elements open, outermost first (views of text_)
    std::vector<std::pair<std::string_view, std::string>> attributes_;
    bool root_seen_ = false;
    bool file_seen_ = false;
    bool in_unit_ = false;
    bool has_target_ = false;
    std::size_t unit_depth_ = 0;
    std::string* collecting_ = nullptr; // the text the character data goes to
    std::size_t collect_depth_ = 0;
    ExchangeEntry entry_;
    std::size_t counted_to_ = 0; // line_of has counted the lines before this offset
    int lines_before_ = 0;
};

} // namespace

void xliff_begin(std::string& out, const ExchangeFile& file) {
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n";
    out += "  <file original=\"";
    append_xml_text(out, file.original);
    out += "\" source-language=\"";
    append_xml_text(out, file.source_language);
    out += "\" target-language=\"";
    append_xml_text(out, file.target_language);
    out += "\" datatype=\"plaintext\">\n";
    out += "    <header>\n      <tool tool-id=\"lexmarin\" tool-name=\"Lexmarin\" tool-version=\"";
    append_xml_text(
        out, file.generator.substr(std::min(file.generator.size(), file.generator.find(' ') + 1)));
    out += "\"/>\n    </header>\n    <body>\n";
}

namespace {

// The bytes XML text holds as they are.
constexpr std::array<bool, 256> kPlainInXml = [] {
    std::array<bool, 256> table{};
    for (int b = 0x20; b < 0x100; ++b) table[std::size_t(b)] = true;
    table['&'] = table['<'] = table['>'] = table['"'] = false;
    return table;
}();

char* put(char* p, std::string_view s) {
    // An empty view may have no data at all, which memcpy must not be given.
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    return p + s.size();
}

// The byte `c`, one that XML text does not hold as it is, as the text writes it at `p`; returns
// its end.
char* put_xml_reference(char* p, char c) {
    using namespace std::string_view_literals;
    switch (c) {
    case '&':
        return put(p, "&amp;"sv);
    case '<':
        return put(p, "&lt;"sv);
    case '>':
        return put(p, "&gt;"sv);
    case '"':
        return put(p, "&quot;"sv);
    case '\t':
        return put(p, "&#9;"sv);
    case '\n':
        return put(p, "&#10;"sv);
    case '\r':
        return put(p, "&#13;"sv);
    default: // a control that XML 1.0 has no place for
        return put(p, "\xEF\xBF\xBD"sv);
    }
}

// `s` as XML text, as append_xml_text writes it, at `p` (room for six bytes a byte); returns the
// end.
char* put_xml_text(char* p, std::string_view s) {
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i controls = _mm_set1_epi8(0x1F), amp = _mm_set1_epi8('&'), lt = _mm_set1_epi8('<'),
                  gt = _mm_set1_epi8('>'), quote = _mm_set1_epi8('"');
    auto marked = [&](__m128i chunk) {
        // A byte below 0x20 is its own maximum with 0x1F only when it is at most 0x1F.
        return _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(_mm_max_epu8(chunk, controls), controls),
                         _mm_cmpeq_epi8(chunk, amp)),
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, lt), _mm_cmpeq_epi8(chunk, gt)),
                         _mm_cmpeq_epi8(chunk, quote)));
    };
#else
    auto marked = [](auto chunk) { return chunk; };
#endif
    return put_escaped_runs(
        p, s, marked, [](char c) { return kPlainInXml[static_cast<unsigned char>(c)]; },
        put_xml_reference);
}

} // namespace

char* xliff_write_comment_line(char* p, bool first, std::string_view name, std::string_view text) {
    using namespace std::string_view_literals;
    if (!first) p = put(p, "&#10;"sv);
    p = put_xml_text(p, name);
    *p++ = ':';
    *p++ = ' ';
    return put_xml_text(p, text);
}

std::size_t xliff_entry_bound(const ExchangeEntryView& e) {
    return 6 * (e.context.size() + e.source.size() + e.target.size() + e.comment.size()) + 256;
}

char* xliff_write_entry(char* p, const ExchangeEntryView& e) {
    using namespace std::string_view_literals;
    p = put(p, "      <trans-unit id=\""sv);
    p = put_xml_text(p, e.context);
    // Tools that read XLIFF take a unit with a target for unchecked unless it is approved.
    p = put(p, !e.target.empty() && !e.review ? "\" approved=\"yes\""sv : "\""sv);
    p = put(p, " xml:space=\"preserve\">\n        <source>"sv);
    p = put_xml_text(p, e.source);
    p = put(p, "</source>\n"sv);
    if (!e.target.empty()) {
        p = put(p, e.review ? "        <target state=\"needs-review-translation\">"sv
                            : "        <target state=\"translated\">"sv);
        p = put_xml_text(p, e.target);
        p = put(p, "</target>\n"sv);
    }
    if (!e.comment.empty()) {
        p = put(p, "        <note from=\"Lexmarin\">"sv);
        p = e.comment_written ? put(p, e.comment) : put_xml_text(p, e.comment);
        p = put(p, "</note>\n"sv);
    }
    return put(p, "      </trans-unit>\n"sv);
}

void xliff_append_entry(std::string& out, const ExchangeEntryView& e) {
    const std::size_t at = out.size();
    out.resize(at + xliff_entry_bound(e));
    out.resize(std::size_t(xliff_write_entry(out.data() + at, e) - out.data()));
}

void xliff_end(std::string& out) {
    out += "    </body>\n  </file>\n</xliff>\n";
}

std::string xliff_text(const ExchangeFile& file) {
    std::string out;
    std::size_t size = 1024;
    for (const ExchangeEntry& e : file.entries)
        size += 160 + e.context.size() + e.source.size() + e.target.size() + e.comment.size();
    out.reserve(size);
    xliff_begin(out, file);
    for (const ExchangeEntry& e : file.entries) xliff_append_entry(out, e);
    xliff_end(out);
    return out;
}

bool read_xliff(std::string_view text, ExchangeFile& file, std::string& error) {
    return read_xliff(text, file, error, {});
}

bool read_xliff(std::string_view text, ExchangeFile& file, std::string& error,
                const EntrySink& each, EntryDetails details) {
    file = {};
    error.clear();
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    XmlReader reader(text, file, error, each, details);
    return reader.read();
}

} // namespace lex
