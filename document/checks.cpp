#include "document/checks.h"

#include "document/codepage.h"
#include "document/label_parts.h"
#include "document/letter_case.h"
#include "document/single_byte.h"
#include "document/text.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <iterator>
#include <tuple>
#include <unordered_map>

namespace lex {

namespace {

using namespace label_parts;

// "0x81" for a byte or a control character.
std::string hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::string quoted(std::u32string_view chars) {
    return "\"" + utf8_text(chars) + "\"";
}

// Items joined by ", ", at most `most` of them and "..." after.
std::string joined(const std::vector<std::string>& items, std::size_t most = 8) {
    std::string out;
    for (std::size_t i = 0; i < items.size() && i < most; ++i) out += (i ? ", " : "") + items[i];
    if (items.size() > most) out += ", ...";
    return out;
}

void add_once(std::vector<std::string>& items, std::string item) {
    if (std::find(items.begin(), items.end(), item) == items.end())
        items.push_back(std::move(item));
}

// A lower-case letter of the scripts map labels are written in (Latin, Greek, Cyrillic).
bool is_lower_letter(char32_t c) {
    if (c >= 'a' && c <= 'z') return true;
    if (c >= 0xDF && c <= 0xFF) return c != 0xF7;
    if (c >= 0x100 && c <= 0x17F) { // Latin Extended-A: capitals and small letters in pairs
        if (c == 0x138 || c == 0x149 || c == 0x17F) return true;
        if (c == 0x178) return false;
        const bool small_odd = c < 0x138 || (c >= 0x14A && c < 0x178);
        return small_odd ? c % 2 == 1 : c % 2 == 0;
    }
    if (c >= 0x3AC && c <= 0x3CE) return true;
    if (c >= 0x430 && c <= 0x45F) return true;
    return false;
}

// A label left as it is in any language: a number (no letter at all) or a name written in
// capitals ("OSM", "A1", "E 55").
bool is_name_or_number(std::u32string_view s) {
    return std::none_of(s.begin(), s.end(), is_lower_letter);
}

// ---- the checks of one row ----------------------------------------------------------------

// The characters with a byte in single-byte `codepage`.
bool has_byte_for(int codepage, char32_t c) {
    if (c < 0x80) return true;
    for (unsigned b = 0x80; b <= 0xFF; ++b)
        if (single_byte_char(codepage, static_cast<unsigned char>(b)) == c) return true;
    return false;
}

bool not_representable(const CheckedRow& r, const CheckContext& ctx, const CheckSettings&,
                       std::string& message) {
    std::vector<std::string> missing;
    if (ctx.target_codepage == kUtf8CodePage) {
        // UTF-8 labels under a CodePage line of a single-byte code page: a character that code
        // page lacks cannot be converted to it.
        if (!has_byte_table(ctx.file_codepage)) return false;
        for (const char32_t c : r.target_chars)
            if (c != kUnknownChar && !has_byte_for(ctx.file_codepage, c))
                add_once(missing, "\"" + utf8_text(std::u32string_view(&c, 1)) + "\"");
        if (missing.empty()) return false;
        message = joined(missing) + (missing.size() == 1 ? " is" : " are") + " not in code page " +
                  std::to_string(ctx.file_codepage) + ", which the file's CodePage line names";
        return true;
    }
    for (const char32_t c : r.target_chars)
        if (c >= kUndefinedByte) add_once(missing, "byte " + hex(unsigned(c - kUndefinedByte)));
    if (missing.empty()) return false;
    message = joined(missing) + (missing.size() == 1 ? " is" : " are") +
              " no character of code page " + std::to_string(ctx.target_codepage);
    return true;
}

bool unchanged(const CheckedRow& r, const CheckContext& ctx, const CheckSettings&,
               std::string& message) {
    if (ctx.same_language) return false;
    const std::u32string_view source = trimmed(r.source_chars);
    if (source != trimmed(r.target_chars) || is_name_or_number(source)) return false;
    message = "the target is the source text again";
    return true;
}

using ByteSet = std::array<bool, 256>;

constexpr ByteSet byte_set(std::string_view bytes) {
    ByteSet in{};
    for (const char c : bytes) in[static_cast<unsigned char>(c)] = true;
    return in;
}

// Whether `s` holds any byte of `set`: one pass, where find_first_of searches once per byte of
// the set.
bool has_any(std::string_view s, const ByteSet& set) {
    for (const char c : s)
        if (set[static_cast<unsigned char>(c)]) return true;
    return false;
}

constexpr ByteSet kDigitBytes = byte_set("0123456789");
constexpr ByteSet kMarkBytes = byte_set("()[]{}\"~");
constexpr ByteSet kEngineMarkBytes = byte_set("*@#");

bool numbers_differ(const CheckedRow& r, const CheckContext&, const CheckSettings&,
                    std::string& message) {
    if (!has_any(r.source, kDigitBytes) && !has_any(r.target, kDigitBytes)) return false;
    if (same_numbers(r.source_chars, r.target_chars)) return false;
    const std::vector<std::string> source = numbers(r.source_chars);
    const std::vector<std::string> target = numbers(r.target_chars);
    if (source == target) return false;
    message = "the source has " + (source.empty() ? std::string("no number") : joined(source)) +
              ", the target " + (target.empty() ? std::string("none") : joined(target));
    return true;
}

bool brackets_differ(const CheckedRow& r, const CheckContext&, const CheckSettings&,
                     std::string& message) {
    if (!has_any(r.source, kMarkBytes) && !has_any(r.target, kMarkBytes)) return false;
    const Marks source = marks_of(r.source_chars);
    const Marks target = marks_of(r.target_chars);
    std::vector<std::string> parts;
    if (source.codes != target.codes) {
        std::vector<std::string> s, t;
        for (const auto& c : source.codes) s.push_back(utf8_text(c));
        for (const auto& c : target.codes) t.push_back(utf8_text(c));
        parts.push_back("the source has the codes " + (s.empty() ? "none" : joined(s)) +
                        ", the target " + (t.empty() ? "none" : joined(t)));
    }
    for (std::size_t k = 0; k < kPaired.size(); ++k)
        if (source.count[k] != target.count[k])
            parts.push_back("the source has " + std::to_string(source.count[k]) + " " +
                            quoted(kPaired.substr(k, 1)) + ", the target " +
                            std::to_string(target.count[k]));
    if (!source.lead.empty() && source.lead != target.lead)
        parts.push_back("the source starts with " + quoted(source.lead) + ", the target does not");
    if (!source.tail.empty() && source.tail != target.tail)
        parts.push_back("the source ends with " + quoted(source.tail) + ", the target does not");
    if (parts.empty()) return false;
    message = joined(parts, 3);
    return true;
}

bool blanks_differ(const CheckedRow& r, const CheckContext&, const CheckSettings&,
                   std::string& message) {
    const std::u32string_view s = r.source_chars, t = r.target_chars;
    std::vector<std::string> parts;
    auto compare = [&](bool in_source, bool in_target, const char* where) {
        if (in_source == in_target) return;
        parts.push_back(std::string(in_source ? "the source " : "the target ") + where +
                        " with a blank, the " + (in_source ? "target" : "source") + " does not");
    };
    compare(!s.empty() && is_blank(s.front()), !t.empty() && is_blank(t.front()), "starts");
    compare(!s.empty() && is_blank(s.back()), !t.empty() && is_blank(t.back()), "ends");
    if (has_double_blank(trimmed(t)) && !has_double_blank(trimmed(s)))
        parts.push_back("the target holds a double blank");
    if (parts.empty()) return false;
    message = joined(parts);
    return true;
}

bool machine_marks_left(const CheckedRow& r, const CheckContext&, const CheckSettings&,
                        std::string& message) {
    if (!has_any(r.target, kEngineMarkBytes)) return false;
    std::vector<std::string> left;
    for (const char32_t mark : {U'*', U'@', U'#'}) {
        const auto target = marked_words(r.target_chars, mark);
        if (target.size() > marked_words(r.source_chars, mark).size())
            for (const auto& w : target) add_once(left, quoted(w));
    }
    if (left.empty()) return false;
    message = "the engine's marks are still in " + joined(left);
    return true;
}

bool too_long(const CheckedRow& r, const CheckContext&, const CheckSettings& settings,
              std::string& message) {
    const std::size_t source = trimmed(r.source_chars).size();
    const std::size_t target = trimmed(r.target_chars).size();
    if (settings.max_length > 0 && target > std::size_t(settings.max_length)) {
        message = "the target has " + std::to_string(target) + " characters, more than " +
                  std::to_string(settings.max_length);
        return true;
    }
    if (source == 0 || settings.max_ratio <= 0 ||
        double(target) <= settings.max_ratio * double(source))
        return false;
    char ratio[32];
    std::snprintf(ratio, sizeof ratio, "%.1f", double(target) / double(source));
    message = "the target has " + std::to_string(target) + " characters, " + ratio +
              " times the source's " + std::to_string(source);
    return true;
}

bool control_characters(const CheckedRow& r, const CheckContext&, const CheckSettings&,
                        std::string& message) {
    std::vector<std::string> found;
    for (const char32_t c : r.target_chars)
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F)) add_once(found, hex(unsigned(c)));
    if (found.empty()) return false;
    message = "the target holds the control " +
              std::string(found.size() == 1 ? "character " : "characters ") + joined(found);
    return true;
}

