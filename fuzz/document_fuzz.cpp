// The document targets: opening with the rows, and the save's round trip.

#include "commands/open_document.h"
#include "commands/save_document.h"
#include "document/codepage.h"
#include "document/elements.h"
#include "document/lines.h"
#include "document/text.h"
#include "fuzz_targets.h"
#include "view/rows.h"
#include "view/state.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <map>

namespace lex::fuzz {

namespace {

// Writes files straight away: a campaign saves thousands of times a second.
class QuickWriter : public FileWriter {
public:
    bool replace_file(const std::string& path, std::string_view bytes, std::string& why) override {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        if (!out) why = "cannot write";
        return bool(out);
    }
    Date today() override { return {2026, 1, 2}; }
};

std::string read_back(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// `text` readable: control bytes but line ends as \xNN.
std::string readable(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 || c == '\n') {
            out.push_back(c);
        } else {
            static constexpr char kHex[] = "0123456789abcdef";
            out += {'\\', 'x', kHex[u >> 4], kHex[u & 15]};
        }
    }
    return out;
}

void fail(const std::string& what, std::string_view document) {
    invariant_failed(
        readable(what + "\n--- document ---\n" + std::string(document.substr(0, 2000))));
}

struct Choice {
    const char* source;
    const char* target;
    bool zero_fallback;
};
// English to German, the other way, one language on both sides, Russian to Chinese with 0x00
// labels standing in, and source labels in lower-case hex.
constexpr std::array<Choice, 6> kChoices{{{"04", "02", false},
                                          {"02", "04", false},
                                          {"04", "04", false},
                                          {"19", "26", true},
                                          {"0a", "1b", false},
                                          {"00", "04", true}}};

void set_languages(State& st, const std::string& source, const std::string& target, bool zero) {
    st.source_code = source;
    st.target_code = st.row_target_code = target;
    st.source_codepage = codepage_for_code(source);
    st.target_codepage = codepage_for_code(target);
    st.win.language_caption = {"From", "Into"};
    st.zero_fallback = zero;
}

// The elements of each kind, in document order.
std::array<std::vector<Section>, kKinds> elements_of(std::string_view text) {
    std::array<std::vector<Section>, kKinds> out;
    for (const Section& s : read_outline(text).sections)
        if (s.kind != kOtherSection) out[std::size_t(s.kind)].push_back(s);
    return out;
}

// The label lines of an element; without the first one of language `without_code` when given:
// the line a changed row writes, or adds.
std::vector<std::string_view> label_lines(std::string_view text, const Section& s,
                                          const std::string& without_code = {}) {
    std::vector<std::string_view> out;
    bool dropped = without_code.empty();
    for_each_line(body_text(text, s), [&](std::string_view line, std::size_t) {
        const auto label = parse_label_line(line);
        if (!label) return;
        if (!dropped && label_code_is(*label, without_code))
            dropped = true;
        else
            out.push_back(line);
    });
    return out;
}

// Whether the rows pair one to one, in order, with the elements the merge gives a row.
void check_rows_pair_with_elements(const State& st) {
    const auto elements = elements_of(st.document);
    for (const Kind k : kAllKinds) {
        int n = 0;
        for (const Section& s : elements[std::size_t(k)]) {
            const std::string key =
                find_label(body_text(st.document, s), st.source_code, 'S', st.zero_fallback);
            if (key.empty()) continue;
            if (n >= st.row_count(k) || st.rows(k)[std::size_t(n)].source_key != key)
                return fail("row " + std::to_string(n) + " of kind " + std::to_string(k) +
                                " is not the element's label " + key,
                            st.document);
            ++n;
        }
        if (n != st.row_count(k))
            return fail("kind " + std::to_string(k) + " has " + std::to_string(st.row_count(k)) +
                            " rows for " + std::to_string(n) + " elements with a source label",
                        st.document);
    }
}

// What a row shows of a target text written into its label: the bars go, the outer blanks too.
std::string shown(std::string text) {
    std::erase(text, '|');
    return std::string(trim(text));
}

bool blank_line(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

// The non-blank lines of `text`, counted, leaving out the label lines of the listed elements.
std::map<std::string_view, int> line_counts(std::string_view text,
                                            const std::vector<Section>& skipped) {
    std::map<std::string_view, int> counts;
    std::size_t next = 0; // the next skipped element, in document order
    for_each_line(text, [&](std::string_view line, std::size_t at) {
        while (next < skipped.size() && at >= skipped[next].stop) ++next;
        const bool inSkipped =
            next < skipped.size() && at >= skipped[next].body && at < skipped[next].end_line;
        if (blank_line(line) || (inSkipped && parse_label_line(line))) return;
        ++counts[line];
    });
    return counts;
}

std::string text_of(const std::map<std::string_view, int>& counts) {
    std::string out;
    for (const auto& [line, n] : counts) out += std::to_string(n) + "x " + std::string(line) + "\n";
    return out;
}

} // namespace

const std::vector<std::string>& edit_texts() {
    static const std::vector<std::string> texts{"Meer", "",     "  Huis ", "Tor #3",      "?Lac",
                                                "x|y",  "A, B", "Caf\xE9", "COMMENTAIRES"};
    return texts;
}

int open_rows(const std::uint8_t* data, std::size_t size) {
    const std::string path = work_folder() + "/open.txt";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    State st;
    set_defaults(st, work_folder());
    QuietUi ui;
    ui.answer = size % 2 == 1;
    std::string p = path;
    if (!open_document(st, ui, p)) return 0;
    for (const Choice& c : kChoices) {
        set_languages(st, c.source, c.target, c.zero_fallback);
        rebuild_rows(st, ui);
        check_rows_pair_with_elements(st);
        // Saving what was opened never writes a file that would be refused.
        if (const char* why = open_refusal(build_saved_text(st)))
            fail(std::string("an unchanged save would be refused: ") + why, st.document);
    }
    return 0;
}

bool check_round_trip(const std::string& document, const RoundTrip& trip) {
    static QuickWriter writer;
    const std::string path = work_folder() + "/trip.txt";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << document;
    State st;
    set_defaults(st, work_folder());
    st.file_writer = &writer;
    set_languages(st, trip.source, trip.target, trip.zero_fallback);
    QuietUi ui;
    ui.answer = trip.utf8_answer;
    std::string p = path;
    if (!open_document(st, ui, p)) return false;
    check_rows_pair_with_elements(st);
    const std::string opened = st.document;
    const std::string original = read_back(path);
    const State before = st;

    for (const RoundTrip::Edit& e : trip.edits) {
        const Kind kind = *kind_from_int(((e.kind % kKinds) + kKinds) % kKinds);
        if (st.row_count(kind) == 0) continue;
        st.row(kind, ((e.row % st.row_count(kind)) + st.row_count(kind)) % st.row_count(kind))
            .text = e.text;
        st.changed = true;
    }
    // The rows that changed with their texts, and the elements they belong to.
    std::array<std::map<int, std::string>, kKinds> givenText;
    for (const Kind k : kAllKinds)
        for (int r = 0; r < st.row_count(k); ++r)
            if (st.row(k, r).changed_since_built())
                givenText[std::size_t(k)][r] = st.row(k, r).text;
    const auto elementsBefore = elements_of(opened);
    std::array<std::vector<bool>, kKinds> editedElement;
    std::vector<Section> editedSections;
    bool anyEdit = false;
    for (const Kind k : kAllKinds) {
        int r = 0;
        for (const Section& s : elementsBefore[std::size_t(k)]) {
            const bool hasRow =
                !find_label(body_text(opened, s), st.source_code, 'S', st.zero_fallback).empty();
            const bool edited = hasRow && st.row(k, r).changed_since_built();
            editedElement[std::size_t(k)].push_back(edited);
            if (edited) editedSections.push_back(s);
            anyEdit = anyEdit || edited;
            r += hasRow ? 1 : 0;
        }
    }
    std::sort(editedSections.begin(), editedSections.end(),
              [](const Section& a, const Section& b) { return a.header < b.header; });

    std::string savePath = st.document_path;
    if (!save_document(st, ui, savePath)) {
        // Only a file that would be refused is not written, and only after an edit.
        if (!anyEdit || !open_refusal(build_saved_text(st)))
            fail("the save failed: " + (ui.messages.empty() ? "" : ui.messages.back()), opened);
        if (read_back(path) != original || !st.changed || st.document != opened)
            fail("a refused save changed the file or the document", opened);
        return true;
    }
    const std::string saved = read_back(path);

    // Comment lines, and every line but the label lines of changed elements, all survive; an
    // element without its "[end]" gets one.
    std::vector<std::string_view> commentsBefore, commentsAfter;
    for_each_line(opened, [&](std::string_view l, std::size_t) {
        if (is_comment_line(l)) commentsBefore.push_back(l);
    });
    for_each_line(saved, [&](std::string_view l, std::size_t) {
        if (is_comment_line(l)) commentsAfter.push_back(l);
    });
    std::sort(commentsBefore.begin(), commentsBefore.end());
    std::sort(commentsAfter.begin(), commentsAfter.end());
    if (commentsBefore != commentsAfter) fail("comment lines were lost or added", opened);

    const auto elementsAfter = elements_of(saved);
    std::vector<Section> editedAfter;
    for (const Kind k : kAllKinds) {
        const auto& b = elementsBefore[std::size_t(k)];
        const auto& a = elementsAfter[std::size_t(k)];
        if (a.size() != b.size()) {
            fail("the number of elements of kind " + std::to_string(k) + " changed", opened);
            return true;
        }
        for (std::size_t i = 0; i < b.size(); ++i) {
            const bool edited = editedElement[std::size_t(k)][i];
            if (edited) editedAfter.push_back(a[i]);
            const std::string skip = edited ? st.target_code : std::string();
            if (label_lines(opened, b[i], skip) != label_lines(saved, a[i], skip))
                fail("the labels of element " + std::to_string(i) + " of kind " +
                         std::to_string(k) + " changed" +
                         (edited ? " beyond the row's own line" : ""),
                     opened);
        }
    }
    std::sort(editedAfter.begin(), editedAfter.end(),
              [](const Section& a, const Section& b) { return a.header < b.header; });
    auto expected = line_counts(opened, editedSections);
    for (const Section& s : read_outline(opened).sections)
        if (!s.closed()) ++expected["[end]"];
    const auto got = line_counts(saved, editedAfter);
    if (expected != got)
        fail("lines changed:\nbefore\n" + text_of(expected) + "after\n" + text_of(got), opened);

    // After the reload every row shows what it was given, or what it showed before.
    for (const Kind k : kAllKinds) {
        if (st.row_count(k) != before.row_count(k)) {
            fail("the reload changed the row count of kind " + std::to_string(k), opened);
            continue;
        }
        for (int r = 0; r < st.row_count(k); ++r) {
            const Row& now = st.rows(k)[std::size_t(r)];
            const Row& was = before.rows(k)[std::size_t(r)];
            const auto given = givenText[std::size_t(k)].find(r);
            const bool ok = given != givenText[std::size_t(k)].end()
                                ? now.text == shown(given->second)
                                : now.text == was.text && now.caption == was.caption;
            if (!ok)
                fail("row " + std::to_string(r) + " of kind " + std::to_string(k) + " shows \"" +
                         now.text + "\" after the reload",
                     opened);
        }
    }

    // A second save writes the same bytes.
    savePath = st.document_path;
    if (!save_document(st, ui, savePath)) return fail("the second save failed", opened), true;
    if (read_back(path) != saved) fail("the second save wrote other bytes", saved);
    return true;
}

int save_round_trip(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = bytes.rfind('\0');
    const std::string_view document = bytes.substr(0, nul);
    const std::string_view options =
        nul == std::string_view::npos ? std::string_view() : bytes.substr(nul + 1);
    RoundTrip trip;
    if (!options.empty()) {
        const auto o = static_cast<unsigned char>(options[0]);
        const Choice& c = kChoices[(o & 7u) % kChoices.size()];
        trip.source = c.source;
        trip.target = c.target;
        trip.zero_fallback = c.zero_fallback || (o & 8u);
        trip.utf8_answer = (o & 16u) != 0;
    }
    for (std::size_t i = 1; i + 2 < options.size(); i += 3) {
        const auto& texts = edit_texts();
        trip.edits.push_back({static_cast<unsigned char>(options[i]),
                              static_cast<unsigned char>(options[i + 1]),
                              texts[static_cast<unsigned char>(options[i + 2]) % texts.size()]});
    }
    check_round_trip(std::string(document), trip);
    return 0;
}

} // namespace lex::fuzz
