#include "document/codec_qt.h"
#include "document/label_edits.h"
#include "document/pictures.h"
#include "document/png.h"
#include "document/single_byte.h"
#include "support/fixtures.h"
#include "translate/element_context.h"
#include "view/picture_shelf.h"
#include "view/rows.h"

namespace lex {

using namespace lex::test;

namespace {

constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t opaque(std::uint32_t rgb) {
    return 0xFF000000u | rgb;
}

// A body of lines joined with CR LF.
std::string body(std::initializer_list<std::string> lines) {
    return crlf(lines);
}

// The lines of a `side` x `side` pattern: '!' on the diagonal and the first row, ' ' elsewhere.
std::vector<std::string> pattern_rows(int side) {
    std::vector<std::string> rows;
    for (int y = 0; y < side; ++y) {
        std::string row(std::size_t(side), ' ');
        for (int x = 0; x < side; ++x)
            if (x == y || y == 0) row[std::size_t(x)] = '!';
        rows.push_back("\"" + row + "\"");
    }
    return rows;
}

std::string pattern_body(const std::string& header, std::initializer_list<std::string> colours,
                         int side) {
    std::string out = "Type=0x01\r\nString1=0x04,Heath\r\n" + header + "\r\n";
    for (const auto& c : colours) out += c + "\r\n";
    for (const auto& r : pattern_rows(side)) out += r + "\r\n";
    return out;
}

} // namespace

// Real-shaped bitmaps decode to the pixels they draw.
TEST(Pictures, DecodeThePatternsColoursAndStrokesStylesCarry) {
    // A 32 x 32 two-colour pattern with "none" transparency.
    const auto heath = read_element_pictures(
        pattern_body("Xpm=\"32 32 2 1\"", {"\"! c #5A7DB4\"", "\"  c none\""}, 32), kPolygons);
    ASSERT_EQ(heath.day.width * 1000 + heath.day.height, 32032);
    EXPECT_FALSE(heath.day.solid);
    EXPECT_EQ(heath.day.at(5, 5), opaque(0x5A7DB4));
    EXPECT_EQ(heath.day.at(31, 0), opaque(0x5A7DB4));
    EXPECT_EQ(heath.day.at(4, 5), kNone);
    EXPECT_TRUE(heath.night.empty()); // two colours: no night picture of its own
    EXPECT_EQ(&heath.shown(true), &heath.day);

    // A four-colour pattern holds the night colours in its last two.
    const auto pitch = read_element_pictures(
        pattern_body("Xpm=\"8 8 4 1\"",
                     {"\"! c #00FF00\"", "\"  c #FFFFFF\"", "\"x c #004000\"", "\". c #202020\""},
                     8),
        kPolygons);
    EXPECT_EQ(pitch.day.at(3, 3), opaque(0x00FF00));
    EXPECT_EQ(pitch.night.at(3, 3), opaque(0x004000));
    EXPECT_EQ(pitch.night.at(2, 3), opaque(0x202020));

    // A solid swatch; a second colour is its night colour.
    const auto lake = read_element_pictures(
        body({"Type=0x3c", "String1=0x04,Lake", "Xpm=\"0 0 1 0\"", "\"1 c #B4D2F0\""}), kPolygons);
    EXPECT_TRUE(lake.day.solid);
    EXPECT_EQ(lake.day.pixels, std::vector<std::uint32_t>{opaque(0xB4D2F0)});
    EXPECT_TRUE(lake.night.empty());
    const auto sea = read_element_pictures(
        body({"Xpm=\"0 0 2 0\"", "\"1 c #B4D2F0\"", "\"2 c #102040\""}), kPolygons);
    EXPECT_EQ(sea.night.pixels, std::vector<std::uint32_t>{opaque(0x102040)});

    // A line with two colours: its width in the first, edged in the second.
    const auto road =
        read_element_pictures(body({"Type=0x01", "LineWidth=3", "BorderWidth=1", "Xpm=\"0 0 2 0\"",
                                    "\"1 c #FFCC00\"", "\"2 c #303030\""}),
                              kLines);
    ASSERT_EQ(road.day.width * 1000 + road.day.height, kStrokeLength * 1000 + 5);
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(road.day.at(kStrokeLength - 1, y), opaque(y == 0 || y == 4 ? 0x303030 : 0xFFCC00))
            << y;
    // One colour and no widths: a thin stroke without an edge.
    const auto path = read_element_pictures(body({"Xpm=\"0 0 1 0\"", "\"1 c #A0A0A0\""}), kLines);
    EXPECT_EQ(path.day.height, 1);
    // A line drawn by its pixels keeps them.
    const auto rail = read_element_pictures(
        body({"Xpm=\"4 2 2 1\"", "\"x c #000000\"", "\"o c #FFFFFF\"", "\"xoxo\"", "\"oxox\""}),
        kLines);
    EXPECT_EQ(rail.day.at(0, 0), opaque(0x000000));
    EXPECT_EQ(rail.day.at(0, 1), opaque(0xFFFFFF));

    // A day and night pair, two characters a pixel.
    const auto hotel =
        read_element_pictures(body({"Type=0x2b", "String1=0x04,Hotel", "DayXpm=\"2 2 2 2\"",
                                    "\"aa c #FF0000\"", "\"ab c none\"", "\"aaab\"", "\"abaa\"",
                                    "NightXpm=\"2 1 1 2\"", "\"zz c #800000\"", "\"zzzz\""}),
                              kPoints);
    EXPECT_EQ(hotel.day.pixels,
              (std::vector<std::uint32_t>{opaque(0xFF0000), kNone, kNone, opaque(0xFF0000)}));
    EXPECT_EQ(hotel.night.pixels, (std::vector<std::uint32_t>{opaque(0x800000), opaque(0x800000)}));
    EXPECT_EQ(&hotel.shown(true), &hotel.night);
}

// Counts out of bounds or not matched by the lines that follow make no picture, and a broken
// picture never stops the rows.
TEST(Pictures, ABrokenBitmapIsNoPictureAndTheRowsStay) {
    const std::string pixels2 = "\"!!\"\r\n\"!!\"";
    const std::string colour = "\"! c #102030\"";
    const char* broken[] = {
        "Xpm=\"257 1 1 1\"",   // too wide
        "Xpm=\"2 2 257 1\"",   // too many colours
        "Xpm=\"2 2 1 3\"",     // three characters a pixel
        "Xpm=\"2 2 1 0\"",     // pixels need a character
        "Xpm=\"2 0 1 1\"",     // a width without a height
        "Xpm=\"2 2 0 1\"",     // no colour
        "Xpm=\"-2 2 1 1\"",    // no count
        "Xpm=\"2 2 1\"",       // a count missing
        "Xpm=2 2 1 1",         // not quoted
        "Xpm=\"99999 2 1 1\"", // far too wide
        "Xpm=\"2 3 1 1\"",     // one pixel line short
        "Xpm=\"3 2 1 1\"",     // pixel lines too short
        "Xpm=\"2 2 2 1\"",     // one colour line short: a pixel line taken for one
        ";Xpm=\"2 2 1 1\"",    // commented out
    };
    for (const char* header : broken) {
        const auto p = read_element_pictures(
            std::string(header) + "\r\n" + colour + "\r\n" + pixels2 + "\r\n", kPoints);
        EXPECT_TRUE(p.day.empty() && p.night.empty()) << header;
    }
    const char* bad_lines[] = {
        "\"! c #10203\"\r\n\"!!\"\r\n\"!!\"",   // a short colour
        "\"! c #1020GG\"\r\n\"!!\"\r\n\"!!\"",  // not hexadecimal
        "\"! #102030\"\r\n\"!!\"\r\n\"!!\"",    // no "c"
        "\"! c #102030\"\r\n\"!x\"\r\n\"!!\"",  // a pixel without a colour
        "\"! c #102030\"\r\n\"!!\r\n\"!!\"",    // an unclosed pixel line
        "\"! c #102030\"\r\n\"!!!\"\r\n\"!!\"", // a pixel too many
        "\"! c #102030\"\r\n\"!!\"",            // the last pixel line missing
    };
    for (const char* lines : bad_lines) {
        const auto p = read_element_pictures("Xpm=\"2 2 1 1\"\r\n" + std::string(lines), kPoints);
        EXPECT_TRUE(p.day.empty()) << lines;
    }
    // A broken night picture leaves the day picture.
    const auto half = read_element_pictures(
        "DayXpm=\"0 0 1 0\"\r\n\"1 c #102030\"\r\nNightXpm=\"0 0 9 0\"\r\n", kPolygons);
    EXPECT_TRUE(half.day.solid);
    EXPECT_TRUE(half.night.empty());

    State st;
    FakeUi ui;
    st.document =
        typ_header() +
        typ_element("[_point]", {"String1=0x04,Broken", "Xpm=\"300 300 1 1\"", "\"! c #102030\""}) +
        typ_element("[_point]",
                    {"String1=0x04,Whole", "Xpm=\"1 1 1 1\"", "\"! c #102030\"", "\"!\""});
    rebuild_rows(st, ui);
    ASSERT_EQ(st.row_count(kPoints), 2);
    PictureShelf shelf(kPoints);
    EXPECT_TRUE(shelf.pictures(st, st.rows(kPoints)[0])->day.empty());
    EXPECT_EQ(shelf.pictures(st, st.rows(kPoints)[1])->day.pixels,
              std::vector<std::uint32_t>{opaque(0x102030)});
}

// The shelf decodes an element when its row is first shown, keeps it while the document stays
// open and finds the element again after its text moved.
TEST(Pictures, TheShelfDecodesEachShownElementOnceAndFollowsTheText) {
    State st;
    FakeUi ui;
    st.documents_opened = 1;
    st.document =
        typ_header() +
        typ_element("[_polygon]",
                    {"String1=0x02,Nur Deutsch", "Xpm=\"0 0 1 0\"", "\"1 c #000001\""}) +
        typ_element("[_line]", {"String1=0x04,Road"}) +
        typ_element("[_polygon]", {"String1=0x04,Lake", "Xpm=\"0 0 1 0\"", "\"1 c #000002\""}) +
        typ_element("[_polygon]", {"String1=0x04,Wood", "Xpm=\"0 0 1 0\"", "\"1 c #000003\""});
    rebuild_rows(st, ui);
    ASSERT_EQ(st.row_count(kPolygons), 2); // the German-only polygon has no row
    PictureShelf shelf(kPolygons);
    const Row lake = st.rows(kPolygons)[0];
    const Row wood = st.rows(kPolygons)[1];
    EXPECT_EQ(lake.element * 10 + wood.element, 12);
    EXPECT_EQ(shelf.decoded(), 0u);
    EXPECT_EQ(shelf.pictures(st, wood)->day.pixels.front(), opaque(0x000003));
    EXPECT_EQ(shelf.pictures(st, wood), shelf.pictures(st, wood));
    EXPECT_EQ(shelf.decoded(), 1u);

    // A label edited in front of the element moves its text: the body is found again.
    const std::size_t at = st.document.find("Lake");
    st.document.replace(at, 4, "Lake district");
    EXPECT_NE(shelf.body(st, lake).find("Lake district"), std::string_view::npos);
    EXPECT_EQ(shelf.pictures(st, lake)->day.pixels.front(), opaque(0x000002));
    // ... also when the text keeps its size and only the lines in front of it moved.
    st.document.replace(st.document.find("Lake district"), 13, "Lake");
    st.document.replace(st.document.find("Nur Deutsch"), 11, "Nur Deutsch         ");
    EXPECT_EQ(shelf.body(st, lake).substr(0, 17), "String1=0x04,Lake");
    EXPECT_EQ(shelf.body(st, wood).substr(0, 17), "String1=0x04,Wood");

    // Another document: nothing decoded is kept.
    EXPECT_EQ(shelf.decoded(), 2u);
    ++st.documents_opened;
    shelf.pictures(st, lake);
    EXPECT_EQ(shelf.decoded(), 1u);
    Row list_row;
    EXPECT_EQ(shelf.pictures(st, list_row), nullptr);
    EXPECT_TRUE(shelf.body(st, list_row).empty());
}

// A decoded picture is kept only while the bytes it was read from stay as they were: after a
// change of the text the rows shown whose elements changed are decoded again, and no others.
TEST(Pictures, TheShelfDecodesAgainWhatItShowsAfterTheTextChanged) {
    using Pixels = std::vector<std::uint32_t>;
    State st;
    FakeUi ui;
    st.documents_opened = 1;
    st.document =
        typ_header() +
        typ_element("[_polygon]",
                    {"String1=0x04,Lake", "Xpm=\"0 0 1 0\"", "String2=0x02,", "\"1 c #000002\""}) +
        typ_element("[_polygon]", {"String1=0x04,Wood", "Xpm=\"0 0 1 0\"", "\"1 c #000003\""});
    rebuild_rows(st, ui);
    ASSERT_EQ(st.row_count(kPolygons), 2);
    const Row lake = st.rows(kPolygons)[0];
    const Row wood = st.rows(kPolygons)[1];
    PictureShelf shelf(kPolygons);
    // A label line among the picture's lines breaks it; deleting the empty labels mends it.
    EXPECT_TRUE(shelf.pictures(st, lake)->day.empty());
    EXPECT_EQ(shelf.pictures(st, wood)->day.pixels, Pixels{opaque(0x000003)});
    LabelEdit edit = remove_empty_labels(st.document);
    ASSERT_EQ(edit.count, 1);
    st.document = std::move(edit.text);
    st.text_changed();
    EXPECT_EQ(shelf.pictures(st, lake)->day.pixels, Pixels{opaque(0x000002)});
    EXPECT_EQ(shelf.decoded(), 3u); // the wood is not shown: not decoded yet

    // A change in place that keeps the text's size.
    shelf.pictures(st, wood);
    st.document.replace(st.document.find("#000003"), 7, "#0000FF");
    st.text_changed();
    EXPECT_EQ(shelf.pictures(st, wood)->day.pixels, Pixels{opaque(0x0000FF)});

    // Another file's text held for a moment, as while opening it is refused, and the rows of the
    // text before shown meanwhile.
    std::string other =
        typ_header() +
        typ_element("[_polygon]", {"String1=0x04,Sea", "Xpm=\"0 0 1 0\"", "\"1 c #000008\""}) +
        typ_element("[_polygon]", {"String1=0x04,Park", "Xpm=\"0 0 1 0\"", "\"1 c #000009\""});
    st.document.swap(other);
    st.text_changed();
    shelf.pictures(st, lake);
    st.document.swap(other);
    st.text_changed();
    EXPECT_EQ(shelf.pictures(st, lake)->day.pixels, Pixels{opaque(0x000002)});
    EXPECT_EQ(shelf.pictures(st, wood)->day.pixels, Pixels{opaque(0x0000FF)});
}

// The tool tip's context: the type and the labels of the languages the row does not show, by
// name, each in its own code page.
TEST(Pictures, TheContextNamesTheOtherLanguagesInTheirCodePages) {
    const std::string element = body(
        {"Type=0x01", "SubType=0x0A", "String1=0x04,Residential", "String2=0x01,R\xE9sidentiel",
         "String3=0x02,Wohngebiet", "String4=0x03,Woonwijk", "String5=0x19,\xC6\xE8\xEB\xEE\xE9",
         "String6=0x1f,", ";String7=0x05,Commented", "String8=0x2A,Other|s"});
    const ElementContext c = element_context(element, {0x04, 0x02}, false);
    EXPECT_EQ(type_text(c), "Type 0x01/0x0a");
    EXPECT_EQ(other_labels_text(c, utf8_text),
              "French: R\xC3\xA9sidentiel \xC2\xB7 Dutch: Woonwijk \xC2\xB7 Russian: "
              "\xD0\x96\xD0\xB8\xD0\xBB\xD0\xBE\xD0\xB9 \xC2\xB7 0x2A: Others");
    // The plain tables give the same where they have the code page.
    EXPECT_EQ(other_labels_text(element_context(element, {0x04, 0x02, 0x19, 0x2a}, false),
                                single_byte_to_utf8),
              "French: R\xC3\xA9sidentiel \xC2\xB7 Dutch: Woonwijk");
    // UTF-8 labels are read as UTF-8 whatever their language.
    const ElementContext utf8 = element_context("String1=0x19,\xD0\x96\r\nType=0x2f\r\n", {}, true);
    EXPECT_EQ(other_labels_text(utf8, utf8_text), "Russian: \xD0\x96");
    EXPECT_EQ(type_text(utf8), "Type 0x2f");
    EXPECT_EQ(type_text(element_context("String1=0x04,x\r\n", {}, false)), "");
    EXPECT_EQ(language_name(0x1f) + language_name(0) + language_name(0x08),
              "LithuanianUnspecifiedSpanish");
}

// The PNG files the legend embeds: signature, chunks with their checksums, stored image data.
TEST(Pictures, PngFilesHoldThePixels) {
    Picture p;
    p.width = 2;
    p.height = 1;
    p.pixels = {opaque(0x123456), kNone};
    const std::string png = png_file(p);
    ASSERT_GE(png.size(), 8u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_NE(png.find("PLTE\x12\x34\x56"), std::string::npos);
    EXPECT_NE(png.find("IEND"), std::string::npos);
    // IHDR: width 2, height 1, 8 bits, palette; its CRC as zlib's crc32 gives it.
    EXPECT_EQ(png.substr(8, 25), std::string("\0\0\0\x0dIHDR\0\0\0\x02\0\0\0\x01\x08\x03\0\0\0"
                                             "\xc3\xfc\x8f\xb8",
                                             25));
    EXPECT_TRUE(png_file(Picture{}).empty());
    EXPECT_EQ(base64("Ma") + base64("Man") + base64("M") + base64(""), "TWE=TWFuTQ==");
}

} // namespace lex
