#include "app/cli/subcommands.h"

#include "app/cli/console_ui.h"
#include "app/cli/session.h"
#include "app/program_folder.h"
#include "commands/actions.h"
#include "commands/language_choice.h"
#include "commands/lists.h"
#include "commands/memory.h"
#include "commands/open_document.h"
#include "commands/save_document.h"
#include "commands/settings.h"
#include "commands/startup.h"
#include "commands/string_tools.h"
#include "commands/survey.h"
#include "commands/translation.h"
#include "commands/translation_service.h"
#include "document/elements.h"
#include "document/files.h"
#include "document/list_file.h"
#include "document/text.h"
#include "translate/hunspell_checker.h"
#include "translate/languages.h"
#include "translate/memory_pairs.h"
#include "translate/run.h"
#include "translate/spelling.h"
#include "translate/translator.h"
#include "view/review.h"
#include "view/state.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace lex::cli {

std::string local_path(const QString& arg) {
    return QFile::encodeName(arg).toStdString();
}

Session::Session() {
    const Folders folders = program_folders();
    set_defaults(st, folders.user);
    st.data_dir = folders.shipped;
    st.file_writer = &ui;
    ui.report_path = report_path(st);
}

std::string value(const QCommandLineParser& options, const char* name) {
    return options.value(QString::fromLatin1(name)).toStdString();
}

int bad_usage(const std::string& text) {
    say(text);
    return kBadUsage;
}

int failed(const std::string& text) {
    say(text);
    return kFailed;
}

int language_row(const std::string& name, int list) {
    const std::string wanted = to_lower(trim(name));
    for (int i = 0; i < language_list_size(list); ++i) {
        const LanguageEntry& e = kLanguages[std::size_t(i)];
        if (wanted == e.iso1 || wanted == to_lower(e.web) || wanted == to_lower(trim(e.item)) ||
            wanted == "0x" + to_lower(e.code))
            return i;
    }
    return -1;
}

int choose_languages(Session& s, const QCommandLineParser& options, bool target_needed) {
    const std::string from = options.isSet("from") ? value(options, "from") : "en";
    const int source = language_row(from, kSourceList);
    if (source < 0) return failed("No such source language: " + from);
    select_language(s.st, kSourceList, source);
    if (!options.isSet("to")) {
        if (target_needed) return bad_usage("--to is needed");
        select_language(s.st, kTargetList, s.st.win.language_row[kTargetList]);
        return kDone;
    }
    const std::string to = value(options, "to");
    const int target = language_row(to, kTargetList);
    if (target < 0) return failed("No such target language: " + to);
    select_language(s.st, kTargetList, target);
    return kDone;
}

namespace {

// The answer --utf8-labels gives to the repair offered for UTF-8 labels under a single-byte
// CodePage line. Without the option only a conversion that fits every label is taken; a choice
// that cannot be had sets `refused`.
std::function<int(const std::vector<Ui::Answer>&)> utf8_labels_rule(const std::string& how,
                                                                    bool& refused) {
    return [how, &refused](const std::vector<Ui::Answer>& answers) {
        auto offered = [&](int id) {
            return std::any_of(answers.begin(), answers.end(),
                               [id](const Ui::Answer& a) { return a.id == id; });
        };
        if (how == "declare") return int(kDeclareUtf8);
        if (how == "keep") return int(kKeepLabels);
        if (offered(kConvertLabels)) return int(kConvertLabels);
        if (how == "convert" && offered(kConvertFittingLabels)) return int(kConvertFittingLabels);
        refused = true;
        return int(kKeepLabels);
    };
}

} // namespace

bool open_input(Session& s, const QString& file, bool quiet, const QCommandLineParser* writing) {
    // Kept as the full path, as the window keeps a path from its command line: files made
    // beside the document (a list) go beside it.
    const QFileInfo info(file);
    std::string path =
        local_path(info.isRelative() && info.exists() ? info.absoluteFilePath() : file);
    s.ui.answer = [](QuestionId) { return true; };
    bool refused = false;
    bool repair_offered = false; // said even by a quiet command: it names labels left as they are
    const std::string how = writing ? value(*writing, "utf8-labels") : "keep";
    s.ui.choice = [&, rule = utf8_labels_rule(how, refused)](const auto& answers) {
        repair_offered = writing != nullptr;
        return rule(answers);
    };
    s.ui.holding = true;
    bool opened = open_document(s.st, s.ui, path).ok();
    s.ui.answer = nullptr;
    s.ui.choice = nullptr;
    if (opened && quiet && !repair_offered) s.ui.held.clear();
    s.ui.release();
    if (opened && refused) {
        const std::string cp = std::to_string(declared_codepage(s.st.document));
        say(how == "convert"
                ? "No label can be converted to code page " + cp + ". Nothing was written."
                : "The UTF-8 labels do not all fit in code page " + cp +
                      ", which the CodePage line names: choose --utf8-labels "
                      "convert, declare or keep. Nothing was written.");
        opened = false;
    }
    // The repair is written with the command's own changes; the commands' questions about
    // unsaved changes are not about it.
    s.labels_repaired = opened && s.st.changed;
    if (opened) s.st.changed = false;
    return opened;
}

