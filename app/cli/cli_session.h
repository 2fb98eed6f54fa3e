#pragma once
// What the subcommands share: one run's state and console, the languages, the input document
// and the save of the output.

#include "app/cli/console_ui.h"
#include "app/program_folder.h"
#include "commands/startup.h"
#include "translate/spelling.h"
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
    Session() {
        const Folders folders = program_folders();
        set_defaults(st, folders.user);
        st.data_dir = folders.shipped;
        st.file_writer = &ui;
        ui.report_path = report_path(st);
    }
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

// Opens the document by the window's rules; a refused file is said and gives false. For a
// command that writes the document, `writing` holds its options (--utf8-labels). `quiet`: what
// the window says about an accepted file is not said.
bool open_input(Session& s, const QString& file, bool quiet,
                const QCommandLineParser* writing = nullptr);

// Saves the document with the window's save to --output or over the file it came from, keeping
// its layout with --keep-layout. What the save says is printed only when it fails.
int save_output(Session& s, const QCommandLineParser& options);

} // namespace lex::cli
