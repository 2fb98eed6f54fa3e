// "Keep Layout When Saving": a save writes the file as it was read but for what changed.

#include "commands/actions.h"
#include "commands/save_document.h"
#include "commands/settings.h"
#include "commands/startup.h"
#include "document/saved_text.h"
#include "document/text.h"
#include "document/typ_file.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

namespace {

// `text` with its CR LF line ends as LF.
std::string lf(std::string text) {
    return replace_all(text, "\r\n", "\n");
}

// The lines of `b` that differ from those of `a` at the same place, and how many lines each has.
struct LineDiff {
    int changed = 0;
    std::size_t lines_a = 0, lines_b = 0;
};
LineDiff line_diff(const std::string& a, const std::string& b) {
    const auto la = split(a, "\n");
    const auto lb = split(b, "\n");
    LineDiff d{0, la.size(), lb.size()};
    for (std::size_t i = 0; i < std::min(la.size(), lb.size()); ++i)
        if (la[i] != lb[i]) ++d.changed;
    return d;
}

} // namespace

class KeepLayout : public DocTest {
protected:
    std::string save_kept() {
        st.kept.keep_layout = true;
        std::string path = st.document_path;
        EXPECT_TRUE(save_document(st, ui, path).ok());
        return TempDir::read(path);
    }
};

