#pragma once
// What every subcommand starts from: the program's folders, the state and the console, the
// languages from --from and --to, and the document opened by the window's rules.

#include "app/cli/console_ui.h"
#include "view/state.h"

#include <QCommandLineParser>
#include <QString>

#include <string>

namespace lex::cli {

// One run of a command: the program's folders, the state and the console.
struct Session {
    State st;
    ConsoleUi ui;
    // Opening repaired the labels (converted them, or changed the CodePage line): the document
    // is to be written even when the command itself changes nothing.
    bool labels_repaired = false;
    Session();
};

// A path from the command line as the file system spells it.
std::string local_path(const QString& arg);
// The value of option `name`.
std::string value(const QCommandLineParser& options, const char* name);
// Says `text`; the exit status of bad usage or of work that could not be done.
int bad_usage(const std::string& text);
int failed(const std::string& text);

// The row of language list `list` that `name` stands for: its two-letter code ("es"), its name
// ("Spanish") or its TYP code ("0x08"), in any letter case; -1 when the list has none.
int language_row(const std::string& name, int list);

// Makes --from (default English) and --to the languages in use. A missing --to is bad usage
// when `target_needed`; otherwise the window's default target stays.
int choose_languages(Session& s, const QCommandLineParser& options, bool target_needed);

// Opens the document by the window's rules; a refused file is said and gives false. Labels in
// UTF-8 under a single-byte CodePage line are taken as UTF-8; for a command that writes the
// document (`writing` holds its options) --utf8-labels says what becomes of them, and without
// it a file whose labels do not all fit the declared code page is refused. `quiet`: what the
// window says about an accepted file (no label in the source language, the languages found) is
// not said.
bool open_input(Session& s, const QString& file, bool quiet,
                const QCommandLineParser* writing = nullptr);

// Saves the document with the window's save (backup copy, atomic write) to --output or over
// the file it came from, keeping its layout with --keep-layout. What the save says is printed
// only when it fails.
int save_output(Session& s, const QCommandLineParser& options);

} // namespace lex::cli