int save_output(Session& s, const QCommandLineParser& options) {
    std::string path = s.st.document_path;
    if (options.isSet("output")) {
        path = local_path(options.value("output"));
        // As Save As does: the file about to be replaced is the one backed up.
        if (file_exists(path)) s.st.document_path = path;
    }
    s.ui.holding = true;
    // --utf8-labels keep: labels the declared code page cannot read are written knowingly.
    if (value(options, "utf8-labels") == "keep") s.ui.answer = [](QuestionId) { return true; };
    s.st.kept.keep_layout = options.isSet("keep-layout");
    // --force: rows with characters their code page cannot hold are written all the same.
    if (options.optionNames().contains("force") && !s.ui.answer)
        s.ui.answer = [](QuestionId q) { return q == QuestionId::kUnrepresentableRows; };
    const Outcome saved = save_document(s.st, s.ui, path);
    s.ui.answer = nullptr;
    if (saved.ok()) s.ui.held.clear();
    s.ui.release();
    return saved.ok() ? kDone : kFailed;
}

namespace {

constexpr std::array<const char*, kKinds> kKindNames{"polygons", "lines", "points"};

PaneCounts& operator+=(PaneCounts& sum, const PaneCounts& c) {
    sum.rows += c.rows;
    sum.translated += c.translated;
    sum.suspect += c.suspect;
    sum.empty += c.empty;
    sum.to_review += c.to_review;
    return sum;
}

// The rows with a target text: the translated and the suspect ones.
int target_rows(const PaneCounts& c) {
    return c.rows - c.empty;
}

std::string json_text(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Indented).trimmed().toStdString();
}

// The service of a translation run: --service (with --address and --key-file) when given,
// else the one the window would use.
std::unique_ptr<Translator> translation_service(Session& s, const QCommandLineParser& options,
                                                int& status) {
    State& st = s.st;
    ServiceSettings settings = read_service_settings(service_settings_path(st));
    State saved;
    if (read_settings(saved, settings_path(st))) st.translate_url = saved.translate_url;
    if ((options.isSet("address") || options.isSet("key-file")) && !options.isSet("service")) {
        status = bad_usage("--address and --key-file go with --service");
        return nullptr;
    }
    if (options.isSet("service")) {
        const std::string name = value(options, "service");
        int found = -1;
        std::string names;
        for (int k = 0; k < kServiceKinds; ++k) {
            names += std::string(names.empty() ? "" : ", ") + service_key(ServiceKind(k));
            if (name == service_key(ServiceKind(k))) found = k;
        }
        if (found < 0) {
            status = bad_usage("No such service: " + name + " (services: " + names + ")");
            return nullptr;
        }
        settings.chosen = true;
        settings.kind = ServiceKind(found);
    } else if (const char* url = std::getenv("LEXMARIN_TRANSLATE_URL"); url && *url) {
        st.translate_url = url;
        st.kept.url_overridden = true;
    }
    const auto index = std::size_t(settings.kind);
    if (options.isSet("address")) {
        settings.address[index] = value(options, "address");
        if (settings.kind == ServiceKind::kWebPage) st.translate_url = settings.address[index];
    }
    if (options.isSet("key-file")) {
        QFile file(options.value("key-file"));
        if (!file.open(QIODevice::ReadOnly)) {
            status = failed("Cannot read " + options.value("key-file").toStdString() + ": " +
                            file.errorString().toStdString());
            return nullptr;
        }
        settings.key[index] = QString::fromUtf8(file.readLine()).trimmed().toStdString();
    }
    std::unique_ptr<Translator> tr = translator_in_use(st, s.ui, settings);
    say(st.win.service_caption);
    return tr;
}

// Hands the run's requests to the service, counts their labels for the progress, and ends the
// run at the first request the service leaves unanswered, keeping its reason.
class WatchedTranslator : public Translator {
public:
    WatchedTranslator(State& st, Translator& service, Progress& progress)
        : st_(st), service_(service), progress_(progress) {}
    std::string failure;

