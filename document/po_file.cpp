#include "document/po_file.h"

#include "document/escaped_runs.h"
#include "document/text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstring>

namespace lex {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// The bytes PO writes as an escape: controls, DEL, the quote and the backslash.
constexpr std::array<bool, 256> kEscapedInPo = [] {
    std::array<bool, 256> table{};
    for (int b = 0; b < 0x20; ++b) table[std::size_t(b)] = true;
    table[0x7F] = table['"'] = table['\\'] = true;
    return table;
}();

bool escaped_in_po(char c) {
    return kEscapedInPo[static_cast<unsigned char>(c)];
}

// The escape of byte `c` (one the table marks) at `p`; returns its end.
char* put_escape(char* p, char c) {
    switch (c) {
    case '"':
        *p++ = '\\';
        *p++ = '"';
        return p;
    case '\\':
        *p++ = '\\';
        *p++ = '\\';
        return p;
    case '\t':
        *p++ = '\\';
        *p++ = 't';
        return p;
    case '\n':
        *p++ = '\\';
        *p++ = 'n';
        return p;
    case '\r':
        *p++ = '\\';
        *p++ = 'r';
        return p;
    default: {
        // Three octal digits: an escape that never takes a digit after it along.
        const auto b = static_cast<unsigned char>(c);
        *p++ = '\\';
        *p++ = char('0' + (b >> 6));
        *p++ = char('0' + ((b >> 3) & 7));
        *p++ = char('0' + (b & 7));
        return p;
    }
    }
}

// The blanks gettext takes around keywords, strings and comments: space and tab.
bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim_blanks(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

char* put(char* p, std::string_view s) {
    // An empty view may have no data at all, which memcpy must not be given.
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    return p + s.size();
}

// A C string as PO writes it, without the quotes, at `p` (room for four bytes a byte); returns
// its end.
char* put_escaped(char* p, std::string_view s) {
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i controls = _mm_set1_epi8(0x1F), quote = _mm_set1_epi8('"'),
                  backslash = _mm_set1_epi8('\\'), del = _mm_set1_epi8(0x7F);
    auto marked = [&](__m128i chunk) {
        // A byte below 0x20 is its own maximum with 0x1F only when it is at most 0x1F.
        return _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(_mm_max_epu8(chunk, controls), controls),
                         _mm_cmpeq_epi8(chunk, quote)),
            _mm_or_si128(_mm_cmpeq_epi8(chunk, backslash), _mm_cmpeq_epi8(chunk, del)));
    };
#else
    auto marked = [](auto chunk) { return chunk; };
#endif
    return put_escaped_runs(
        p, s, marked, [](char c) { return !escaped_in_po(c); }, put_escape);
}

void append_escaped(std::string& out, std::string_view s) {
    const std::size_t at = out.size();
    out.resize(at + 4 * s.size());
    out.resize(std::size_t(put_escaped(out.data() + at, s) - out.data()));
}

// Each line of `text` after "#.", at `p`; returns the end.
char* put_comment(char* p, std::string_view text) {
    for (std::size_t at = 0;;) {
        const std::size_t lf = find_near(text, '\n', at);
        const std::string_view line = text.substr(at, lf == npos ? npos : lf - at);
        *p++ = '#';
        *p++ = '.';
        if (!line.empty()) *p++ = ' ';
        p = put(p, line);
        *p++ = '\n';
        if (lf == npos) return p;
        at = lf + 1;
    }
}

// Reads a PO file line by line.
class PoReader {
public:
    PoReader(std::string_view text, ExchangeFile& file, std::string& error, const EntrySink& each,
             EntryDetails details)
        : text_(text), file_(file), error_(error), each_(each),
          details_(details == EntryDetails::kAll) {}

    bool read() {
        // The line ends are found sixty-four bytes at a time; the text after the last one is a
        // line too, empty when the text ends with a line end.
        std::size_t at = 0;
        auto line = [&](std::size_t end) {
            if (end > at && text_[end - 1] == '\r') --end;
            ++line_no_;
            take(text_.substr(at, end - at));
        };
        for_each_byte(text_, '\n', [&](std::size_t lf) {
            line(lf);
            at = lf + 1;
            return error_.empty();
        });
        if (error_.empty()) line(text_.size());
        if (error_.empty()) finish_entry();
        if (!error_.empty()) return false;
        if (!header_seen_) return fail(1, "it has no header (an entry with an empty msgid)");
        return true;
    }

private:
    enum class Field { kNone, kContext, kId, kPlural, kString, kOtherString };

