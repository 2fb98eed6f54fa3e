// lexmarin-cli memory add | import | export: the translation memory without a window.

#include "app/cli/console_ui.h"
#include "app/cli/subcommands.h"
#include "app/program_folder.h"
#include "commands/memory.h"
#include "commands/startup.h"
#include "translate/memory_pairs.h"
#include "view/state.h"

#include <QFile>
#include <QFileInfo>

namespace lex::cli {

namespace {

// The program's folders and a console, as every command has them.
struct MemorySession {
    State st;
    ConsoleUi ui;
    MemoryKeeper keeper{label_codec()};
    MemorySession() {
        const Folders folders = program_folders();
        set_defaults(st, folders.user);
        st.data_dir = folders.shipped;
        st.file_writer = &ui;
    }
};

std::string local_path(const QString& arg) {
    return QFile::encodeName(arg).toStdString();
}

std::string pairs_text(long n) {
    return std::to_string(n) + (n == 1 ? " pair" : " pairs");
}

} // namespace

int memory_add_command(const QCommandLineParser&, const QStringList& args) {
    MemorySession s;
    TranslationMemory* memory = s.keeper.get(s.st, s.ui);
    if (!memory) return kFailed; // it has said why
    int status = kDone;
    long total = 0;
    for (const QString& arg : args) {
        std::string why;
        bool before = false;
        const long added =
            learn_from_file(*memory, s.keeper.codec(), local_path(arg), why, &before);
        const std::string name = QFileInfo(arg).fileName().toStdString();
        if (added < 0) {
            say(name + ": " + why);
            status = kFailed;
            continue;
        }
        print(name + ": " + pairs_text(added) + (before ? " (learnt before)" : ""));
        total += added;
    }
    if (args.size() > 1) print("all: " + pairs_text(total));
    return status;
}

int memory_import_command(const QCommandLineParser&, const QStringList& args) {
    MemorySession s;
    s.ui.messages_to_stdout = true;
    return import_tmx(s.st, s.ui, s.keeper, local_path(args[0])).ok() ? kDone : kFailed;
}

int memory_export_command(const QCommandLineParser&, const QStringList& args) {
    MemorySession s;
    s.ui.messages_to_stdout = true;
    return export_tmx(s.st, s.ui, s.keeper, local_path(args[0])).ok() ? kDone : kFailed;
}

} // namespace lex::cli
