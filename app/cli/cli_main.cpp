// lexmarin-cli: the window's commands for scripts and build pipelines, without a display.

#include "app/cli/console_ui.h"
#include "app/cli/interchange_commands.h"
#include "app/cli/subcommands.h"
#include "view/state.h"
#include "view/window_state.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <vector>

namespace {

using namespace lex::cli;

const char* const kOverview = R"(Usage: lexmarin-cli COMMAND FILE [options]

Translates and repairs the labels of map styles kept as TYP text files, by the rules of the
Lexmarin window.

Commands:
  translate FILE --to LANG     fill the empty target labels with a translation service
  survey FILE                  the languages the file has labels in
  stats FILE --to LANG         rows, target labels, empty and suspect rows per kind
  strings FILE OPERATION       repair the label lines: move-zero, source-to-target,
                               delete-empty, sort
  list export FILE --to LANG   write the rows to a translation list (.lst)
  list apply FILE LIST         write the rows of a translation list into the file
  spell FILE                   check the spelling of the labels
  legend FILE --lang LANG      write the style's legend page (pictures and labels)
  po export FILE --to LANG     write the rows to a gettext PO file
  po import FILE PO            write the translations of a PO file into the file
  xliff export FILE --to LANG  write the rows to an XLIFF 1.2 file
  xliff import FILE XLIFF      write the translations of an XLIFF file into the file
  check FILE --to LANG         check the translations: numbers, brackets, blanks, ...
  memory add FILE...           learn the pairs of labels of styles into the translation memory
  memory import FILE.tmx       read a TMX file into the translation memory
  memory export FILE.tmx       write the translation memory to a TMX file

Every command that writes FILE keeps its layout with --keep-layout: only the lines of what
changed are rewritten, every other byte stays.

A language is given by its two-letter code (es), its name (Spanish) or its TYP code (0x08);
the source language is English unless --from says otherwise.
'lexmarin-cli COMMAND --help' describes a command; --version prints the version.

Exit status: 0 done, 1 the work could not be done (nothing was written), 2 bad usage.)";

struct Command {
    const char* name;      // "translate", "list export"
    const char* arguments; // as the usage line writes them
    int argument_count;    // -1: one or more
    const char* description;
    std::vector<const char*> options;
    int (*run)(const QCommandLineParser&, const QStringList&);
};

