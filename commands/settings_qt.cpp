// translation.ini: QSettings reads and writes it in INI format.

#include "commands/settings.h"

#include "document/folders.h"
#include "view/state.h"

#include <QFile>
#include <QSettings>

namespace lex {

std::string service_settings_path(const State& st) {
    return user_file(st, "translation.ini");
}

namespace {

ServiceKind kind_at(int i) {
    return ServiceKind(i);
}

} // namespace

ServiceSettings read_service_settings(const std::string& path) {
    ServiceSettings settings;
    if (!QFile::exists(QString::fromStdString(path))) return settings;
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    if (file.status() != QSettings::NoError) return settings;
    const QString chosen = file.value("service/chosen").toString().trimmed();
    for (int i = 0; i < kServiceKinds; ++i) {
        const QString group = QString::fromLatin1(service_key(kind_at(i)));
        if (chosen == group) {
            settings.chosen = true;
            settings.kind = kind_at(i);
        }
        settings.address[std::size_t(i)] =
            file.value(group + "/address").toString().trimmed().toStdString();
        settings.key[std::size_t(i)] =
            file.value(group + "/key").toString().trimmed().toStdString();
    }
    return settings;
}

bool write_service_settings(const std::string& path, const ServiceSettings& settings,
                            std::string& error) {
    const QString name = QString::fromStdString(path);
    {
        QSettings file(name, QSettings::IniFormat);
        file.clear();
        if (settings.chosen) file.setValue("service/chosen", service_key(settings.kind));
        for (int i = 0; i < kServiceKinds; ++i) {
            // The web page's address stays in tr.dat, where other tools read it.
            if (!service_has_address(kind_at(i)) || kind_at(i) == ServiceKind::kWebPage) continue;
            const QString group = QString::fromLatin1(service_key(kind_at(i)));
            const std::string& address = settings.address[std::size_t(i)];
            const std::string& key = settings.key[std::size_t(i)];
            if (!address.empty())
                file.setValue(group + "/address", QString::fromStdString(address));
            if (!key.empty() && service_has_key(kind_at(i)))
                file.setValue(group + "/key", QString::fromStdString(key));
        }
        file.sync();
        if (file.status() != QSettings::NoError) {
            error = "Cannot write " + path;
            return false;
        }
    }
    QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

} // namespace lex