    bool fail(int line, const std::string& why) {
        if (error_.empty()) error_ = "line " + std::to_string(line) + ": " + why;
        return false;
    }

    void take(std::string_view line) {
        // The lines of an entry as writers put them: a keyword at the line's start, one space,
        // then its string. Any other spacing is read below.
        if (line.size() >= 9 && line[0] == 'm' && line[1] == 's' && line[2] == 'g') {
            std::string_view t = line;
            // Blanks after the string; the line keeps its "msg", so it never runs empty.
            if (t.back() != '"')
                while (blank(t.back())) t.remove_suffix(1);
            const char* k = t.data();
            if (t.size() >= 9) {
                if (k[3] == 'i' && k[4] == 'd' && k[5] == ' ' && k[6] == '"')
                    return keyword_id(t.substr(6));
                if (k[3] == 's' && k[4] == 't' && k[5] == 'r' && k[6] == ' ' && k[7] == '"')
                    return keyword_string(t.substr(7));
                if (k[3] == 'c' && k[4] == 't' && k[5] == 'x' && k[6] == 't' && k[7] == ' ' &&
                    k[8] == '"')
                    return keyword_context(t.substr(8));
            }
        }
        if (line.size() >= 2 && line[0] == '#' && line[1] == '.') {
            if (has_id_) finish_entry();
            add_comment(line.substr(2));
            return;
        }
        const std::string_view t = trim_blanks(line);
        if (t.empty()) {
            finish_entry();
            return;
        }
        if (t.starts_with("#~")) { // an obsolete entry: not a row
            finish_entry();
            return;
        }
        if (t.starts_with('#')) {
            if (has_id_) finish_entry();
            if (t.starts_with("#,")) {
                // Flags stand between commas and blanks.
                for (std::size_t at = 2; at < t.size();) {
                    std::size_t end = at;
                    while (end < t.size() && t[end] != ',' && !blank(t[end])) ++end;
                    if (t.substr(at, end - at) == "fuzzy") fuzzy_ = true;
                    at = end + 1;
                }
            } else if (t.starts_with("#.")) {
                // The comment as the line has it after "#.", as for a line that starts with it.
                add_comment(line.substr(std::size_t(t.data() - line.data()) + 2));
            }
            return;
        }
        if (t.starts_with('"')) {
            if (field_ == Field::kNone) {
                fail(line_no_, "a string that belongs to no keyword");
                return;
            }
            append_string(t);
            return;
        }
        std::size_t gap = 0;
        while (gap < t.size() && !blank(t[gap])) ++gap;
        const std::string_view keyword = t.substr(0, gap);
        const std::string_view rest = trim_blanks(t.substr(gap));
        if (keyword == "msgctxt") {
            keyword_context(rest);
        } else if (keyword == "msgid") {
            keyword_id(rest);
        } else if (keyword == "msgid_plural") {
            if (!has_id_) return void(fail(line_no_, "msgid_plural without msgid"));
            start(Field::kPlural, rest);
        } else if (keyword == "msgstr" || keyword == "msgstr[0]") {
            keyword_string(rest);
        } else if (keyword.starts_with("msgstr[")) {
            if (!has_id_) return void(fail(line_no_, "msgstr without msgid"));
            start(Field::kOtherString, rest);
        } else {
            fail(line_no_, "\"" + std::string(keyword.substr(0, 40)) + "\" is no PO keyword");
        }
    }

    // A comment for the translator ("#." and `text`), as a line of the entry's comment.
    void add_comment(std::string_view text) {
        if (!details_) return;
        if (!comment_.empty()) comment_ += '\n';
        comment_ += trim(text);
    }

    // The keywords of an entry, `rest` the line after the keyword, blanks around it left out.
    void keyword_context(std::string_view rest) {
        if (has_id_) finish_entry();
        if (has_context_) return void(fail(line_no_, "a second msgctxt"));
        start(Field::kContext, rest);
        has_context_ = true;
    }
    void keyword_id(std::string_view rest) {
        if (has_id_) finish_entry();
        start(Field::kId, rest);
        has_id_ = true;
    }
    void keyword_string(std::string_view rest) {
        if (!has_id_) return void(fail(line_no_, "msgstr without msgid"));
        if (has_string_) return void(fail(line_no_, "a second msgstr"));
        start(Field::kString, rest);
        has_string_ = true;
    }

    void start(Field field, std::string_view rest) {
        if (entry_line_ == 0) entry_line_ = line_no_;
        field_ = field;
        if (rest.empty() || rest.front() != '"')
            return void(fail(line_no_, "a keyword without its quoted string"));
        append_string(rest);
    }