    std::string translate(const TranslationRequest& request, const std::string& text) override {
        std::string answer = service_.translate(request, text);
        progress_.advance(std::size_t(1 + std::count(text.begin(), text.end(), ',')));
        if (answer.empty()) fail("No translation came back from " + request.page_address + ".");
        return answer;
    }
    std::size_t labels_per_request() const override { return service_.labels_per_request(); }
    LabelAnswers translate_labels(const TranslationRequest& request,
                                  const std::vector<std::string>& labels) override {
        LabelAnswers answers = service_.translate_labels(request, labels);
        progress_.advance(labels.size());
        if (!answers.error.empty())
            fail(answers.error);
        else if (answers.texts.size() != labels.size())
            fail("The service gave no answer.");
        return answers;
    }
    std::string language_code(const std::string& key, bool target,
                              const std::string& custom_web_code) const override {
        return service_.language_code(key, target, custom_web_code);
    }
    ServiceKind kind() const override { return service_.kind(); }

private:
    // Keeps the first reason and ends the run as STOP would.
    void fail(const std::string& why) {
        if (failure.empty()) failure = why;
        st_.stop_requested = true;
    }
    State& st_;
    Translator& service_;
    Progress& progress_;
};

// The kinds --kinds names (all three by default); false for a name that is no kind.
bool chosen_kinds(const QCommandLineParser& options, std::array<bool, kKinds>& kinds) {
    if (!options.isSet("kinds")) {
        kinds.fill(true);
        return true;
    }
    kinds.fill(false);
    for (const QString& name : options.value("kinds").split(',', Qt::SkipEmptyParts)) {
        const std::string n = to_lower(trim(name.toStdString()));
        const auto it = std::find(kKindNames.begin(), kKindNames.end(), n);
        if (it != kKindNames.end())
            kinds[std::size_t(it - kKindNames.begin())] = true;
        else if (n == "pois")
            kinds[kPoints] = true;
        else
            return false;
    }
    return true;
}

} // namespace

int translate_command(const QCommandLineParser& options, const QStringList& args) {
    std::array<bool, kKinds> kinds{};
    if (!chosen_kinds(options, kinds))
        return bad_usage("--kinds takes polygons, lines and points, separated by commas");
    if (options.isSet("memory-only") && options.isSet("no-memory"))
        return bad_usage("--memory-only and --no-memory exclude each other");
    if (options.isSet("memory-only") &&
        (options.isSet("service") || options.isSet("retry-suspects")))
        return bad_usage("--memory-only asks no service");
    Session s;
    State& st = s.st;
    if (const int status = choose_languages(s, options, true); status != kDone) return status;
    int status = kDone;
    // The memory answers first unless it is turned off here or in the window's settings.
    const ServiceSettings settings = read_service_settings(service_settings_path(st));
    MemoryKeeper keeper(label_codec());
    keeper.enabled =
        !options.isSet("no-memory") && (settings.memory || options.isSet("memory-only"));
    keeper.threshold = settings.memory_threshold;
    std::unique_ptr<Translator> service;
    if (options.isSet("memory-only")) {
        service = std::make_unique<Translator>(); // asked for nothing
        say("Translation: the translation memory only");
    } else {
        service = translation_service(s, options, status);
    }
    if (!service) return status;
    if (!open_input(s, args[0], false, &options)) return kFailed;
    MemoryUse memory = keeper.use(st, s.ui);
    memory.only = options.isSet("memory-only");
    if (memory.only && !memory.memory) return failed("Nothing was written.");
    if (st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints) == 0)
        return failed("Nothing to translate. Nothing was written.");

    Progress progress;
    WatchedTranslator tr(s.st, *service, progress);
    // A pass fails when the service leaves a request unanswered or a run does not end done (a
    // language the service does not have, labels answered with nothing, ...): the run has said
    // why.
    auto pass_failed = [&](const Outcome& outcome) {
        progress.finish();
        st.stop_requested = false;
        if (tr.failure.empty() && outcome.ok()) return false;
        if (!tr.failure.empty()) say(tr.failure);
        return true;
    };

    // The empty rows, in the batches of "Translate".
    std::size_t total = 0;
    for (const Kind kind : kAllKinds) {
        if (kinds[std::size_t(kind)])
            total += select_run_rows(st, kind, RunRows::kEmptyTargets);
        else
            st.pane(kind).run_rows.clear();
    }
    Outcome outcome;
    if (total > 0) {
        progress.start("translating", total);
        for (const Kind kind : kAllKinds) {
            if (!tr.failure.empty() || !outcome.ok()) break;
            if (!st.pane(kind).run_rows.empty())
                outcome =
                    translate_selection(st, s.ui, tr, kind, memory.memory ? &memory : nullptr);
        }
    }
    if (pass_failed(outcome)) return failed("Nothing was written.");

    // The suspect rows, one label at a time, as "Check Errors" sends them.
    if (options.isSet("retry-suspects")) {
        std::size_t suspects = 0;
        for (const Kind kind : kAllKinds)
            if (kinds[std::size_t(kind)]) suspects += std::size_t(count_rows(st, kind).suspect);
        if (suspects > 0) {
            progress.start("checking suspect rows", suspects);
            const RunOptions no_pause{0};
            for (const Kind kind : kAllKinds) {
                if (!tr.failure.empty() || !outcome.ok()) break;
                if (kinds[std::size_t(kind)] && count_rows(st, kind).suspect > 0)
                    outcome = check_errors(st, s.ui, tr, kind, no_pause);
            }
        }
        if (pass_failed(outcome)) return failed("Nothing was written.");
    }

    PaneCounts sum;
    for (const Kind kind : kAllKinds)
        if (kinds[std::size_t(kind)]) sum += count_rows(st, kind);
    if (memory.memory)
        say("From the translation memory: " + std::to_string(memory.exact) + " rows exact, " +
            std::to_string(memory.fuzzy) + " similar (to review).");
    if (sum.to_review > memory.fuzzy)
        say("Rows to review (through a chain of engines): " +
            std::to_string(sum.to_review - memory.fuzzy) + ".");
    say("Translated " + std::to_string(total) + " rows. Suspect rows (marked \"?\"): " +
        std::to_string(sum.suspect) + "; empty rows: " + std::to_string(sum.empty) + ".");
    if (!st.changed && !s.labels_repaired && !options.isSet("output")) return kDone;
    return save_output(s, options);
}

