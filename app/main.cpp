#include "app/program_folder.h"
#include "document/ui.h"
#include "gui/main_window.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <cstdio>

namespace {

// With LEXMARIN_QUIT_AFTER_START set, the program starts, closes its window at once (writing
// the settings as any close does) and ends: a check that an installed program starts. A program
// that starts well says nothing: whatever it says goes to standard error and fails the check
// (exit status 1); questions are answered No.
class QuitAfterStart : public lex::SilentUi {
public:
    bool spoke = false; // something was said while starting
    void message(const lex::Message& message) override {
        std::fprintf(stderr, "lexmarin: %s\n", message.text.c_str());
        spoke = true;
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lexmarin");
    QApplication::setOrganizationName("Lexmarin");
    QGuiApplication::setDesktopFileName("lexmarin"); // lexmarin.desktop: its icon and name
    // The whole command line is one document path, blanks and all: a path given as one
    // argument is used as it is; one split at its blanks is joined back.
    QStringList args = QApplication::arguments();
    args.removeFirst();
    QString path = args.join(QLatin1Char(' '));
    // A relative path is kept as the full path, so the recent-file list finds it from anywhere.
    if (!path.isEmpty() && QFileInfo(path).isRelative() && QFileInfo(path).isFile())
        path = QFileInfo(path).absoluteFilePath();
    const bool quitAfterStart = !qEnvironmentVariableIsEmpty("LEXMARIN_QUIT_AFTER_START");
    QuitAfterStart headless;
    lex::MainWindow window(lex::program_folders(), QFile::encodeName(path).toStdString(),
                           quitAfterStart ? &headless : nullptr);
    window.show();
    if (quitAfterStart) QTimer::singleShot(0, &window, &QWidget::close);
    const int status = QApplication::exec();
    return quitAfterStart && headless.spoke ? 1 : status;
}