using enum CheckId;
using enum Severity;

// clang-format off
constexpr std::array<Check, kCheckCount> kChecks{
    Check{kNotRepresentable, "not-representable", "Not representable",
          "The target holds characters its code page cannot hold, so the file would show \"?\"",
          kError, not_representable},
    Check{kInconsistent, "inconsistent", "Inconsistent",
          "One source label is translated in different ways", kWarning, nullptr},
    Check{kUnchanged, "unchanged", "Unchanged",
          "The target is its source again, though the languages differ (names and numbers aside)",
          kNotice, unchanged},
    Check{kNumbers, "numbers", "Numbers",
          "The numbers of source and target differ", kWarning, numbers_differ},
    Check{kBrackets, "brackets", "Brackets and marks",
          "Brackets, quotes or the style's ~[0x..] codes of source and target differ",
          kWarning, brackets_differ},
    Check{kBlanks, "blanks", "Blanks",
          "Blanks at the start or end differ from the source, or the target holds a double blank",
          kWarning, blanks_differ},
    Check{kMachineMarks, "machine-marks", "Machine marks left",
          "The offline engine's marks of unknown words (*, @, #) are still in the target",
          kError, machine_marks_left},
    Check{kTooLong, "too-long", "Too long",
          "The target is much longer than its source, or longer than the limit",
          kNotice, too_long},
    Check{kControlCharacters, "control-characters", "Control characters",
          "The target holds control characters", kError, control_characters},
};
// clang-format on

constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < kChecks.size(); ++i)
        if (std::size_t(kChecks[i].id) != i) return false;
    return true;
}
static_assert(inIdOrder(), "the table lists every check once, in the order of CheckId");

using CheckMask = unsigned;
constexpr CheckMask bit(CheckId id) {
    return 1u << unsigned(id);
}
constexpr CheckMask kEveryCheck = (1u << kCheckCount) - 1;

// The checks that compare the target with its source, and so need a source text.
constexpr CheckMask kNeedsSource =
    kEveryCheck & ~(bit(kNotRepresentable) | bit(kControlCharacters) | bit(kMachineMarks));

// The source label as "Inconsistent" compares it: lower case, blanks at the ends gone and runs
// of blanks as one.
std::string normalised(std::string_view source, int codepage) {
    std::string lower, out;
    lower_case(trim(source), codepage, lower);
    for (const char c : lower) {
        if ((c == ' ' || c == '\t') && !out.empty() && out.back() == ' ') continue;
        out += c == '\t' ? ' ' : c;
    }
    return out;
}

// A hash that the source labels "Inconsistent" takes for one share: the lower case of a label
// beyond ASCII (into `lower`) hashed without its blanks. Coarse, but taken without a copy of
// ASCII labels; labels that merely share it are told apart by comparing their normalised texts.
std::uint32_t source_hash(std::string_view source, int codepage, std::string& lower) {
    lower_case(source, codepage, lower);
    return blankless_hash(lower);
}

const char* pane_word(Kind kind) {
    static constexpr std::array<const char*, kKinds> kWords{"polygons", "lines", "points"};
    return kWords[std::size_t(kind)];
}

