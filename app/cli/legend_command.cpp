// lexmarin-cli legend: the legend page of a style in one language.

#include "app/cli/session.h"
#include "app/cli/subcommands.h"
#include "commands/language_choice.h"
#include "commands/legend.h"
#include "document/codec_qt.h"
#include "translate/languages.h"

namespace lex::cli {

int legend_command(const QCommandLineParser& options, const QStringList& args) {
    Session s;
    const std::string from = options.isSet("from") ? options.value("from").toStdString() : "en";
    const int source = language_row(from, kSourceList);
    if (source < 0) {
        say("No such source language: " + from);
        return kFailed;
    }
    select_language(s.st, kSourceList, source);
    const std::string lang = options.value("lang").toStdString();
    if (lang.empty()) {
        say("--lang is needed");
        return kBadUsage;
    }
    const int row = language_row(lang, kTargetList);
    if (row < 0) {
        say("No such language: " + lang);
        return kFailed;
    }
    if (!open_input(s, args[0], true)) return kFailed;
    const std::string html = legend_html(s.st, kLanguages[std::size_t(row)].code, utf8_text);
    if (!options.isSet("output")) {
        print(html);
        return kDone;
    }
    const std::string path = local_path(options.value("output"));
    std::string why;
    if (!s.ui.replace_file(path, html, why)) {
        say("Could not write " + path + ": " + why);
        return kFailed;
    }
    return kDone;
}

} // namespace lex::cli