// Every shape real files come in keeps its bytes: unchanged, the file comes back byte for byte;
// one row translated, one line changes or one line is added after the element's last label.
TEST_F(KeepLayout, RealFileShapesKeepTheirBytesOutsideTheChangedLine) {
    const std::string lake = "[_polygon]\r\nType=0x3c\r\n\r\nString1=0x04,Lake\r\n"
                             "; a comment inside\r\nXpm=\"0 0 1 0\"\r\n[End]\r\n";
    const std::string road = "[_line]\r\nType=0x01\r\nString1=0x04,Road\r\nString2=0x02,Strasse\r\n"
                             "[end]\r\n";
    struct Case {
        const char* name;
        std::string text;
        bool adds; // the Lake row gets a new label line (else Road's changes)
    };
    const std::string head = typ_header();
    const std::vector<Case> cases{
        {"comments and [End], lines before the points", head + road + "\r\n\r\n" + lake, true},
        {"LF line ends", lf(head + lake + road), false},
        {"no final line end", head + road + lake.substr(0, lake.size() - 2), true},
        {"no line end after a last unclosed element",
         head + "[_polygon]\r\nType=0x01\r\nString1=0x04,Lake", true},
        {"UTF-8 labels",
         replace_all(head, "1252", "65001") + road +
             "[_polygon]\r\nType=0x3c\r\n"
             "String1=0x04,Lake\r\nString2=0x12,Jezero Č\r\n[end]\r\n",
         true},
        {"obsolete language code and mixed line ends",
         head + "[_polygon]\nType=0x3c\r\nString1=0x04,Lake\nString2=0x2F,Lago\n[END]  \r\n" + road,
         false},
        {"no blank lines between sections, points first",
         head + "[_point]\r\nType=0x2f\r\nString1=0x04,Well\r\n[end]\r\n" + road + lake, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(open("style.txt", c.text));
        EXPECT_EQ(save_kept(), c.text);
        const Kind kind = c.adds ? kPolygons : kLines;
        ASSERT_GT(st.row_count(kind), 0);
        st.rows(kind)[0].text = "Neu";
        const std::string once = save_kept();
        const LineDiff d = line_diff(c.text, once);
        if (c.adds) {
            EXPECT_EQ(d.lines_b, d.lines_a + 1) << once;
            // Everything before the new line and after it stays.
            std::size_t at = once.find("=0x02,Neu");
            ASSERT_NE(at, std::string::npos) << once;
            at = once.rfind('\n', at) + 1;
            const std::size_t end = once.find('\n', at);
            const std::string without =
                once.substr(0, at) + (end == std::string::npos ? "" : once.substr(end + 1));
            if (end == std::string::npos)
                EXPECT_EQ(without.substr(0, without.size() - 2), c.text) << once;
            else
                EXPECT_EQ(without, c.text) << once;
        } else {
            EXPECT_EQ(d.lines_a, d.lines_b);
            EXPECT_EQ(d.changed, 1) << once;
            EXPECT_NE(once.find("String2=0x02,Neu"), std::string::npos) << once;
        }
    }
}

// Lines the document's own edits remove, add or change keep the bytes around them.
TEST(KeepLayoutLines, EditedDocumentTextKeepsTheOriginalBytesAroundItsChanges) {
    const std::string original = "a\nb\n[End]\nc\nd\ne";
    struct Case {
        std::string text; // the document as edited, as the open repaired it
        std::string written;
    };
    const std::vector<Case> cases{
        {"a\r\nb\r\n[end]\r\nc\r\nd\r\ne", original},
        {"a\r\n[end]\r\nc\r\nd\r\ne", "a\n[End]\nc\nd\ne"},                     // a line removed
        {"a\r\nb\r\nnew\r\n[end]\r\nc\r\nd\r\ne", "a\nb\nnew\n[End]\nc\nd\ne"}, // one added
        {"a\r\nB\r\n[end]\r\nc\r\nd\r\ne", "a\nB\n[End]\nc\nd\ne"},             // one changed
        {"a\r\nb\r\n[end]\r\nc\r\nd\r\ne\r\nf", "a\nb\n[End]\nc\nd\ne\nf"},     // one appended
        // Lines moved are written as the document has them, with the file's line end.
        {"d\r\nc\r\n[end]\r\nb\r\na\r\ne", "d\nc\n[end]\nb\na\ne"},
    };
    for (const Case& c : cases) EXPECT_EQ(restore_original_lines(c.text, original), c.written);
}

namespace {

// The pairing of lines written the plain way, one line after the other, as the reference the
// save's bulk comparison must agree with.
struct RefLine {
    std::string_view bytes, end;
};
std::vector<RefLine> ref_lines(std::string_view text) {
    std::vector<RefLine> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.push_back({text.substr(start), {}});
            break;
        }
        const std::size_t stop = lf > start && text[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back({text.substr(start, stop - start), text.substr(stop, lf + 1 - stop)});
        start = lf + 1;
    }
    return lines;
}
std::string ref_restore(std::string_view text, std::string_view original) {
    std::string repaired(original);
    const TextChecks checks = check_text(repaired);
    if (checks.obsolete_code) normalize_language_codes(repaired);
    if (checks.line_repairs) normalize_document(repaired);
    const auto want = ref_lines(text), orig = ref_lines(original), read = ref_lines(repaired);
    if (orig.size() != read.size()) return std::string(text);
    const std::string_view style =
        !orig.empty() && !orig.front().end.empty() ? orig.front().end : kCrLf;
    std::string out;
    auto put_new = [&](const RefLine& line, std::string_view end) {
        out += line.bytes;
        if (!line.end.empty()) out += end.empty() ? style : end;
    };
    std::size_t i = 0, j = 0;
    while (i < want.size()) {
        if (j < read.size() && want[i].bytes == read[j].bytes) {
            out += orig[j].bytes;
            if (!want[i].end.empty()) out += orig[j].end.empty() ? style : orig[j].end;
            ++i, ++j;
            continue;
        }
        std::size_t removed = 0, added = 0;
        for (std::size_t d = 1; d <= 64 && j + d < read.size(); ++d)
            if (read[j + d].bytes == want[i].bytes) {
                removed = d;
                break;
            }
        for (std::size_t d = 1; d <= 64 && j < read.size() && i + d < want.size(); ++d)
            if (want[i + d].bytes == read[j].bytes) {
                added = d;
                break;
            }
        if (removed > 0 && (added == 0 || removed <= added)) {
            j += removed;
        } else if (added > 0) {
            for (std::size_t d = 0; d < added; ++d) put_new(want[i + d], {});
            i += added;
        } else {
            put_new(want[i], j < orig.size() ? orig[j].end : std::string_view());
            ++i;
            if (j < read.size()) ++j;
        }
    }
    return out;
}

} // namespace

