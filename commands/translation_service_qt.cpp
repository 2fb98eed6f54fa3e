// The services' settings file (QSettings, INI format) and the translator a run uses.

#include "commands/translation_service.h"

#include "document/folders.h"
#include "translate/translator.h"
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
    settings.memory = file.value("memory/enabled", true).toBool();
    bool number = false;
    const int threshold = file.value("memory/threshold", 75).toInt(&number);
    if (number && threshold >= 1 && threshold <= 100) settings.memory_threshold = threshold;
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
        file.setValue("memory/enabled", settings.memory);
        file.setValue("memory/threshold", settings.memory_threshold);
        file.sync();
        if (file.status() != QSettings::NoError) {
            error = "Cannot write " + path;
            return false;
        }
    }
    QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

std::unique_ptr<Translator> translator_in_use(State& st, Ui& ui, const ServiceSettings& settings) {
    // Looking for the engine starts a program: only when the default decides.
    const bool ask_engine = !st.kept.url_overridden && !settings.chosen;
    const ServiceKind kind =
        service_in_use(st.kept.url_overridden, settings, ask_engine && offline_engine_installed());
    st.win.service_caption = service_caption(kind, st.kept.url_overridden, st.translate_url);
    st.win.service_route.clear();
    return make_translator(ui, settings.choice(kind));
}

} // namespace lex
