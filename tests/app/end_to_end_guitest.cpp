// The whole round as a user does it: open a file, translate a pane against a local stand-in
// for the translation page, type into a box, save, start again and reopen from the recent list.

#include "commands/file_menu.h"
#include "document/state.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "support/fake_ui.h"
#include "support/http_server.h"
#include "support/temp_dir.h"
#include "support/typ.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace lex {

using test::crlf;
using test::FakeUi;
using test::HttpReply;
using test::HttpRequest;
using test::HttpServer;
using test::TempDir;
using test::typ_element;
using test::typ_header;

namespace {

// Answers a batch "a,b,c" with "Der a, Der b, Der c".
HttpReply german(const HttpRequest& request) {
    std::string out;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = request.text.find(',', start);
        std::string item = request.text.substr(start, comma - start);
        while (!item.empty() && item.front() == ' ') item.erase(0, 1);
        out += (out.empty() ? "Der " : ", Der ") + item;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    HttpReply reply;
    reply.body = test::translation_page(out);
    return reply;
}

} // namespace

class EndToEnd : public ::testing::Test {
protected:
    TempDir home;
    FakeUi dialogs;
    HttpServer server;

    void SetUp() override {
        setenv("LEXMARIN_HOME", home.str().c_str(), 1);
        setenv("LEXMARIN_TRANSLATE_URL", server.url().c_str(), 1);
        std::filesystem::create_directories(home.file("dictionaries"));
        home.write("dictionaries/EN.dic", "lake\r\n");
        server.handler = german;
    }
    void TearDown() override {
        unsetenv("LEXMARIN_HOME");
        unsetenv("LEXMARIN_TRANSLATE_URL");
    }
};

TEST_F(EndToEnd, TranslateEditSaveAndReopenFromTheRecentList) {
    std::string doc = typ_header();
    for (const char* name : {"Lake", "Forest", "Park", "Marsh"})
        doc += typ_element("[_polygon]", crlf({"Type=0x01", std::string("String1=0x04,") + name}));
    doc += typ_element("[_line]", crlf({"Type=0x02", "String1=0x04,Road", "String2=0x02,Strasse"}));
    doc += typ_element("[_point]", crlf({"Type=0x2a00", "String1=0x04,Inn"}));
    const std::string path = home.write("city.txt", doc);

    auto w = std::make_unique<MainWindow>(home.str(), path, &dialogs);
    w->show();
    ASSERT_EQ(w->state().row_count(kPolygons), 4);

    // Translate the polygons: two batches of at most three labels.
    w->translateButton(0)->click();
    EXPECT_FALSE(w->locked());
    ASSERT_EQ(server.requests.size(), 2u);
    EXPECT_EQ(server.requests[0].text, "Lake,Forest,Park");
    EXPECT_EQ(server.requests[0].langpair, "en|de");
    EXPECT_EQ(server.requests[1].text, "Marsh");
    EXPECT_EQ(w->state().row(0, 0).text, "Der Lake");
    EXPECT_EQ(w->state().row(0, 3).text, "Der Marsh");
    EXPECT_TRUE(w->state().changed);

    // Type into the second box.
    QLineEdit* box = w->pane(0)->editorForRow(1);
    ASSERT_NE(box, nullptr);
    box->setFocus();
    box->selectAll();
    for (QChar c : QStringLiteral("Wald")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
    EXPECT_EQ(w->state().row(0, 1).text, "Wald");

    ASSERT_TRUE(w->fileItem(kSave)->isEnabled());
    w->fileItem(kSave)->trigger();
    // The document came from the command line: the editor that started us must reload it.
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"File has to be reloaded in Stylora5"});
    EXPECT_FALSE(w->state().changed);
    const std::string saved = TempDir::read(path);
    EXPECT_NE(saved.find("String1=0x04,Lake\r\nString2=0x02,Der Lake\r\n"), std::string::npos);
    EXPECT_NE(saved.find("String1=0x04,Forest\r\nString2=0x02,Wald\r\n"), std::string::npos);
    EXPECT_NE(saved.find("String1=0x04,Road\r\nString2=0x02,Strasse\r\n"), std::string::npos);
    // The backup of the file as it was before the save.
    bool backup = false;
    for (const auto& e : std::filesystem::directory_iterator(home.file("system")))
        backup |= e.path().filename().string().starts_with("city");
    EXPECT_TRUE(backup);

    w->close();
    w.reset();

    // Start again without a file and pick it from the recent list.
    auto again = std::make_unique<MainWindow>(home.str(), "", &dialogs);
    ASSERT_TRUE(again->fileItem(kRecentFirst)->isEnabled());
    again->fileItem(kRecentFirst)->trigger();
    ASSERT_EQ(again->state().row_count(kPolygons), 4);
    EXPECT_EQ(again->state().row(0, 0).text, "Der Lake");
    EXPECT_EQ(again->state().row(0, 1).text, "Wald");
    EXPECT_EQ(again->state().row(1, 0).text, "Strasse");
}

} // namespace lex