const std::vector<Command>& commands() {
    static const std::vector<Command> table{
        {"translate",
         "FILE",
         1,
         "Translates the rows whose target label is empty and saves the file (a dated copy of "
         "the file it replaces goes to the backup folder). With --retry-suspects the suspect "
         "rows are sent again one label at a time, as \"Check Errors\" does. When the service "
         "fails, nothing is written.",
         {"from", "to", "service", "address", "key-file", "kinds", "retry-suspects", "output",
          "utf8-labels", "keep-layout", "force", "memory-only", "no-memory"},
         translate_command},
        {"survey",
         "FILE",
         1,
         "Lists the languages the file has labels in.",
         {"json"},
         survey_command},
        {"stats",
         "FILE",
         1,
         "Counts per kind the rows (elements with a source label), those with a target label, "
         "the empty ones and the suspect ones (a \"?\" in the target label).",
         {"from", "to", "json"},
         stats_command},
        {"strings",
         "FILE OPERATION",
         2,
         "Repairs the label lines of the whole file and prints the report: move-zero (0x00 "
         "labels become source labels), source-to-target (source labels become target labels), "
         "delete-empty (label lines without text go), sort (each element's labels in the order "
         "of their language codes).",
         {"from", "to", "dry-run", "output", "utf8-labels", "keep-layout", "force"},
         strings_command},
        {"list export",
         "FILE",
         1,
         "Writes the rows to a translation list; its name is FILE_En-Sp.lst beside FILE unless "
         "--output names it.",
         {"from", "to", "output"},
         list_export_command},
        {"list apply",
         "FILE LIST",
         2,
         "Writes the target texts of a translation list into the elements of FILE, row by row, "
         "and saves it. A list whose rows do not fit the file's elements is refused.",
         {"from", "to", "output", "utf8-labels", "keep-layout", "force"},
         list_apply_command},
        {"spell",
         "FILE",
         1,
         "Checks the spelling of the source labels (of the target labels with --target) and "
         "prints the doubtful words per row. Exit status 1 when there are any.",
         {"from", "to", "lang", "target"},
         spell_command},
        {"legend",
         "FILE",
         1,
         "Writes the legend of the style as one HTML page: every polygon, line and point "
         "element with its picture and its label in the --lang language (the source language's "
         "label, marked, where it has none), in the order of the file, grouped by kind. The page "
         "goes to standard output unless --output names a file.",
         {"from", "lang", "output"},
         legend_command},
        {"po export",
         "FILE",
         1,
         "Writes the rows to a gettext PO file for any PO editor: one entry per row, msgctxt the "
         "element's kind and Type code, msgid the source label, msgstr the target label, "
         "suspect rows marked fuzzy, in UTF-8. Its name is FILE_en-de.po beside FILE unless "
         "--output names it.",
         {"from", "to", "output"},
         po_export_command},
        {"po import",
         "FILE PO",
         2,
         "Writes the translations of a PO file into the elements of FILE and saves it: only the "
         "rows whose text differs, each into its own label line. The PO file's Language is the "
         "target language unless --to overrides it. Entries that match no row and translations "
         "the code page cannot hold are said and left out.",
         {"from", "to", "output", "utf8-labels", "keep-layout"},
         po_import_command},
        {"xliff export",
         "FILE",
         1,
         "Writes the rows to an XLIFF 1.2 file, one trans-unit per row, its state from the row "
         "(new, translated, needs-review-translation). Its name is FILE_en-de.xlf beside FILE "
         "unless --output names it.",
         {"from", "to", "output"},
         xliff_export_command},
        {"xliff import",
         "FILE XLIFF",
         2,
         "Writes the translations of an XLIFF file into the elements of FILE and saves it, as "
         "po import does.",
         {"from", "to", "output", "utf8-labels", "keep-layout"},
         xliff_import_command},
        {"check",
         "FILE",
         1,
         "Runs the translation checks over the rows and prints each finding: the kind and row, "
         "the check, the source and target labels and what is wrong. Exit status 1 when "
         "anything is found, 0 when the translations are clean. The checks: not-representable, "
         "inconsistent, unchanged, numbers, brackets, blanks, machine-marks, too-long, "
         "control-characters.",
         {"from", "to", "json", "only", "max-ratio", "max-length"},
         check_command},
        {"memory add",
         "FILE...",
         -1,
         "Learns the pairs of labels of styles into the translation memory: for every element "
         "with labels in two or more languages, a pair for every two of them. Any TYP text file "
         "is read, also one the window would not edit; nothing is written to it. Prints how many "
         "pairs each file gave.",
         {},
         memory_add_command},
        {"memory import",
         "FILE.tmx",
         1,
         "Reads the translation units of a TMX file into the translation memory.",
         {},
         memory_import_command},
        {"memory export",
         "FILE.tmx",
         1,
         "Writes the whole translation memory to a TMX file.",
         {},
         memory_export_command},
    };
    return table;
}

QCommandLineOption option(const QString& name) {
    struct Known {
        QStringList names;
        const char* description;
        const char* value;
    };
    static const std::vector<Known> known{
        {{"from"}, "Source language (default: en).", "LANG"},
        {{"to"}, "Target language.", "LANG"},
        {{"lang"},
         "The language whose labels are checked (spell) or shown (legend), as --from.",
         "LANG"},
        {{"target"}, "Check the target labels (the --to language).", nullptr},
        {{"service"},
         "Translation service: offline, apy, libretranslate, deepl or webpage (default: the "
         "one chosen in the window, else the offline engine where installed).",
         "NAME"},
        {{"address"}, "The service's address.", "URL"},
        {{"key-file"}, "A file holding the service's key.", "PATH"},
        {{"kinds"}, "The kinds to translate (default: polygons,lines,points).", "LIST"},
        {{"retry-suspects"}, "Send the suspect rows again, one label at a time.", nullptr},
        {{"o", "output"}, "Write to PATH instead of FILE.", "PATH"},
        {{"json"}, "Print JSON.", nullptr},
        {{"utf8-labels"},
         "UTF-8 labels under a CodePage line that names a single-byte code page: convert (to "
         "that code page; labels that do not fit stay), declare (the line becomes 65001) or "
         "keep. Without it they are converted when every label fits; otherwise nothing is "
         "written.",
         "HOW"},
        {{"dry-run"}, "Print the report, write nothing.", nullptr},
        {{"keep-layout"},
         "Keep the file's layout: sections, markers, empty lines and line ends stay as they "
         "stand, and only the lines of what changed are rewritten.",
         nullptr},
        {{"force"},
         "Save rows with characters their code page cannot hold (they would show as \"?\").",
         nullptr},
        {{"only"}, "Run only these checks (names separated by commas).", "NAMES"},
        {{"max-ratio"},
         "too-long: a target longer than this many times its source (default 2).",
         "RATIO"},
        {{"max-length"}, "too-long: a target longer than this many characters.", "N"},
        {{"memory-only"},
         "Fill the rows from the translation memory only; the others stay empty.",
         nullptr},
        {{"no-memory"}, "Do not ask the translation memory first.", nullptr},
        {{"h", "help"}, "This help.", nullptr},
    };
    for (const Known& k : known)
        if (k.names.last() == name)
            return k.value ? QCommandLineOption(k.names, k.description, k.value)
                           : QCommandLineOption(k.names, k.description);
    return QCommandLineOption(name);
}