int survey_command(const QCommandLineParser& options, const QStringList& args) {
    Session s;
    s.st.rows_on_open = false;
    if (!open_input(s, args[0], true)) return kFailed;
    const LanguageCounts counts = labels_per_language(s.st.document);
    if (!options.isSet("json")) {
        print(language_list_text(languages_in_document(s.st.document)));
        return kDone;
    }
    QJsonArray languages;
    for (std::size_t code = 0; code < counts.size(); ++code) {
        if (counts[code] == 0) continue;
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", unsigned(code));
        languages.append(
            QJsonObject{{"code", hex},
                        {"name", QString::fromStdString(survey_language_name(int(code)))},
                        {"labels", counts[code]}});
    }
    print(json_text({{"file", args[0]}, {"languages", languages}}));
    return kDone;
}

int stats_command(const QCommandLineParser& options, const QStringList& args) {
    Session s;
    if (const int status = choose_languages(s, options, true); status != kDone) return status;
    s.st.rows_on_open = false;
    if (!open_input(s, args[0], false)) return kFailed;
    const std::array<PaneCounts, kKinds> counts = count_document_rows(s.st);
    if (counts[0].rows + counts[1].rows + counts[2].rows == 0) say_no_source_labels(s.st, s.ui);
    if (options.isSet("json")) {
        QJsonObject out{
            {"file", args[0]},
            {"from", QString::fromStdString(std::string(trim(s.st.win.language_caption[0])))},
            {"to", QString::fromStdString(std::string(trim(s.st.win.language_caption[1])))}};
        for (const Kind kind : kAllKinds) {
            const PaneCounts& c = counts[std::size_t(kind)];
            out.insert(kKindNames[std::size_t(kind)], QJsonObject{{"rows", c.rows},
                                                                  {"target", target_rows(c)},
                                                                  {"empty", c.empty},
                                                                  {"suspect", c.suspect}});
        }
        print(json_text(out));
        return kDone;
    }
    print("kind          rows   target    empty  suspect");
    PaneCounts all;
    auto line = [](const char* name, const PaneCounts& c) {
        char text[96];
        std::snprintf(text, sizeof text, "%-8s %9d %8d %8d %8d", name, c.rows, target_rows(c),
                      c.empty, c.suspect);
        print(text);
    };
    for (const Kind kind : kAllKinds) {
        const PaneCounts& c = counts[std::size_t(kind)];
        line(kKindNames[std::size_t(kind)], c);
        all += c;
    }
    line("all", all);
    return kDone;
}

