// lexmarin-cli check: the translation checks of Tools -> "Check Translations" over a file.

#include "app/cli/session.h"
#include "app/cli/subcommands.h"
#include "document/checks.h"
#include "document/codec_qt.h"
#include "document/text.h"
#include "view/checks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <map>

namespace lex::cli {

namespace {

constexpr std::array<const char*, kKinds> kKindNames{"polygons", "lines", "points"};

// Text for a terminal: control characters shown as "\x1B".
QString printable(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            out += QString("\\x%1")
                       .arg(c.unicode(), 2, 16, QChar('0'))
                       .toUpper()
                       .replace("\\X", "\\x");
        else
            out += c;
    }
    return out;
}

std::string all_names() {
    std::string names;
    for (const Check& c : checks()) names += (names.empty() ? "" : ", ") + std::string(c.name);
    return names;
}

} // namespace

int check_command(const QCommandLineParser& options, const QStringList& args) {
    CheckSettings settings;
    if (options.isSet("only")) {
        settings.on.fill(false);
        for (const QString& name : options.value("only").split(',', Qt::SkipEmptyParts)) {
            const Check* c = find_check(to_lower(trim(name.toStdString())));
            if (!c) {
                say("No such check: " + name.toStdString() + " (checks: " + all_names() + ")");
                return kBadUsage;
            }
            settings.on[std::size_t(c->id)] = true;
        }
    }
    if (options.isSet("max-ratio")) {
        bool ok = false;
        settings.max_ratio = options.value("max-ratio").toDouble(&ok);
        if (!ok || settings.max_ratio < 0) {
            say("--max-ratio takes a number, such as 2 or 2.5");
            return kBadUsage;
        }
    }
    if (options.isSet("max-length")) {
        bool ok = false;
        settings.max_length = options.value("max-length").toInt(&ok);
        if (!ok || settings.max_length < 0) {
            say("--max-length takes a number of characters");
            return kBadUsage;
        }
    }

    Session s;
    if (const int status = choose_languages(s, options, true); status != kDone) return status;
    if (!open_input(s, args[0], true)) return kFailed;
    const CheckContext ctx = check_context(s.st);
    const std::vector<Finding> findings = run_checks(s.st, ctx, settings);

    std::map<std::string, int> per_check;
    for (const Finding& f : findings) ++per_check[check(f.check).name];
    auto source_of = [&](const Finding& f) {
        return decode(std::string(s.st.rows(f.kind)[std::size_t(f.row)].caption),
                      ctx.source_codepage);
    };
    auto target_of = [&](const Finding& f) {
        return decode(std::string(s.st.rows(f.kind)[std::size_t(f.row)].text), ctx.target_codepage);
    };

    if (options.isSet("json")) {
        QJsonArray list;
        for (const Finding& f : findings)
            list.append(QJsonObject{
                {"check", check(f.check).name},
                {"severity", severity_name(check(f.check).severity)},
                {"kind", kKindNames[std::size_t(f.kind)]},
                {"row", f.row + 1},
                {"source", source_of(f)},
                {"target", target_of(f)},
                {"message", QString::fromStdString(f.message)},
            });
        QJsonObject counts;
        for (const auto& [name, n] : per_check) counts.insert(QString::fromStdString(name), n);
        const QJsonObject out{
            {"file", args[0]},
            {"from", QString::fromStdString(std::string(trim(s.st.win.language_caption[0])))},
            {"to", QString::fromStdString(std::string(trim(s.st.win.language_caption[1])))},
            {"findings", list},
            {"counts", counts}};
        print(QJsonDocument(out).toJson(QJsonDocument::Indented).trimmed().toStdString());
    } else {
        for (const Finding& f : findings)
            print(printable(QString("%1 %2: %3: \"%4\" -> \"%5\": %6")
                                .arg(kKindNames[std::size_t(f.kind)])
                                .arg(f.row + 1)
                                .arg(check(f.check).name, source_of(f), target_of(f),
                                     QString::fromStdString(f.message)))
                      .toStdString());
        std::string summary;
        for (const auto& [name, n] : per_check)
            summary += (summary.empty() ? "" : ", ") + name + " " + std::to_string(n);
        say(findings.empty()
                ? std::string("No findings.")
                : std::to_string(findings.size()) +
                      (findings.size() == 1 ? " finding: " : " findings: ") + summary + ".");
    }
    return findings.empty() ? kDone : kFailed;
}

} // namespace lex::cli
