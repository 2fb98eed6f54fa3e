// translation.ini: written here in INI format through a private file, read with QSettings.

#include "commands/settings.h"

#include "document/file_writer.h"
#include "document/files.h"
#include "document/folders.h"
#include "view/state.h"

#include <QFile>
#include <QSettings>

#include <filesystem>

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

namespace {

// A value as the INI reader takes it back: in quotes (so that ",", ";" and blanks stay text),
// with "\" and quotes escaped, control characters as hex escapes, and "@" doubled at the front
// (a leading "@" would otherwise name a type).
std::string ini_value(const std::string& value) {
    std::string out = value.starts_with('@') ? "\"@" : "\"";
    bool hexBefore = false; // a hex digit right after a hex escape would extend it
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        const bool hexDigit =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F || (hexBefore && hexDigit)) {
            constexpr char kHex[] = "0123456789abcdef";
            out += "\\x";
            if (u >= 0x10) out += kHex[u >> 4];
            out += kHex[u & 0xF];
            hexBefore = true;
            continue;
        } else {
            out += c;
        }
        hexBefore = false;
    }
    return out + "\"";
}

} // namespace

bool write_service_settings(const std::string& path, const ServiceSettings& settings,
                            std::string& error) {
    std::string text;
    if (settings.chosen)
        text += std::string("[service]\nchosen=") + service_key(settings.kind) + "\n";
    for (int i = 0; i < kServiceKinds; ++i) {
        // The web page's address stays in tr.dat, where other tools read it.
        if (!service_has_address(kind_at(i)) || kind_at(i) == ServiceKind::kWebPage) continue;
        const std::string& address = settings.address[std::size_t(i)];
        const std::string& key = settings.key[std::size_t(i)];
        const bool hasKey = !key.empty() && service_has_key(kind_at(i));
        if (address.empty() && !hasKey) continue;
        text += std::string(text.empty() ? "" : "\n") + "[" + service_key(kind_at(i)) + "]\n";
        if (!address.empty()) text += "address=" + ini_value(address) + "\n";
        if (hasKey) text += "key=" + ini_value(key) + "\n";
    }
    text += std::string(text.empty() ? "" : "\n") +
            "[memory]\nenabled=" + (settings.memory ? "true" : "false") +
            "\nthreshold=" + std::to_string(settings.memory_threshold) + "\n";
    // It holds keys: the file is made 0600 before its first byte, in a folder of the owner's.
    std::string why;
    const std::filesystem::path folder = to_path(path).parent_path();
    if ((!folder.empty() && !make_private_folders(from_path(folder), &why)) ||
        !replace_private_file(path, text, why)) {
        error = "Cannot write " + path;
        return false;
    }
    return true;
}

} // namespace lex
