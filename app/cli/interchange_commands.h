#pragma once
// The subcommands that exchange the rows with other translation tools: po export, po import,
// xliff export, xliff import.

#include <QCommandLineParser>
#include <QStringList>

namespace lex::cli {

int po_export_command(const QCommandLineParser& options, const QStringList& args);
int po_import_command(const QCommandLineParser& options, const QStringList& args);
int xliff_export_command(const QCommandLineParser& options, const QStringList& args);
int xliff_import_command(const QCommandLineParser& options, const QStringList& args);

} // namespace lex::cli
