#pragma once
// The subcommands of lexmarin-cli. Each takes the parsed options and its arguments after the
// subcommand's name, and returns the exit status.

#include <QCommandLineParser>
#include <QStringList>

namespace lex::cli {

constexpr int kDone = 0;     // the work was done
constexpr int kFailed = 1;   // it could not be done; nothing was written
constexpr int kBadUsage = 2; // the command line is wrong

int translate_command(const QCommandLineParser& options, const QStringList& args);
int survey_command(const QCommandLineParser& options, const QStringList& args);
int stats_command(const QCommandLineParser& options, const QStringList& args);
int strings_command(const QCommandLineParser& options, const QStringList& args);
int list_export_command(const QCommandLineParser& options, const QStringList& args);
int list_apply_command(const QCommandLineParser& options, const QStringList& args);
int spell_command(const QCommandLineParser& options, const QStringList& args);
int legend_command(const QCommandLineParser& options,
                   const QStringList& args);                                   // legend_command.cpp
int check_command(const QCommandLineParser& options, const QStringList& args); // check_command.cpp
// memory_commands.cpp
int memory_add_command(const QCommandLineParser& options, const QStringList& args);
int memory_import_command(const QCommandLineParser& options, const QStringList& args);
int memory_export_command(const QCommandLineParser& options, const QStringList& args);

} // namespace lex::cli