// Long files with edits scattered through them (lines changed, added, removed, a last line with
// or without its end, LF files the open repairs): the save compares long runs of lines at once,
// and must write what pairing the lines one by one writes.
TEST(KeepLayoutLines, BulkComparisonWritesWhatLineByLinePairingWrites) {
    unsigned seed = 7;
    auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    const std::vector<std::string> pool{"[_point]",         "Type=0x01", "String1=0x04,Lake",
                                        "String2=0x02,See", "[end]",     "",
                                        "; note",           "\"!! !\""};
    for (int round = 0; round < 300; ++round) {
        const bool lf_file = round % 3 == 0;
        const std::string eol = lf_file ? "\n" : "\r\n";
        std::vector<std::string> lines;
        const int n = 1 + int(next() % 400);
        for (int k = 0; k < n; ++k) lines.push_back(pool[next() % pool.size()]);
        std::string original;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            original += round % 2 && lines[k] == "[end]" && k % 2 ? "[End]" : lines[k];
            if (k + 1 < lines.size() || next() % 2) original += eol;
        }
        // The document as read (CR LF, "[end]"), then edited.
        std::string repaired = lf_file ? replace_all(original, "\n", "\r\n") : original;
        repaired = replace_all(repaired, "[End]", "[end]");
        std::vector<std::string> edited = lines;
        for (int e = int(next() % 6); e > 0; --e) {
            const std::size_t at = next() % (edited.size() + 1);
            switch (next() % 3) {
            case 0:
                edited.insert(edited.begin() + long(at), "String3=0x02,Neu");
                break;
            case 1:
                if (at < edited.size()) edited.erase(edited.begin() + long(at));
                break;
            default:
                if (at < edited.size()) edited[at] = "String2=0x02,Neu " + std::to_string(e);
            }
        }
        std::string text;
        for (std::size_t k = 0; k < edited.size(); ++k) {
            text += edited[k];
            if (k + 1 < edited.size() || next() % 2) text += "\r\n";
        }
        ASSERT_EQ(restore_original_lines(text, original), ref_restore(text, original))
            << "round " << round;
        ASSERT_EQ(restore_original_lines(repaired, original), ref_restore(repaired, original))
            << "round " << round;
    }
}

TEST_F(KeepLayout, TheChoiceIsASettingThatTheMenuTurnsAndTheSettingsFileKeeps) {
    EXPECT_FALSE(st.kept.keep_layout);
    run_action(st, ui, ActionId::kKeepLayout);
    EXPECT_TRUE(st.kept.keep_layout);
    const std::string text = settings_text(st);
    State back;
    read_settings_text(back, text);
    EXPECT_TRUE(back.kept.keep_layout);
    run_action(st, ui, ActionId::kKeepLayout);
    State off;
    off.kept.keep_layout = true; // a file without the line leaves the value as it is
    read_settings_text(off, settings_text(st));
    EXPECT_EQ(settings_text(st).find(kKeepLayoutLine), std::string::npos);
    // Without it the save writes the sections in its own order, as always.
    ASSERT_TRUE(open("style.txt", typ_header() + "[_point]\r\nType=0x2f\r\nString1=0x04,Well\r\n"
                                                 "[End]\r\n[_polygon]\r\nType=0x01\r\n"
                                                 "String1=0x04,Lake\r\n[end]\r\n"));
    std::string path = st.document_path;
    ASSERT_TRUE(save_document(st, ui, path).ok());
    const std::string saved = TempDir::read(path);
    EXPECT_LT(saved.find("[_polygon]"), saved.find("[_point]"));
}

} // namespace lex