    // Where the first quote or backslash of `s` (a part of the text) stands from `i` on, or
    // s.size(). Sixteen bytes at a time, reading on past `s` where the text goes on: a string
    // is mostly shorter than sixteen bytes, and its closing quote follows it.
    std::size_t quote_or_backslash(std::string_view s, std::size_t i) const {
#if defined(__SSE2__) || defined(_M_X64)
        const char* const text_end = text_.data() + text_.size();
        const __m128i quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\');
        for (; i < s.size() && s.data() + i + 16 <= text_end; i += 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
            const unsigned mask = unsigned(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(chunk, quote), _mm_cmpeq_epi8(chunk, backslash))));
            if (mask) return std::min(s.size(), i + unsigned(std::countr_zero(mask)));
        }
#endif
        while (i < s.size() && s[i] != '"' && s[i] != '\\') ++i;
        return std::min(i, s.size());
    }

    // Adds the quoted string `t` to the field being read.
    void append_string(std::string_view t) {
        std::string* into = field_ == Field::kContext  ? &context_
                            : field_ == Field::kId     ? &id_
                            : field_ == Field::kString ? &string_
                                                       : &ignored_;
        if (t.size() < 2 || t.front() != '"' || t.back() != '"')
            return void(fail(line_no_, "a string without its closing quote"));
        const std::string_view s = t.substr(1, t.size() - 2);
        for (std::size_t i = 0; i < s.size(); ++i) {
            // The plain bytes up to the next quote or escape go in whole.
            const std::size_t run = quote_or_backslash(s, i);
            into->append(s.data() + i, run - i);
            if (run == s.size()) break;
            i = run;
            if (s[i] == '"') return void(fail(line_no_, "a quote inside a string"));
            if (++i == s.size()) return void(fail(line_no_, "a string without its closing quote"));
            switch (const char e = s[i]) {
            case 'n':
                into->push_back('\n');
                break;
            case 't':
                into->push_back('\t');
                break;
            case 'r':
                into->push_back('\r');
                break;
            case 'a':
                into->push_back('\a');
                break;
            case 'b':
                into->push_back('\b');
                break;
            case 'f':
                into->push_back('\f');
                break;
            case 'v':
                into->push_back('\v');
                break;
            case '"':
            case '\\':
            case '\'':
            case '?':
                into->push_back(e);
                break;
            case 'x': {
                int v = 0, digits = 0;
                while (i + 1 < s.size() && digits < 2 && std::isxdigit((unsigned char)s[i + 1])) {
                    const char d = s[++i];
                    v = v * 16 + (d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10);
                    ++digits;
                }
                if (digits == 0) return void(fail(line_no_, "\\x without a hexadecimal digit"));
                into->push_back(char(v));
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    int v = e - '0', digits = 1;
                    while (i + 1 < s.size() && digits < 3 && s[i + 1] >= '0' && s[i + 1] <= '7') {
                        v = v * 8 + (s[++i] - '0');
                        ++digits;
                    }
                    into->push_back(char(v & 0xFF));
                } else {
                    return void(fail(line_no_, std::string("an unknown escape \\") + e));
                }
            }
        }
    }

    void finish_entry() {
        if (!error_.empty()) return;
        if (has_id_ || has_context_) {
            if (!has_id_) {
                fail(entry_line_, "msgctxt without msgid");
            } else if (!has_string_) {
                fail(entry_line_, "an entry without msgstr");
            } else if (id_.empty() && !has_context_) {
                read_header();
            } else {
                entry_.review = fuzzy_;
                entry_.line = details_ ? entry_line_ : 0;
                if (each_)
                    each_(entry_);
                else
                    file_.entries.push_back(std::move(entry_));
            }
        }
        context_.clear();
        id_.clear();
        string_.clear();
        comment_.clear();
        ignored_.clear();
        has_context_ = has_id_ = has_string_ = fuzzy_ = false;
        field_ = Field::kNone;
        entry_line_ = 0;
    }

    void read_header() {
        if (header_seen_) return void(fail(entry_line_, "a second header"));
        header_seen_ = true;
        for (const std::string_view line : split(string_, "\n")) {
            const std::size_t colon = line.find(':');
            if (colon == npos) continue;
            const std::string key = to_lower(trim(line.substr(0, colon)));
            const std::string_view value = trim(line.substr(colon + 1));
            if (key == "language")
                file_.target_language = value;
            else if (key == "x-source-language")
                file_.source_language = value;
            else if (key == "x-generator")
                file_.generator = value;
            else if (key == "project-id-version")
                file_.original = value;
            else if (key == "content-type") {
                const std::size_t cs = ifind(value, "charset=");
                const std::string charset =
                    cs == npos ? "utf-8" : to_lower(trim(value.substr(cs + 8)));
                if (charset != "utf-8" && charset != "utf8" && charset != "charset" &&
                    charset != "ascii" && charset != "us-ascii")
                    fail(entry_line_, "its charset is " + charset +
                                          ", not UTF-8 (msgconv --to-code=UTF-8 converts it)");
            }
        }
    }

    std::string_view text_;
    ExchangeFile& file_;
    std::string& error_;
    const EntrySink& each_;
    const bool details_; // the entries carry their comment and line
    int line_no_ = 0;
    int entry_line_ = 0;
    Field field_ = Field::kNone;
    // The entry being read; given to `each_`, its buffers serve the next one.
    ExchangeEntry entry_;
    std::string& context_ = entry_.context;
    std::string& id_ = entry_.source;
    std::string& string_ = entry_.target;
    std::string& comment_ = entry_.comment;
    std::string ignored_;
    bool has_context_ = false, has_id_ = false, has_string_ = false, fuzzy_ = false;
    bool header_seen_ = false;
};

} // namespace