int rows_in_use(const Document& doc, Kind kind) {
    return std::min(doc.row_count(kind), int(doc.rows(kind).size()));
}

// A row with a source and a target, as "Inconsistent" compares it: where it stands and the hash
// of its source.
struct Keyed {
    std::uint32_t hash;
    Kind kind;
    int row;
};

// The entries of `keyed` whose source label may be translated in several ways: another row's
// source has its hash and that row's target differs. Rows whose sources merely share a hash are
// taken too; the exact comparison sorts them out.
std::vector<std::size_t> maybe_inconsistent(const Document& doc, const std::vector<Keyed>& keyed) {
    // Eight bytes a slot, so that the table of a big document stays in the cache.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t first = 0; // 1 + the first entry with the hash, kFree; kSeveral when set
    };
    constexpr std::uint32_t kFree = 0, kSeveral = 1u << 31;
    auto target_of = [&](const Keyed& k) {
        return trim(doc.rows(k.kind)[std::size_t(k.row)].text);
    };
    std::vector<Slot> slots(std::bit_ceil(keyed.size() * 2 + 2));
    const std::size_t mask = slots.size() - 1;
    std::vector<std::uint32_t> slot_of(keyed.size());
    for (std::size_t k = 0; k < keyed.size(); ++k) {
        const std::uint32_t hash = keyed[k].hash;
        std::size_t i = hash & mask;
        while (slots[i].first != kFree && slots[i].hash != hash) i = (i + 1) & mask;
        Slot& slot = slots[i];
        if (slot.first == kFree)
            slot = {hash, std::uint32_t(k + 1)};
        else if (!(slot.first & kSeveral) &&
                 target_of(keyed[slot.first - 1]) != target_of(keyed[k]))
            slot.first |= kSeveral;
        slot_of[k] = std::uint32_t(i);
    }
    std::vector<std::size_t> out;
    for (std::size_t k = 0; k < keyed.size(); ++k)
        if (slots[slot_of[k]].first & kSeveral) out.push_back(k);
    return out;
}

// The findings of "Inconsistent" among the rows of `keyed` (in reading order), in reading order.
std::vector<Finding> inconsistent_rows(const Document& doc, const CheckContext& ctx,
                                       const std::vector<Keyed>& keyed) {
    const std::vector<std::size_t> maybe = maybe_inconsistent(doc, keyed);
    if (maybe.empty()) return {};
    struct Place {
        Kind kind;
        int row;
    };
    struct Group {
        std::string_view source;
        std::vector<std::pair<std::string_view, std::vector<Place>>> targets;
    };
    std::unordered_map<std::string, std::size_t> index;
    std::vector<Group> groups;
    std::vector<std::size_t> group_of(maybe.size());
    index.reserve(maybe.size());
    groups.reserve(maybe.size());
    for (std::size_t m = 0; m < maybe.size(); ++m) {
        const Keyed& k = keyed[maybe[m]];
        const Row& row = doc.rows(k.kind)[std::size_t(k.row)];
        const std::string_view target = trim(row.text);
        const auto [it, added] =
            index.try_emplace(normalised(row.caption, ctx.source_codepage), groups.size());
        if (added) groups.push_back({trim(row.caption), {}});
        group_of[m] = it->second;
        Group& g = groups[it->second];
        auto same = std::find_if(g.targets.begin(), g.targets.end(),
                                 [&](const auto& t) { return t.first == target; });
        if (same == g.targets.end()) {
            g.targets.push_back({target, {}});
            same = g.targets.end() - 1;
        }
        same->second.push_back({k.kind, k.row});
    }
    std::vector<std::string> texts(groups.size());
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const Group& g = groups[i];
        if (g.targets.size() < 2) continue;
        std::vector<std::string> variants;
        for (const auto& [target, places] : g.targets) {
            std::vector<std::string> where;
            for (const Place& p : places)
                where.push_back(std::string(pane_word(p.kind)) + " " + std::to_string(p.row + 1));
            variants.push_back(quoted(cell_chars(target, ctx.target_codepage)) + " (" +
                               joined(where, 4) + ")");
        }
        texts[i] = quoted(cell_chars(g.source, ctx.source_codepage)) + " has " +
                   std::to_string(g.targets.size()) + " translations: " + joined(variants, 5);
    }
    std::vector<Finding> out;
    for (std::size_t m = 0; m < maybe.size(); ++m)
        if (groups[group_of[m]].targets.size() >= 2)
            out.push_back(
                {kInconsistent, keyed[maybe[m]].kind, keyed[maybe[m]].row, texts[group_of[m]]});
    return out;
}

