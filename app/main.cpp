#include "app/program_folder.h"
#include "gui/main_window.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lexmarin");
    QApplication::setOrganizationName("Lexmarin");
    // The whole command line is one document path, blanks and all: a path given as one
    // argument is used as it is; one split at its blanks is joined back.
    QStringList args = QApplication::arguments();
    args.removeFirst();
    QString path = args.join(QLatin1Char(' '));
    // A relative path is kept as the full path, so the recent-file list finds it from anywhere.
    if (!path.isEmpty() && QFileInfo(path).isRelative() && QFileInfo(path).isFile())
        path = QFileInfo(path).absoluteFilePath();
    lex::MainWindow window(lex::program_folder(), QFile::encodeName(path).toStdString());
    window.show();
    return QApplication::exec();
}
