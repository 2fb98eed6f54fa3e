#pragma once
// What the subcommands of lexmarin-cli share: one run's state and console, the languages from
// --from and --to, and opening the document by the window's rules.

#include "app/cli/console_ui.h"
#include "app/program_folder.h"
#include "commands/startup.h"
#include "translate/spelling.h"
#include "view/state.h"

#include <QCommandLineParser>
#include <QString>

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

// Makes --from (default English) and --to the languages in use. A missing --to is bad usage
// when `target_needed`; otherwise the window's default target stays. Returns the exit status.
int choose_languages(Session& s, const QCommandLineParser& options, bool target_needed);

// Opens the document by the window's rules; a refused file is said and gives false. `quiet`:
// what the window says about an accepted file is not said. `writing`: the options of a command
// that writes the document (--utf8-labels).
bool open_input(Session& s, const QString& file, bool quiet,
                const QCommandLineParser* writing = nullptr);

} // namespace lex::cli
