#include "app/main_window.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lexmarin");
    QApplication::setOrganizationName("Lexmarin");
    // The whole command line is one document path, blanks and all.
    QStringList args = QApplication::arguments();
    args.removeFirst();
    lex::MainWindow window(args.join(' ').toStdString());
    window.show();
    return QApplication::exec();
}
