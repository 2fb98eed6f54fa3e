// The save's file writing through QSaveFile: a temporary file in the target's folder that is
// renamed over the target only once it is complete and on disk.

#include "document/file_writer.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace lex {

namespace {

class QtSaveIo final : public FileWriter {
public:
    bool replace_file(const std::string& path, std::string_view bytes, std::string& why) override {
        const QString name = QString::fromUtf8(path.data(), qsizetype(path.size()));
        const QFileInfo info(name);
        if (info.isDir()) return fail(why, "it is a folder");
        // Read from the mode bits, because QSaveFile asks the system, which lets an
        // administrator write anything.
        constexpr QFile::Permissions kWrite =
            QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        if (info.exists() && !(info.permissions() & kWrite))
            return fail(why, "the file is read-only");
        if (!info.absoluteDir().exists()) return fail(why, "the folder does not exist");

        QSaveFile file(name);
        if (!file.open(QIODevice::WriteOnly)) return fail(why, file.errorString().toStdString());
        const qint64 size = qint64(bytes.size());
        if (file.write(bytes.data(), size) != size) {
            why = file.errorString().toStdString();
            file.cancelWriting();
            return false;
        }
        if (!file.commit()) return fail(why, file.errorString().toStdString());
        return true;
    }

    Date today() override {
        const QDate d = QDate::currentDate();
        return {d.year(), d.month(), d.day()};
    }

private:
    static bool fail(std::string& why, std::string text) {
        why = std::move(text);
        return false;
    }
};

} // namespace

FileWriter& qt_file_writer() {
    static QtSaveIo io;
    return io;
}

} // namespace lex