void po_begin(std::string& out, const ExchangeFile& file) {
    out += "# Labels of " + file.original + ", written by Lexmarin.\n";
    std::string header;
    header += "Project-Id-Version: " + file.original + "\n";
    header += "PO-Revision-Date: " + file.date + "\n";
    header += "Last-Translator: \n";
    header += "Language-Team: \n";
    header += "Language: " + file.target_language + "\n";
    header += "MIME-Version: 1.0\n";
    header += "Content-Type: text/plain; charset=UTF-8\n";
    header += "Content-Transfer-Encoding: 8bit\n";
    header += "X-Generator: " + file.generator + "\n";
    header += "X-Source-Language: " + file.source_language + "\n";
    out += "msgid \"\"\nmsgstr \"\"\n";
    for (const std::string_view line : split(header, "\n")) {
        if (line.empty()) continue;
        out += '"';
        append_escaped(out, line);
        out += "\\n\"\n";
    }
}

char* po_write_comment_line(char* p, std::string_view name, std::string_view text) {
    *p++ = '#';
    *p++ = '.';
    *p++ = ' ';
    p = put(p, name);
    *p++ = ':';
    *p++ = ' ';
    p = put(p, text);
    *p++ = '\n';
    return p;
}

std::size_t po_entry_bound(const ExchangeEntryView& e) {
    // An escape takes at most four bytes for one; a comment line adds four bytes at most for its
    // line end.
    return 4 * (e.comment.size() + e.context.size() + e.source.size() + e.target.size()) + 64;
}

char* po_write_entry(char* p, const ExchangeEntryView& e) {
    using namespace std::string_view_literals;
    *p++ = '\n';
    if (e.comment_written)
        p = put(p, e.comment);
    else if (!e.comment.empty())
        p = put_comment(p, e.comment);
    if (e.review && !e.target.empty()) p = put(p, "#, fuzzy\n"sv);
    p = put(p, "msgctxt \""sv);
    p = put_escaped(p, e.context);
    p = put(p, "\"\nmsgid \""sv);
    p = put_escaped(p, e.source);
    p = put(p, "\"\nmsgstr \""sv);
    p = put_escaped(p, e.target);
    *p++ = '"';
    *p++ = '\n';
    return p;
}

void po_append_entry(std::string& out, const ExchangeEntryView& e) {
    const std::size_t at = out.size();
    out.resize(at + po_entry_bound(e));
    out.resize(std::size_t(po_write_entry(out.data() + at, e) - out.data()));
}

std::string po_text(const ExchangeFile& file) {
    std::string out;
    std::size_t size = 512;
    for (const ExchangeEntry& e : file.entries)
        size += 64 + e.context.size() + e.source.size() + e.target.size() + e.comment.size();
    out.reserve(size);
    po_begin(out, file);
    for (const ExchangeEntry& e : file.entries) po_append_entry(out, e);
    return out;
}

bool read_po(std::string_view text, ExchangeFile& file, std::string& error) {
    return read_po(text, file, error, {});
}

bool read_po(std::string_view text, ExchangeFile& file, std::string& error, const EntrySink& each,
             EntryDetails details) {
    file = {};
    error.clear();
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    PoReader reader(text, file, error, each, details);
    return reader.read();
}

} // namespace lex