int strings_command(const QCommandLineParser& options, const QStringList& args) {
    // An operation is an Edit Strings action, called by its name.
    const std::string operation = args[1].toStdString();
    const Action* chosen = find_action(operation);
    if (!chosen || chosen->place != Place::kEditStrings) {
        std::string names;
        for (const Action& a : actions())
            if (a.place == Place::kEditStrings)
                names += (names.empty() ? "" : ", ") + std::string(a.name);
        return bad_usage("No such operation: " + operation + " (operations: " + names + ")");
    }
    if (options.isSet("dry-run") && options.isSet("output"))
        return bad_usage("--dry-run writes nothing: it does not go with --output");
    Session s;
    State& st = s.st;
    const bool to_target = chosen->id == ActionId::kReplaceSource;
    if (const int status = choose_languages(s, options, to_target); status != kDone) return status;
    if (to_target && to_lower(st.source_code) == to_lower(st.target_code))
        return failed("Source and Target languages are the same.");
    if (!open_input(s, args[0], true, options.isSet("dry-run") ? nullptr : &options))
        return kFailed;

    // The operation's questions are answered Yes; what it says is its report.
    s.ui.answer = [](QuestionId) { return true; };
    s.ui.messages_to_stdout = true;
    const Outcome outcome = run_action_outcome(st, s.ui, chosen->id);
    s.ui.messages_to_stdout = false;
    s.ui.answer = nullptr;
    if (!outcome.ok()) return kFailed; // it has said why

    if (options.isSet("dry-run")) {
        if (st.changed) say("Dry run: nothing was written.");
        return kDone;
    }
    // With --output the file is written even when the operation found nothing to do.
    if (!st.changed && !s.labels_repaired && !options.isSet("output")) return kDone;
    return save_output(s, options);
}

int list_export_command(const QCommandLineParser& options, const QStringList& args) {
    Session s;
    if (const int status = choose_languages(s, options, true); status != kDone) return status;
    if (!open_input(s, args[0], false)) return kFailed;
    // The list replaces a file of its name; a row that would not load back is an error.
    s.ui.answer = [](QuestionId question) { return question == QuestionId::kReplaceFile; };
    const std::string path = options.isSet("output") ? local_path(options.value("output")) : "";
    return save_list(s.st, s.ui, path).ok() ? kDone : kFailed;
}

int list_apply_command(const QCommandLineParser& options, const QStringList& args) {
    Session s;
    if (const int status = choose_languages(s, options, false); status != kDone) return status;
    if (!open_input(s, args[0], true, &options)) return kFailed;
    // A list whose rows do not fit the document's elements is an error, not a question. A
    // language the list names that no table knows is replaced by --from or --to only when that
    // is given; a list naming no languages is applied under the ones in use, which is said.
    s.ui.chosen_file = local_path(args[1]);
    std::string text;
    read_file(s.ui.chosen_file, text);
    const ListContents list = read_list(text);
    bool named = true; // every language the tables do not know is given on the command line
    for (int i = 0; i < 2 && list.has_languages; ++i)
        if (list_language_row(i, list.languages[std::size_t(i)]) < 0)
            named = named && options.isSet(i == kSourceList ? "from" : "to");
    s.ui.answer = [named](QuestionId question) {
        return named && question == QuestionId::kListLanguageUnknown;
    };
    const Outcome applied = open_list(s.st, s.ui);
    s.ui.answer = nullptr;
    if (!applied.ok() && !named)
        return failed("The list was not applied: give --from and --to to apply it under those "
                      "languages. Nothing was written.");
    // Rows that would go under an element with another source label are no application.
    if (!applied.ok() || applied.doubtful > 0)
        return failed("The list was not applied. Nothing was written.");
    return save_output(s, options);
}

int spell_command(const QCommandLineParser& options, const QStringList& args) {
    Session s;
    State& st = s.st;
    const bool target = options.isSet("target");
    if (const int status = choose_languages(s, options, target); status != kDone) return status;
    if (options.isSet("lang")) {
        const std::string lang = value(options, "lang");
        const int row = language_row(lang, kSourceList);
        if (row < 0) return failed("No such source language: " + lang);
        select_language(st, kSourceList, row);
    }
    if (!open_input(s, args[0], false)) return kFailed;
    // The own English word list, where there is one.
    if (file_exists(dictionary_read_path(st)))
        st.dictionary = read_text_file(st, s.ui, dictionary_read_path(st));
    const SpellingLanguage lang =
        target ? target_spelling_language(st) : source_spelling_language(st);
    std::unique_ptr<SpellingDictionaries> dictionaries = system_spelling_dictionaries();
    std::string why = missing_dictionary_message(lang);
    SpellChecker* checker = dictionaries->checker(st, s.ui, lang, why);
    if (!checker) return failed(why);
    std::string report;
    if (!spelling_report(st, s.ui, *checker, target, report)) return kDone;
    print(report);
    return kFailed;
}

} // namespace lex::cli