// One row's texts with a scan of each, and their characters once a check needs them.
class RowTexts {
public:
    RowTexts(std::string_view source_bytes, const ByteScan& source_scan,
             std::string_view target_bytes, const ByteScan& target_scan, const CheckContext& ctx,
             std::u32string& source_chars, std::u32string& target_chars)
        : source(source_scan), target(target_scan),
          ctx_(ctx), row_{source_bytes, target_bytes, {}, {}}, source_chars_(source_chars),
          target_chars_(target_chars) {}

    const ByteScan &source, &target;

    const CheckedRow& chars() {
        if (!converted_) {
            cell_chars(row_.source, ctx_.source_codepage, source_chars_);
            cell_chars(row_.target, ctx_.target_codepage, target_chars_);
            row_.source_chars = source_chars_;
            row_.target_chars = target_chars_;
            converted_ = true;
        }
        return row_;
    }

private:
    const CheckContext& ctx_;
    CheckedRow row_;
    std::u32string &source_chars_, &target_chars_;
    bool converted_ = false;
};

// Whether the numbers of two texts are the same. Where neither may hold a style's code, two
// texts that agree from the first digit to the last have the same numbers.
template <class View> bool same_numbers_of(const Scan<View>& s, const Scan<View>& t) {
    if (!s.digits && !t.digits) return true;
    if (!s.codes && !t.codes && s.digit_span == t.digit_span) return true;
    return same_numbers(s.trimmed, t.trimmed);
}

// The checks that may fire on a row, from the scans of its two texts (of their characters, or
// of their bytes where both are ASCII): the others are passed over without reading the row
// again.
template <class View>
CheckMask may_fire(const Scan<View>& s, const Scan<View>& t, const CheckContext& ctx,
                   const CheckSettings& settings) {
    CheckMask may = 0;
    if (ctx.target_codepage == kUtf8CodePage ? !t.ascii && has_byte_table(ctx.file_codepage)
                                             : t.beyond)
        may |= bit(kNotRepresentable);
    if (!ctx.same_language && s.trimmed == t.trimmed) may |= bit(kUnchanged);
    if (!same_numbers_of(s, t)) may |= bit(kNumbers);
    if (s.marks || t.marks) may |= bit(kBrackets);
    if (s.lead_blank != t.lead_blank || s.tail_blank != t.tail_blank ||
        (t.double_blank && !s.double_blank))
        may |= bit(kBlanks);
    if (t.engine_marks) may |= bit(kMachineMarks);
    const std::size_t source = s.trimmed.size(), target = t.trimmed.size();
    if ((settings.max_length > 0 && target > std::size_t(settings.max_length)) ||
        (source > 0 && settings.max_ratio > 0 &&
         double(target) > settings.max_ratio * double(source)))
        may |= bit(kTooLong);
    if (t.controls) may |= bit(kControlCharacters);
    return may;
}

// The findings of the checks of one row `on` switches on, in the order of the checks. A row of
// ASCII texts is read as characters only when a check may fire.
void check_one_row(RowTexts& r, const CheckContext& ctx, const CheckSettings& settings,
                   CheckMask on, Kind kind, int row, std::vector<Finding>& out) {
    on &= ~bit(kInconsistent);
    if (r.source.trimmed.empty()) on &= ~kNeedsSource;
    if (!on) return;
    if (r.source.ascii && r.target.ascii) {
        on &= may_fire(r.source, r.target, ctx, settings);
    } else {
        // An ASCII text of the two needs no second scan.
        const CheckedRow& chars = r.chars();
        const CharScan source = r.source.ascii ? widened(r.source, chars.source, chars.source_chars)
                                               : scan_chars(chars.source_chars);
        const CharScan target = r.target.ascii ? widened(r.target, chars.target, chars.target_chars)
                                               : scan_chars(chars.target_chars);
        on &= may_fire(source, target, ctx, settings);
    }
    if (!on) return;
    std::string message;
    for (const Check& c : kChecks)
        if ((on & bit(c.id)) && c.row(r.chars(), ctx, settings, message))
            out.push_back({c.id, kind, row, message});
}

