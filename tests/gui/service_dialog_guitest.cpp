// "Translation Service...": the dialog's fields and its Test against local servers, and the
// window's status bar and settings file.

#include "commands/settings.h"
#include "commands/translation_service.h"
#include "gui/main_window.h"
#include "gui/service_dialog.h"
#include "support/fixtures.h"
#include "support/http_server.h"

#include <QtWidgets>

#include <cstdlib>

namespace lex {

using namespace lex::test;

TEST(ServiceDialog, TestsWhatTheFieldsSayAndKeepsEachServicesFields) {
    State st = english_to_german();
    st.win.language_row[1] = 5; // Spanish
    FakeUi ui;
    HttpServer server;
    server.handler = [](const HttpRequest&) {
        return HttpReply{200, "application/json", R"({"translatedText": ["Lago"]})"};
    };
    ServiceSettings settings;
    settings.chosen = true;
    settings.kind = ServiceKind::kLibreTranslate;
    ServiceDialog dialog(st, ui, settings, "");
    EXPECT_EQ(dialog.keyEdit()->echoMode(), QLineEdit::Password);
    dialog.addressEdit()->setText(QString::fromStdString(server.base()));
    dialog.keyEdit()->setText("secret");
    dialog.testButton()->click();
    EXPECT_EQ(dialog.resultLabel()->text(), QString::fromUtf8("Lake \u2192 Lago"));
    EXPECT_EQ(QJsonDocument::fromJson(server.requests.at(0).body).object().value("api_key"),
              "secret");

    // Each service shows its own key; the web page answers from its own address.
    dialog.serviceBox()->setCurrentIndex(int(ServiceKind::kDeepL));
    EXPECT_TRUE(dialog.keyEdit()->text().isEmpty());
    dialog.serviceBox()->setCurrentIndex(int(ServiceKind::kWebPage));
    EXPECT_FALSE(dialog.keyEdit()->isEnabled());
    dialog.addressEdit()->setText(QString::fromStdString(server.url()));
    server.handler = nullptr;
    server.canned["Lake"] = "Lago web";
    dialog.testButton()->click();
    EXPECT_EQ(dialog.resultLabel()->text(), QString::fromUtf8("Lake \u2192 Lago web"));
    EXPECT_NE(st.translate_url, server.url()); // the address is kept only when accepted

    // An address that is no web address is refused, and the dialog stays.
    dialog.addressEdit()->setText("ftp://example.org");
    dialog.accept();
    EXPECT_EQ(ui.messages, Strings{"\"ftp://example.org\" is not a web address (http://... or "
                                   "https://...)."});
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.serviceBox()->setCurrentIndex(int(ServiceKind::kLibreTranslate));
    EXPECT_EQ(dialog.addressEdit()->text().toStdString(), server.base());
    EXPECT_EQ(dialog.settings().key[std::size_t(ServiceKind::kLibreTranslate)], "secret");
    EXPECT_EQ(dialog.webAddress(), "ftp://example.org");

    // Closing during a slow test stops it; the dialog closes once it has ended.
    server.handler = [](const HttpRequest&) { return HttpReply{200, "", "", 5000}; };
    dialog.show();
    QTimer::singleShot(100, &dialog, [&dialog] { dialog.reject(); });
    QElapsedTimer clock;
    clock.start();
    dialog.testButton()->click();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(dialog.resultLabel()->text(), "Stopped.");
    EXPECT_FALSE(dialog.isVisible() || st.stop_requested);
}

TEST(ServiceDialog, TheWindowNamesTheServiceAndKeepsTheChoice) {
    TempDir home;
    HttpServer server;
    std::filesystem::create_directories(home.file("dictionaries"));
    home.write("dictionaries/EN.dic", "lake\r\n");
    setenv("LEXMARIN_TRANSLATE_URL", server.url().c_str(), 1);
    FakeUi dialogs;
    {
        MainWindow w(home.str(), "", &dialogs);
        const QString overridden = QString::fromStdString(
            "Translation: Web page at " + server.url() + " (LEXMARIN_TRANSLATE_URL)");
        EXPECT_EQ(w.serviceCaption()->text(), overridden);
        // Choose LibreTranslate and accept: the file keeps it, the environment still rules.
        QTimer poll; // the dialog shows once it has looked for the offline engine
        QObject::connect(&poll, &QTimer::timeout, [&poll] {
            auto* dialog = qobject_cast<ServiceDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            poll.stop();
            dialog->serviceBox()->setCurrentIndex(int(ServiceKind::kLibreTranslate));
            dialog->addressEdit()->setText("http://127.0.0.1:5000");
            EXPECT_TRUE(dialog->memoryBox()->isChecked()); // on unless turned off
            dialog->memoryBox()->setChecked(false);
            dialog->thresholdBox()->setValue(90);
            dialog->accept();
        });
        poll.start(10);
        w.serviceItem()->trigger();
        EXPECT_EQ(w.serviceCaption()->text(), overridden);
        EXPECT_EQ(w.state().translate_url, server.url());
        EXPECT_FALSE(w.memory().enabled);
    }
    unsetenv("LEXMARIN_TRANSLATE_URL");
    const ServiceSettings kept = read_service_settings(home.file("translation.ini"));
    EXPECT_TRUE(kept.chosen && kept.kind == ServiceKind::kLibreTranslate);
    EXPECT_EQ(kept.address[std::size_t(ServiceKind::kLibreTranslate)], "http://127.0.0.1:5000");
    EXPECT_FALSE(kept.memory);
    EXPECT_EQ(kept.memory_threshold, 90);
    EXPECT_EQ(TempDir::read(home.file("translation.ini")).find(server.url()), std::string::npos);
    {
        MainWindow w(home.str(), "", &dialogs);
        EXPECT_EQ(w.serviceCaption()->text(), "Translation: LibreTranslate");
        EXPECT_FALSE(w.memory().enabled);
        EXPECT_EQ(w.memory().threshold, 90);
    }
    EXPECT_EQ(dialogs.messages, Strings{});
}

} // namespace lex
