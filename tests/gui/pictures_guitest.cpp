#include "commands/actions.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "support/fixtures.h"
#include "view/panes.h"

#include <QtWidgets>

#include <regex>

namespace lex {

using namespace lex::test;

namespace {

void pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// A style with a solid polygon, a patterned one, a line and, `with_points`, a point with a day
// and a night picture.
std::string style(bool with_points) {
    std::string text =
        typ_header() +
        typ_element("[_polygon]",
                    {"Type=0x3c", "String1=0x04,Lake", "String2=0x02,See", "String3=0x01,Lac",
                     "String4=0x19,\xCE\xE7\xE5\xF0\xEE", "Xpm=\"0 0 1 0\"", "\"1 c #B4D2F0\""}) +
        typ_element("[_polygon]", {"Type=0x4f", "String1=0x04,Heath", "Xpm=\"2 2 2 1\"",
                                   "\"! c #806040\"", "\"  c none\"", "\"! \"", "\" !\""}) +
        typ_element("[_line]",
                    {"Type=0x01", "String1=0x04,Motorway", "LineWidth=3", "BorderWidth=1",
                     "Xpm=\"0 0 2 0\"", "\"1 c #FFCC00\"", "\"2 c #303030\""});
    if (with_points)
        text += typ_element("[_point]", {"Type=0x2b", "SubType=0x01", "String1=0x04,Hotel",
                                         "DayXpm=\"1 1 1 1\"", "\"x c #FF0000\"", "\"x\"",
                                         "NightXpm=\"1 1 1 1\"", "\"x c #400000\"", "\"x\""});
    return text;
}

} // namespace

class PicturesTest : public ::testing::Test {
protected:
    TempDir home;
    FakeUi dialogs;
    std::unique_ptr<MainWindow> w;
    void SetUp() override {
        setenv("LEXMARIN_HOME", home.str().c_str(), 1);
        // Translations would go to a page: German stays the target whatever this machine's
        // offline engine reaches.
        setenv("LEXMARIN_TRANSLATE_URL", "http://127.0.0.1:9/t", 1);
    }
    void TearDown() override {
        w.reset();
        unsetenv("LEXMARIN_HOME");
        unsetenv("LEXMARIN_TRANSLATE_URL");
    }
    void open(const std::string& path, int height = 720) {
        w = std::make_unique<MainWindow>(home.str(), path, &dialogs);
        w->resize(960, height);
        w->show();
        pump();
    }
};

// Each row shows its element's picture at its left, by day or, with View > Night Pictures, by
// night; its tool tip names the type and the labels in the other languages.
TEST_F(PicturesTest, RowsShowTheirPicturesAndTheOtherLanguagesOnHover) {
    open(home.write("style.txt", style(true)));
    auto polygons = w->pane(kPolygons)->shownRows();
    ASSERT_GE(polygons.size(), 3u);
    EXPECT_TRUE(polygons[0].solid);
    EXPECT_EQ(polygons[0].picture.pixelColor(0, 0), QColor(0xB4, 0xD2, 0xF0));
    EXPECT_FALSE(polygons[1].solid);
    EXPECT_EQ(polygons[1].picture.size(), QSize(2, 2));
    EXPECT_EQ(polygons[1].picture.pixelColor(0, 0), QColor(0x80, 0x60, 0x40));
    EXPECT_EQ(polygons[1].picture.pixelColor(1, 0).alpha(), 0);
    EXPECT_TRUE(polygons[2].picture.isNull()); // a blank row shows nothing
    const auto lines = w->pane(kLines)->shownRows();
    EXPECT_EQ(lines[0].picture.size(), QSize(kStrokeLength, 5));
    EXPECT_EQ(lines[0].picture.pixelColor(0, 2), QColor(0xFF, 0xCC, 0x00));
    EXPECT_EQ(w->pane(kPoints)->shownRows()[0].picture.pixelColor(0, 0), QColor(255, 0, 0));
    // The picture column stands left of the source label.
    auto* label = w->pane(kPolygons)->findChildren<QLabel*>().first();
    EXPECT_GE(label->x(), 30);

    // The source language (English) and the target (German) are in the row already.
    EXPECT_EQ(w->pane(kPolygons)->rowToolTip(0).toStdString(),
              "Lake\nType 0x3c\nFrench: Lac \xC2\xB7 Russian: \xD0\x9E\xD0\xB7\xD0\xB5\xD1\x80"
              "\xD0\xBE");
    EXPECT_EQ(w->pane(kPolygons)->rowToolTip(1).toStdString(), "Heath\nType 0x4f");
    EXPECT_EQ(w->pane(kPoints)->rowToolTip(0).toStdString(), "Hotel\nType 0x2b/0x01");
    EXPECT_TRUE(w->pane(kPolygons)->rowToolTip(2).isEmpty());

    QAction* night = w->item(ActionId::kNightPictures);
    ASSERT_TRUE(night && night->isCheckable());
    night->trigger();
    pump();
    EXPECT_TRUE(night->isChecked());
    EXPECT_EQ(w->pane(kPoints)->shownRows()[0].picture.pixelColor(0, 0), QColor(0x40, 0, 0));
    // Without a night picture of its own an element shows its day picture.
    EXPECT_EQ(w->pane(kPolygons)->shownRows()[0].picture.pixelColor(0, 0),
              QColor(0xB4, 0xD2, 0xF0));
    night->trigger();
    pump();
    EXPECT_FALSE(night->isChecked());
    EXPECT_EQ(w->pane(kPoints)->shownRows()[0].picture.pixelColor(0, 0), QColor(255, 0, 0));
    // Each element was decoded once, however often it was shown.
    EXPECT_EQ(w->pane(kPolygons)->picturesDecoded(), 2u);
}

// A tool that changes the text changes the pictures its rows show: an empty label line among
// the lines of a picture breaks it until "Delete empty strings" takes it away, and undoing that
// breaks it again.
TEST_F(PicturesTest, ARowShowsItsPictureAsTheChangedTextHasIt) {
    open(home.write("gap.txt",
                    typ_header() + typ_element("[_polygon]",
                                               {"Type=0x3c", "String1=0x04,Lake", "Xpm=\"0 0 1 0\"",
                                                "String2=0x02,", "\"1 c #B4D2F0\""})));
    auto shown = [&] { return w->pane(kPolygons)->shownRows()[0].picture; };
    EXPECT_TRUE(shown().isNull());
    dialogs.answers.push_back(true);
    w->item(ActionId::kDeleteEmpty)->trigger();
    pump();
    ASSERT_FALSE(shown().isNull());
    EXPECT_EQ(shown().pixelColor(0, 0), QColor(0xB4, 0xD2, 0xF0));
    w->item(ActionId::kUndo)->trigger();
    pump();
    EXPECT_TRUE(shown().isNull());
}

// A pane with no rows, or fewer than fill it, looks like one with rows: blank rows down to its
// bottom, no grey block under them and nothing to scroll.
TEST_F(PicturesTest, APaneWithoutRowsFillsItsViewportAndDoesNotScroll) {
    open(home.write("no points.txt", style(false)), 1000);
    for (const Kind kind : {kPoints, kPolygons}) {
        PaneView* pane = w->pane(kind);
        SCOPED_TRACE(kind);
        ASSERT_GT(pane->height(), 600);
        EXPECT_EQ(pane->scrollBar()->maximum(), 0);
        auto* panel = pane->findChild<QWidget*>(QStringLiteral("panel%1").arg(kind));
        ASSERT_TRUE(panel);
        EXPECT_EQ(panel->y(), 0);
        EXPECT_GE(panel->y() + panel->height(), pane->height());
        const auto rows = pane->shownRows();
        ASSERT_FALSE(rows.empty());
        const int pitch = kRowPitch * pane->logicalDpiY() / 1440 + 1;
        EXPECT_GE(rows.back().top + pitch, pane->height()) << rows.size();
    }
}

// File > "Save Legend..." writes one page: every element by kind with its picture as a PNG
// image and its label in the target language, else the source label, marked.
TEST_F(PicturesTest, SaveLegendWritesThePageWithItsImages) {
    open(home.write("style.txt", style(true)));
    const std::string page = home.file("legend.html");
    dialogs.files.push_back(page);
    w->item(ActionId::kSaveLegend)->trigger();
    pump();
    const std::string html = TempDir::read(page);
    ASSERT_FALSE(html.empty());
    EXPECT_NE(html.find("<td>See</td>"), std::string::npos);
    EXPECT_NE(html.find("<span class=\"fallback\">Heath <span class=\"language\">(English)"),
              std::string::npos);
    const std::size_t polygons = html.find("<h2>Polygons</h2>");
    const std::size_t lines = html.find("<h2>Lines</h2>");
    const std::size_t points = html.find("<h2>Points</h2>");
    EXPECT_TRUE(polygons < lines && lines < points && points != std::string::npos);
    // Every image decodes to the element's day picture.
    std::vector<QImage> images;
    const std::regex img("src=\"data:image/png;base64,([A-Za-z0-9+/=]+)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), img);
         it != std::sregex_iterator(); ++it) {
        QImage image;
        EXPECT_TRUE(image.loadFromData(
            QByteArray::fromBase64(QByteArray::fromStdString((*it)[1].str())), "PNG"));
        images.push_back(image.convertToFormat(QImage::Format_ARGB32));
    }
    ASSERT_EQ(images.size(), 4u);
    EXPECT_EQ(images[0].size(), QSize(16, 16));
    EXPECT_EQ(images[0].pixelColor(8, 8), QColor(0xB4, 0xD2, 0xF0));
    EXPECT_EQ(images[1].pixelColor(0, 0), QColor(0x80, 0x60, 0x40));
    EXPECT_EQ(images[1].pixelColor(1, 0).alpha(), 0);
    EXPECT_EQ(images[2].pixelColor(0, 0), QColor(0x30, 0x30, 0x30));
    EXPECT_EQ(images[3].pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(dialogs.messages.back(), "Legend saved: " + page);
}

} // namespace lex