// The target text of a row as its label stands in the file while the row is unchanged: with
// the blanks around it the row does not show (in `padded`).
std::string_view as_in_file(const Row& row, std::string& padded) {
    if (row.file_blanks == 0 || row.changed_since_built()) return row.text;
    padded.clear();
    if (row.file_blanks & 1) padded += ' ';
    padded += row.text;
    if (row.file_blanks & 2) padded += ' ';
    return padded;
}

CheckMask mask_of(const CheckSettings& settings) {
    CheckMask on = 0;
    for (const Check& c : kChecks)
        if (settings.is_on(c.id)) on |= bit(c.id);
    return on;
}

} // namespace

const char* severity_name(Severity severity) {
    switch (severity) {
    case kError:
        return "error";
    case kWarning:
        return "warning";
    case kNotice:
        return "notice";
    }
    return "";
}

std::span<const Check> checks() {
    return kChecks;
}

const Check& check(CheckId id) {
    return kChecks[std::size_t(id)];
}

const Check* find_check(std::string_view name) {
    for (const Check& c : kChecks)
        if (name == c.name) return &c;
    return nullptr;
}

std::vector<Finding> run_checks(const Document& doc, const CheckContext& ctx,
                                const CheckSettings& settings) {
    const CheckMask on = mask_of(settings);
    const bool compare = on & bit(kInconsistent);
    std::vector<Finding> out;
    std::vector<Keyed> keyed;
    std::u32string source, chars;
    std::string lower, padded;
    if (compare) {
        std::size_t total = 0;
        for (const Kind kind : kAllKinds) total += std::size_t(rows_in_use(doc, kind));
        keyed.reserve(total);
    }
    for (const Kind kind : kAllKinds) {
        const int n = rows_in_use(doc, kind);
        for (int r = 0; r < n; ++r) {
            const Row& row = doc.rows(kind)[std::size_t(r)];
            const std::string_view target = as_in_file(row, padded);
            const ByteScan target_scan = scan_bytes(target);
            if (target_scan.trimmed.empty()) continue;
            std::uint32_t hash = 0;
            const ByteScan source_scan =
                compare ? scan_bytes(row.caption, hash) : scan_bytes(row.caption);
            RowTexts texts(row.caption, source_scan, target, target_scan, ctx, source, chars);
            check_one_row(texts, ctx, settings, on, kind, r, out);
            if (!compare || source_scan.trimmed.empty()) continue;
            if (!source_scan.ascii) hash = source_hash(row.caption, ctx.source_codepage, lower);
            keyed.push_back({hash, kind, r});
        }
    }
    if (!compare) return out;
    std::vector<Finding> compared = inconsistent_rows(doc, ctx, keyed);
    if (compared.empty()) return out;
    // Into reading order, and within a row into the order of the checks.
    std::vector<Finding> merged;
    merged.reserve(out.size() + compared.size());
    std::merge(std::make_move_iterator(out.begin()), std::make_move_iterator(out.end()),
               std::make_move_iterator(compared.begin()), std::make_move_iterator(compared.end()),
               std::back_inserter(merged), [](const Finding& a, const Finding& b) {
                   return std::tuple(int(a.kind), a.row, int(a.check)) <
                          std::tuple(int(b.kind), b.row, int(b.check));
               });
    return merged;
}

std::vector<Finding> check_row(std::string_view source, std::string_view target,
                               const CheckContext& ctx, const CheckSettings& settings) {
    std::vector<Finding> out;
    std::u32string s, t;
    const ByteScan source_scan = scan_bytes(source), target_scan = scan_bytes(target);
    RowTexts texts(source, source_scan, target, target_scan, ctx, s, t);
    check_one_row(texts, ctx, settings, mask_of(settings), kPolygons, 0, out);
    return out;
}

} // namespace lex
