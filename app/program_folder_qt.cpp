#include "app/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace lex {

std::string program_folder() {
    QString dir = qEnvironmentVariable("LEXMARIN_HOME");
    if (dir.isEmpty()) {
        dir = QCoreApplication::applicationDirPath();
        if (!QFileInfo(dir).isWritable())
            dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    QDir().mkpath(dir);
    return QDir::toNativeSeparators(QDir::cleanPath(dir)).toStdString();
}

} // namespace lex
