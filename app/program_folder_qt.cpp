#include "app/program_folder.h"

#include "document/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

// The installed data folder as seen from the folder of the installed executable; the build
// passes the layout it installs.
#ifndef LEXMARIN_DATA_FROM_BIN
#define LEXMARIN_DATA_FROM_BIN "../share/lexmarin"
#endif

namespace lex {

namespace {

std::string native(const QString& dir) {
    return QDir::toNativeSeparators(QDir::cleanPath(dir)).toStdString();
}

} // namespace

Folders choose_folders(const std::string& home, const std::string& exe_dir,
                       const std::string& per_user) {
    if (!home.empty()) return Folders(native(QString::fromStdString(home)));
    const QString exe = QString::fromStdString(exe_dir);
    const QString installed = QDir(exe).filePath(QStringLiteral(LEXMARIN_DATA_FROM_BIN));
    if (QFileInfo(installed).isDir())
        return {native(QString::fromStdString(per_user)), native(installed)};
    if (QFileInfo(exe).isWritable()) return Folders(native(exe));
    return {native(QString::fromStdString(per_user)), native(exe)};
}

std::string per_user_folder() {
    // Named as the application, not as the installed data folder "share/lexmarin": installed
    // with the prefix ~/.local, the two would otherwise be one folder, and installing again
    // would overwrite the user's own dictionary.
    return native(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                  QStringLiteral("/Lexmarin"));
}

Folders program_folders() {
    Folders folders =
        choose_folders(qEnvironmentVariable("LEXMARIN_HOME").toStdString(),
                       QCoreApplication::applicationDirPath().toStdString(), per_user_folder());
    // The user folder keeps keys, backups and unsaved rows: made for its owner alone.
    make_private_folders(folders.user);
    return folders;
}

} // namespace lex
