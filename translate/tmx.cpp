#include "translate/tmx.h"

#include "document/single_byte.h"
#include "document/text.h"
#include "translate/languages.h"

#include <algorithm>
#include <cstdio>

namespace lex {

namespace {

// The memory's code of a TMX language ("en", "EN-gb", "pt_PT"): its primary subtag, when the
// tables have it; "" otherwise.
std::string language_of(std::string_view tag) {
    std::string primary;
    for (const char c : tag) {
        if (c == '-' || c == '_') break;
        primary += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    for (const auto& e : kLanguages)
        if (primary == e.iso1) return primary;
    return {};
}

bool valid_utf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = utf8_char_size(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// A small XML reader, enough for TMX: elements, attributes, text, character and the predefined
// entities, comments, CDATA, processing instructions and a document type (skipped). It keeps
// no more than the element names open and the text of the current segment.
class TmxReader {
public:
    TmxReader(std::string_view xml, std::size_t max_pairs) : x_(xml), max_pairs_(max_pairs) {}

    TmxContents read() {
        if (x_.size() > kTmxMaxBytes) {
            out_.error = "The TMX file is larger than " + std::to_string(kTmxMaxBytes >> 20) +
                         " MB; split it into smaller files.";
            return out_;
        }
        if (x_.size() >= 2 &&
            ((x_[0] == '\xFF' && x_[1] == '\xFE') || (x_[0] == '\xFE' && x_[1] == '\xFF'))) {
            out_.error = "The TMX file is in UTF-16; only UTF-8 TMX files are read.";
            return out_;
        }
        if (x_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;
        if (!valid_utf8(x_)) {
            out_.error = "The TMX file is not UTF-8 text.";
            return out_;
        }
        if (!parse()) return out_;
        if (!seen_root_) fail("it has no <tmx> element");
        return out_;
    }

private:
    bool fail(const std::string& why) {
        const std::size_t line =
            1 +
            std::size_t(std::count(x_.begin(), x_.begin() + long(std::min(at_, x_.size())), '\n'));
        out_.pairs.clear();
        out_.error =
            "The TMX file cannot be read (line " + std::to_string(line) + ": " + why + ").";
        return false;
    }

    bool skip_past(std::string_view end, const char* what) {
        const std::size_t e = x_.find(end, at_);
        if (e == std::string_view::npos) return fail(std::string("unterminated ") + what);
        at_ = e + end.size();
        return true;
    }

    static bool name_char(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' ||
               c == ':' || static_cast<unsigned char>(c) >= 0x80;
    }
    static bool space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    // Appends the text x_[from, to) with its references resolved.
    bool text(std::size_t from, std::size_t to, std::string* into) {
        for (std::size_t i = from; i < to; ++i) {
            if (x_[i] != '&') {
                if (x_[i] == '<') return fail("\"<\" in text");
                if (into) *into += x_[i];
                continue;
            }
            const std::size_t semi = x_.find(';', i);
            if (semi == std::string_view::npos || semi > to || semi - i > 12)
                return at_ = i, fail("an unterminated \"&\" reference");
            const std::string_view ref = x_.substr(i + 1, semi - i - 1);
            std::string value;
            if (ref == "lt")
                value = "<";
            else if (ref == "gt")
                value = ">";
            else if (ref == "amp")
                value = "&";
            else if (ref == "quot")
                value = "\"";
            else if (ref == "apos")
                value = "'";
            else if (ref.size() > 1 && ref[0] == '#') {
                unsigned long code = 0;
                const bool hex = ref[1] == 'x';
                const std::string digits(ref.substr(hex ? 2 : 1));
                char* end = nullptr;
                code = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
                if (digits.empty() || *end != '\0' || code == 0 || code > 0x10FFFF ||
                    (code >= 0xD800 && code <= 0xDFFF))
                    return at_ = i, fail("a bad character reference");
                const auto c = char32_t(code);
                if (c < 0x80)
                    value += char(c);
                else if (c < 0x800)
                    value += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
                else if (c < 0x10000)
                    value += {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)),
                              char(0x80 | (c & 0x3F))};
                else
                    value += {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)),
                              char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
            } else {
                return at_ = i, fail("an unknown entity &" + std::string(ref) + ";");
            }
            if (into) *into += value;
            i = semi;
        }
        return true;
    }

    bool parse() {
        std::vector<std::string> open;
        while (at_ < x_.size()) {
            const std::size_t lt = x_.find('<', at_);
            const std::size_t stop = lt == std::string_view::npos ? x_.size() : lt;
            if (stop > at_) {
                const bool in_root = !open.empty();
                if (!in_root &&
                    !std::all_of(x_.begin() + long(at_), x_.begin() + long(stop), space))
                    return fail("text outside the document element");
                if (!text(at_, stop, collecting() ? &seg_ : nullptr)) return false;
            }
            at_ = stop;
            if (at_ >= x_.size()) break;
            const std::string_view rest = x_.substr(at_);
            if (rest.starts_with("<!--")) {
                if (!skip_past("-->", "comment")) return false;
            } else if (rest.starts_with("<![CDATA[")) {
                const std::size_t e = x_.find("]]>", at_ + 9);
                if (e == std::string_view::npos) return fail("unterminated CDATA");
                if (collecting()) seg_.append(x_.substr(at_ + 9, e - at_ - 9));
                at_ = e + 3;
            } else if (rest.starts_with("<?")) {
                if (!skip_past("?>", "processing instruction")) return false;
            } else if (rest.starts_with("<!")) {
                // A document type, with its internal part in brackets, is skipped unread.
                int depth = 0;
                std::size_t i = at_ + 2;
                for (; i < x_.size(); ++i) {
                    if (x_[i] == '[')
                        ++depth;
                    else if (x_[i] == ']')
                        --depth;
                    else if (x_[i] == '>' && depth <= 0)
                        break;
                }
                if (i >= x_.size()) return fail("unterminated declaration");
                at_ = i + 1;
            } else if (rest.starts_with("</")) {
                std::size_t i = at_ + 2;
                while (i < x_.size() && name_char(x_[i])) ++i;
                const std::string name(x_.substr(at_ + 2, i - at_ - 2));
                while (i < x_.size() && space(x_[i])) ++i;
                if (i >= x_.size() || x_[i] != '>') return fail("a broken end tag");
                if (open.empty() || open.back() != name)
                    return fail(
                        "</" + name + "> does not close " +
                        (open.empty() ? std::string("any element") : "<" + open.back() + ">"));
                at_ = i + 1;
                if (!close(name)) return false;
                open.pop_back();
                if (open.empty()) done_root_ = true;
            } else {
                std::size_t i = at_ + 1;
                while (i < x_.size() && name_char(x_[i])) ++i;
                const std::string name(x_.substr(at_ + 1, i - at_ - 1));
                if (name.empty()) return fail("a \"<\" that opens no tag");
                if (done_root_) return fail("a second document element");
                std::string lang;
                // Attributes.
                for (;;) {
                    while (i < x_.size() && space(x_[i])) ++i;
                    if (i >= x_.size()) return fail("an unterminated tag <" + name + ">");
                    if (x_[i] == '>' || x_[i] == '/') break;
                    const std::size_t n0 = i;
                    while (i < x_.size() && name_char(x_[i])) ++i;
                    const std::string_view attr = x_.substr(n0, i - n0);
                    while (i < x_.size() && space(x_[i])) ++i;
                    if (attr.empty() || i >= x_.size() || x_[i] != '=')
                        return at_ = i, fail("a broken attribute in <" + name + ">");
                    ++i;
                    while (i < x_.size() && space(x_[i])) ++i;
                    if (i >= x_.size() || (x_[i] != '"' && x_[i] != '\''))
                        return at_ = i, fail("an attribute value without quotes");
                    const char quote = x_[i];
                    const std::size_t v0 = ++i;
                    const std::size_t v1 = x_.find(quote, v0);
                    if (v1 == std::string_view::npos) return fail("an unterminated attribute");
                    std::string value;
                    const std::size_t keep = at_;
                    at_ = v0;
                    if (!text(v0, v1, &value)) return false;
                    at_ = keep;
                    if (attr == "xml:lang" || attr == "lang") lang = value;
                    i = v1 + 1;
                }
                const bool empty = x_[i] == '/';
                if (empty && (i + 1 >= x_.size() || x_[i + 1] != '>'))
                    return at_ = i, fail("a broken tag <" + name + ">");
                at_ = i + (empty ? 2 : 1);
                if (open.empty()) {
                    if (name != "tmx")
                        return fail("the document element is <" + name + ">, not <tmx>");
                    seen_root_ = true;
                }
                if (!start(name, lang)) return false;
                if (empty) {
                    if (!close(name)) return false;
                } else {
                    open.push_back(name);
                }
                if (open.empty() && empty) done_root_ = true;
            }
        }
        if (!open.empty()) return fail("<" + open.back() + "> is not closed");
        return true;
    }

    // Inside a segment, the text of inline codes (bpt, ept, ph, it, ut) is markup of another
    // format and is left out.
    bool collecting() const { return in_seg_ && skip_depth_ == 0; }

    bool start(const std::string& name, const std::string& lang) {
        if (in_seg_) {
            if (name == "bpt" || name == "ept" || name == "ph" || name == "it" || name == "ut")
                ++skip_depth_;
            return true;
        }
        if (name == "tu") {
            ++out_.units;
            variants_.clear();
        } else if (name == "tuv") {
            tuv_lang_ = language_of(lang);
            if (tuv_lang_.empty()) ++out_.unknown;
            seg_done_ = false;
        } else if (name == "seg") {
            in_seg_ = true;
            seg_.clear();
        }
        return true;
    }

    // False, with the document refused, when the unit closed brings the pairs past the limit.
    bool close(const std::string& name) {
        if (in_seg_ && name != "seg") {
            if (name == "bpt" || name == "ept" || name == "ph" || name == "it" || name == "ut")
                --skip_depth_;
            return true;
        }
        if (name == "seg") {
            in_seg_ = false;
            skip_depth_ = 0;
            std::string text = seg_;
            // Blanks around a label are no part of it.
            const auto first = text.find_first_not_of(" \t\r\n");
            text = first == std::string::npos
                       ? std::string()
                       : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
            const bool taken = std::any_of(variants_.begin(), variants_.end(),
                                           [&](const auto& v) { return v.first == tuv_lang_; });
            if (!seg_done_ && !tuv_lang_.empty() && !text.empty() && !taken)
                variants_.emplace_back(tuv_lang_, std::move(text));
            seg_done_ = true;
        } else if (name == "tu") {
            // Every two variants make a pair, so a unit in many languages makes many: the
            // pairs, not the file's size, are what the memory of the program holds.
            const std::size_t n = variants_.size();
            if (n > 1 && out_.pairs.size() + n * (n - 1) / 2 > max_pairs_) {
                out_.pairs.clear();
                out_.pairs.shrink_to_fit();
                out_.error = "The TMX file holds more than " + std::to_string(max_pairs_) +
                             " pairs of labels; split it into smaller files.";
                return false;
            }
            for (std::size_t i = 0; i < variants_.size(); ++i)
                for (std::size_t j = i + 1; j < variants_.size(); ++j)
                    out_.pairs.push_back({variants_[i].first, variants_[i].second,
                                          variants_[j].first, variants_[j].second});
            variants_.clear();
        }
        return true;
    }

    std::string_view x_;
    std::size_t max_pairs_;
    std::size_t at_ = 0;
    TmxContents out_;
    bool seen_root_ = false;
    bool done_root_ = false;
    bool in_seg_ = false;
    bool seg_done_ = false;
    int skip_depth_ = 0;
    std::string seg_;
    std::string tuv_lang_;
    std::vector<std::pair<std::string, std::string>> variants_;
};

} // namespace

TmxWriter::TmxWriter() {
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<tmx version=\"1.4\">\n"
           "  <header creationtool=\"Lexmarin\" creationtoolversion=\"1.22\" "
           "segtype=\"phrase\" o-tmf=\"Lexmarin\" adminlang=\"en\" srclang=\"*all*\" "
           "datatype=\"plaintext\"/>\n"
           "  <body>\n";
}

void TmxWriter::add(const MemoryPair& pair, const PairOrigin& origin) {
    out_ += "    <tu>\n      <prop type=\"x-origin\">";
    append_xml_text(out_, origin.own ? std::string("own") : origin.name);
    out_ += "</prop>\n";
    for (const auto* side : {&pair.source_lang, &pair.target_lang}) {
        out_ += "      <tuv xml:lang=\"";
        append_xml_text(out_, *side);
        out_ += "\"><seg>";
        append_xml_text(out_, side == &pair.source_lang ? pair.source : pair.target);
        out_ += "</seg></tuv>\n";
    }
    out_ += "    </tu>\n";
    ++units_;
}

std::string TmxWriter::finish() {
    std::string out = std::move(out_);
    out += "  </body>\n</tmx>\n";
    out_.clear();
    units_ = 0;
    return out;
}

TmxContents read_tmx(std::string_view xml, std::size_t max_pairs) {
    return TmxReader(xml, max_pairs).read();
}

} // namespace lex