// `text` with its lines broken at blanks before 80 columns.
QString wrapped(const QString& text) {
    QString out;
    qsizetype line = 0;
    for (const QString& word : text.split(' ')) {
        if (line > 0 && line + 1 + word.size() > 80) {
            out += '\n';
            line = 0;
        } else if (line > 0) {
            out += ' ';
            ++line;
        }
        out += word;
        line += word.size();
    }
    return out;
}

int usage_error(const QString& command, const QString& text) {
    say(text.toStdString());
    say("Try 'lexmarin-cli " + (command.isEmpty() ? "" : command + " ").toStdString() + "--help'.");
    return kBadUsage;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("lexmarin-cli");
    QCoreApplication::setOrganizationName("Lexmarin");
    const std::string version = lex::version_text(lex::State{}.version).substr(1);
    QCoreApplication::setApplicationVersion(QString::fromStdString(version));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) return usage_error({}, "A command is needed.");
    const QString first = args.first();
    if (first == "--help" || first == "-h" || first == "help") {
        print(kOverview);
        return kDone;
    }
    if (first == "--version" || first == "-v") {
        print("lexmarin-cli " + version);
        return kDone;
    }

    // The command: one word, two for a list or the memory.
    QString name = first;
    qsizetype used = 1;
    const bool twoWords = first == "list" || first == "po" || first == "xliff" || first == "memory";
    if (twoWords && args.size() > 1 && !args[1].startsWith('-')) {
        name += " " + args[1];
        used = 2;
    }
    const Command* command = nullptr;
    for (const Command& c : commands())
        if (name == c.name) command = &c;
    if (!command) {
        if (twoWords && (args.contains("--help") || args.contains("-h"))) {
            print(kOverview);
            return kDone;
        }
        if (first == "list") return usage_error({}, "list takes export or apply.");
        if (twoWords) return usage_error({}, first + " takes export or import.");
        return usage_error({}, "No such command: " + name);
    }

    QCommandLineParser parser;
    for (const char* o : command->options) parser.addOption(option(o));
    parser.addOption(option("help"));
    if (!parser.parse(QStringList{"lexmarin-cli"} + args.mid(used)))
        return usage_error(name, parser.errorText());
    if (parser.isSet("help")) {
        const QString options = parser.helpText().mid(parser.helpText().indexOf("Options:"));
        print(QString("Usage: lexmarin-cli %1 %2 [options]\n\n%3\n\n%4")
                  .arg(name, command->arguments, wrapped(command->description), options.trimmed())
                  .toStdString());
        return kDone;
    }
    if (parser.optionNames().contains("utf8-labels") &&
        !QStringList{"convert", "declare", "keep"}.contains(parser.value("utf8-labels")))
        return usage_error(name, "--utf8-labels takes convert, declare or keep.");
    const QStringList positional = parser.positionalArguments();
    if (command->argument_count < 0 ? positional.isEmpty()
                                    : positional.size() != command->argument_count)
        return usage_error(name, QString("%1 takes %2.").arg(name, command->arguments));
    const int status = command->run(parser, positional);
    if (status == kBadUsage) say("Try 'lexmarin-cli " + name.toStdString() + " --help'.");
    return status;
}
