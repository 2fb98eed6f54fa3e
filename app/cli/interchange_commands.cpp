#include "app/cli/interchange_commands.h"

#include "app/cli/session.h"
#include "app/cli/subcommands.h"
#include "commands/interchange.h"
#include "commands/language_choice.h"
#include "document/codec_qt.h"
#include "document/text.h"
#include "view/state.h"

#include <QDir>
#include <QFileInfo>

namespace lex::cli {

namespace {

int export_command(ExchangeFormat format, const QCommandLineParser& options,
                   const QStringList& args) {
    Session s;
    if (const int status = choose_languages(s, options, true); status != kDone) return status;
    if (!open_input(s, args[0], false)) return kFailed;
    std::string path;
    if (options.isSet("output")) {
        path = local_path(options.value("output"));
    } else { // beside the style: city_en-ru.po
        const QFileInfo style(args[0]);
        const QString name = style.completeBaseName() + "_" +
                             QString::fromStdString(exchange_language(s.st, kSourceList)) + "-" +
                             QString::fromStdString(exchange_language(s.st, kTargetList)) +
                             (format == ExchangeFormat::kPo ? ".po" : ".xlf");
        path = local_path(style.dir().filePath(name));
    }
    s.ui.holding = true;
    ExchangeOptions to_file;
    to_file.path = path;
    to_file.codec = &qt_label_codec();
    const Outcome written = export_exchange(s.st, s.ui, format, to_file);
    if (written.ok()) s.ui.held.clear();
    s.ui.release();
    if (!written.ok()) return kFailed;
    say("Wrote " + std::to_string(written.count) + " entries to " + path + ".");
    return kDone;
}

int import_command(ExchangeFormat format, const QCommandLineParser& options,
                   const QStringList& args) {
    Session s;
    const std::string path = local_path(args[1]);
    ExchangeFile file;
    if (!read_exchange(s.st, s.ui, format, path, file)) return kFailed;
    // --to overrides the language the file names; without it the file's language is the target.
    const bool given = options.isSet("to");
    if (const int status = choose_languages(s, options, false); status != kDone) return status;
    if (!given) {
        const std::string language = std::string(trim(file.target_language));
        if (language.empty()) return bad_usage(path + " names no target language: give --to.");
        int row = language_row(language, kTargetList);
        if (row < 0)
            row = language_row(language.substr(0, language.find_first_of("_-@")), kTargetList);
        if (row < 0)
            return failed(path + " holds translations into " + language +
                          ", a language Lexmarin has no table row for: give --to.");
        select_language(s.st, kTargetList, row);
    }
    if (!open_input(s, args[0], true, &options)) return kFailed;
    ExchangeOptions from_file;
    from_file.codec = &qt_label_codec();
    from_file.language_given = given;
    const Outcome imported = import_exchange_file(s.st, s.ui, file, path, from_file);
    if (!imported.ok()) return kFailed; // it has said why
    if (imported.count == 0 && !s.labels_repaired && !options.isSet("output")) return kDone;
    return save_output(s, options);
}

} // namespace

int po_export_command(const QCommandLineParser& options, const QStringList& args) {
    return export_command(ExchangeFormat::kPo, options, args);
}

int po_import_command(const QCommandLineParser& options, const QStringList& args) {
    return import_command(ExchangeFormat::kPo, options, args);
}

int xliff_export_command(const QCommandLineParser& options, const QStringList& args) {
    return export_command(ExchangeFormat::kXliff, options, args);
}

int xliff_import_command(const QCommandLineParser& options, const QStringList& args) {
    return import_command(ExchangeFormat::kXliff, options, args);
}

} // namespace lex::cli
