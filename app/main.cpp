#include "app/main_window.h"

#include <QApplication>
#include <QFile>
#include <QStringList>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lexmarin");
    QApplication::setOrganizationName("Lexmarin");
    // The whole command line is one document path, blanks and all: a path given as one
    // argument is used as it is; one split at its blanks is joined back.
    QStringList args = QApplication::arguments();
    args.removeFirst();
    const QByteArray path = QFile::encodeName(args.join(QLatin1Char(' ')));
    lex::MainWindow window(path.toStdString());
    window.show();
    return QApplication::exec();
}
