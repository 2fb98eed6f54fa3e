// The offline engine: Apertium on this machine, started with an argument list for every call.
// The labels go in on its standard input, joined by blank lines; the pairs it has come from its
// own listing of its modes. Many labels are shared among several engine processes at once, one
// per idle core, each with a run of consecutive labels, and the answers are put back in their
// order.

#include "translate/translator.h"

#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace lex {

namespace {

const char* const kWho = "The offline engine";

// Below this many labels a process, a second process costs more start-up (its pipeline loads
// its dictionaries first) than it saves work.
constexpr std::size_t kLeastLabelsPerProcess = 500;

constexpr std::size_t kNone = std::size_t(-1);

struct ProcessRun {
    bool finished = false; // ran to its end (any exit code)
    int exit_code = 0;
    QByteArray out;
    QByteArray err;
    QString failure; // why it did not finish
};

// The processes of one step, one per input.
struct ProcessesRun {
    std::vector<ProcessRun> runs;
    // The one that failed (did not finish, or ended with an exit code other than 0) and so ended
    // the others; kNone when all ended well.
    std::size_t failed = kNone;
};

// Ends a process that is still running, with the programs of its pipeline.
void end_process(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
#ifdef Q_OS_UNIX
    if (process.processId() > 0) ::kill(-pid_t(process.processId()), SIGKILL);
#endif
    process.kill();
    process.waitForFinished(2000);
}

// Runs `program` with `args` once per input, all at once, each with its input on its standard
// input, and waits in a local event loop until all have ended. The first one that fails ends
// the others: one that does not start, answers more than the cap, ends abnormally or with an
// exit code other than 0. The time-out and `stop` end them all.
ProcessesRun run_processes(StopToken stop, const QString& program, const QStringList& args,
                           const std::vector<QByteArray>& inputs, const WebOptions& options) {
    ProcessesRun result;
    std::vector<ProcessRun>& runs = result.runs;
    runs.resize(inputs.size());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    QEventLoop loop;
    bool over = false; // a failure ended the step: the signals of the others no longer count
    std::size_t running = 0;
    auto end_with = [&](std::size_t i) {
        if (over) return;
        over = true;
        result.failed = i;
        loop.quit();
    };
    auto fail = [&](std::size_t i, const QString& why) {
        if (over) return;
        runs[i].finished = false;
        runs[i].failure = why;
        end_with(i);
    };

    std::vector<std::unique_ptr<QProcess>> processes;
    for (std::size_t i = 0; i < inputs.size() && !over; ++i) {
        processes.push_back(std::make_unique<QProcess>());
        QProcess& process = *processes.back();
        process.setProgram(program);
        process.setArguments(args);
        process.setProcessEnvironment(env);
#ifdef Q_OS_UNIX
        // The engine is a pipeline of programs; its own process group lets one signal end them.
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&, i] {
            if (over) return;
            runs[i].out += processes[i]->readAllStandardOutput();
            if (std::size_t(runs[i].out.size()) > options.max_bytes)
                fail(i, QStringLiteral("its answer is larger than %1 bytes")
                            .arg(qulonglong(options.max_bytes)));
        });
        QObject::connect(&process, &QProcess::finished, &loop, [&, i] {
            if (over) return;
            QProcess& p = *processes[i];
            runs[i].out += p.readAllStandardOutput();
            runs[i].err = p.readAllStandardError();
            runs[i].exit_code = p.exitCode();
            runs[i].finished = p.exitStatus() == QProcess::NormalExit;
            if (!runs[i].finished)
                fail(i, QStringLiteral("it ended abnormally"));
            else if (runs[i].exit_code != 0)
                end_with(i);
            else if (--running == 0)
                loop.quit();
        });
        QObject::connect(&process, &QProcess::errorOccurred, &loop,
                         [&, i](QProcess::ProcessError e) {
                             if (e == QProcess::FailedToStart) fail(i, processes[i]->errorString());
                         });
        process.start();
        if (process.state() == QProcess::NotRunning) {
            fail(i, process.errorString());
            break;
        }
        ++running;
        process.write(inputs[i]);
        process.closeWriteChannel();
    }

    // The time-out and STOP are put down to a process still running.
    auto first_running = [&] {
        for (std::size_t i = 0; i < processes.size(); ++i)
            if (processes[i]->state() != QProcess::NotRunning) return i;
        return std::size_t(0);
    };
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        fail(first_running(),
             QStringLiteral("no answer within %1 seconds").arg(options.timeout_ms / 1000.0));
    });
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &loop, [&] {
        if (stop.requested()) fail(first_running(), QStringLiteral("stopped"));
    });
    if (!over && running > 0) {
        deadline.start(options.timeout_ms);
        stopWatch.start(20);
        loop.exec();
    }
    deadline.stop();
    stopWatch.stop();
    over = true;
    for (const auto& process : processes) end_process(*process);
    return result;
}

// What the user is told of a process that failed.
std::string failure_message(const ProcessRun& run) {
    if (!run.finished) return std::string(kWho) + " failed: " + run.failure.toStdString() + ".";
    const QString why = QString::fromUtf8(run.err).trimmed().section('\n', 0, 0);
    return std::string(kWho) + " failed (exit code " + std::to_string(run.exit_code) + ")" +
           (why.isEmpty() ? "." : ": " + why.toStdString());
}

// The cores other work leaves free: all of them less the load of the last minute, at least one.
// A pipeline already keeps more than one core busy, so a second one on cores that others keep
// busy only adds its start-up.
int idle_cores() {
    const int cores = std::max(QThread::idealThreadCount(), 1);
#ifdef Q_OS_UNIX
    double load = 0;
    if (::getloadavg(&load, 1) == 1) return std::clamp(int(double(cores) - load + 0.5), 1, cores);
#endif
    return cores;
}

QString engine_program() {
    return QStandardPaths::findExecutable(QStringLiteral("apertium"));
}

std::vector<std::string> list_pairs(StopToken stop, const QString& program) {
    WebOptions options;
    options.timeout_ms = 10000;
    const ProcessRun run =
        run_processes(stop, program, {QStringLiteral("-l")}, {QByteArray()}, options).runs[0];
    if (!run.finished || run.exit_code != 0) return {};
    return engine_pairs(run.out.toStdString());
}

class OfflineEngine : public LabelService {
public:
    OfflineEngine(const WebOptions& options, int processes)
        : options_(options), processes_(processes) {}

    LabelReply translate(const LabelRequest& request, StopToken stop) override {
        LabelReply reply;
        if (program_.isEmpty()) program_ = engine_program();
        if (program_.isEmpty()) {
            reply.error = "The offline engine is not installed (the program \"apertium\" is not "
                          "found).";
            return reply;
        }
        auto chain = [&] {
            return engine_chain(engine_directions(pairs_), request.source, request.target);
        };
        std::vector<EngineStep> steps = chain();
        if (steps.empty()) {
            pairs_ = list_pairs(stop, program_); // a pair may have been installed since
            steps = chain();
        }
        if (steps.empty()) {
            if (stop.requested()) return {{}, {}, "Stopped.", {}};
            // Which targets it can serve instead, when there are any.
            const std::vector<std::string> targets =
                engine_targets(engine_directions(pairs_), request.source);
            reply.error = targets.empty()
                              ? missing_pair_message(kWho, request.source, request.target, pairs_)
                              : offline_targets_message(request.source, targets);
            return reply;
        }
        // Through a chain, each step's answers are the next step's labels.
        std::vector<std::string> texts = request.labels;
        std::vector<bool> unknown(texts.size(), false);
        for (const EngineStep& step : steps) {
            std::vector<std::string> answers;
            if (!translate_step(stop, step.mode, texts, answers, reply.error)) return reply;
            for (std::size_t i = 0; i < answers.size(); ++i)
                unknown[i] = strip_engine_marks(texts[i], answers[i]) || unknown[i];
            texts = std::move(answers);
        }
        reply.texts = std::move(texts);
        reply.unknown = std::move(unknown);
        if (steps.size() > 1) reply.route = chain_caption(steps);
        return reply;
    }

private:
    // How many processes share `labels` labels: one per idle core (or as many as were asked
    // for), but none with fewer than kLeastLabelsPerProcess unless there is only one.
    std::size_t process_count(std::size_t labels) const {
        return std::clamp<std::size_t>(labels / kLeastLabelsPerProcess, 1, most_processes());
    }
    std::size_t most_processes() const {
        return std::size_t(processes_ > 0 ? processes_ : idle_cores());
    }

    // One direction of the engine over the labels: one answer per label in their order, or false
    // and the reason in `error`.
    bool translate_step(StopToken stop, const std::string& pair,
                        const std::vector<std::string>& labels, std::vector<std::string>& texts,
                        std::string& error) {
        return translate_parts(stop, pair, labels, process_count(labels.size()), texts, error);
    }

    // The labels cut into `parts` runs of consecutive labels, one process each, all at once.
    // Should the blank lines not keep a part's labels apart, that part is halved and tried again
    // (translate_halves), down to a label on its own, whose pieces are joined by blanks.
    bool translate_parts(StopToken stop, const std::string& pair,
                         const std::vector<std::string>& labels, std::size_t parts,
                         std::vector<std::string>& texts, std::string& error) {
        std::vector<std::size_t> bounds; // part k holds the labels from bounds[k] to bounds[k + 1]
        std::vector<QByteArray> inputs;
        for (std::size_t k = 0; k <= parts; ++k) bounds.push_back(labels.size() * k / parts);
        auto part = [&](std::size_t k) {
            return std::vector<std::string>(labels.begin() + std::ptrdiff_t(bounds[k]),
                                            labels.begin() + std::ptrdiff_t(bounds[k + 1]));
        };
        for (std::size_t k = 0; k < parts; ++k)
            inputs.push_back(QByteArray::fromStdString(join_for_engine(part(k))));
        const ProcessesRun run = run_processes(stop, program_, engine_args(pair), inputs, options_);
        if (run.failed != kNone) {
            error = failure_message(run.runs[run.failed]);
            return false;
        }
        texts.clear();
        texts.reserve(labels.size());
        for (std::size_t k = 0; k < parts; ++k) {
            std::vector<std::string> answers = split_engine_output(run.runs[k].out.toStdString());
            const std::size_t count = bounds[k + 1] - bounds[k];
            if (answers.size() != count && count == 1) {
                std::string joined;
                for (const std::string& piece : answers)
                    joined += (joined.empty() ? "" : " ") + piece;
                answers = {joined};
            } else if (answers.size() != count &&
                       !translate_halves(stop, pair, part(k), answers, error)) {
                return false;
            }
            std::move(answers.begin(), answers.end(), std::back_inserter(texts));
        }
        return true;
    }

    // The two halves of the labels, at once unless only one process may run.
    bool translate_halves(StopToken stop, const std::string& pair,
                          const std::vector<std::string>& labels, std::vector<std::string>& texts,
                          std::string& error) {
        if (most_processes() > 1) return translate_parts(stop, pair, labels, 2, texts, error);
        const auto middle = labels.begin() + std::ptrdiff_t(labels.size() / 2);
        std::vector<std::string> second;
        if (!translate_parts(stop, pair, std::vector<std::string>(labels.begin(), middle), 1, texts,
                             error) ||
            !translate_parts(stop, pair, std::vector<std::string>(middle, labels.end()), 1, second,
                             error))
            return false;
        std::move(second.begin(), second.end(), std::back_inserter(texts));
        return true;
    }

    static QStringList engine_args(const std::string& pair) {
        return {QStringLiteral("-f"), QStringLiteral("txt"), QString::fromStdString(pair)};
    }

    WebOptions options_;
    int processes_; // the most processes a step runs at once; 0: one per idle core
    QString program_;
    std::vector<std::string> pairs_;
};

} // namespace

std::unique_ptr<LabelService> make_offline_engine(const WebOptions& options, int processes) {
    return std::make_unique<OfflineEngine>(options, processes);
}

bool offline_engine_installed() {
    return !offline_engine_pairs().empty();
}

std::vector<std::string> offline_engine_pairs() {
    const QString program = engine_program();
    return program.isEmpty() ? std::vector<std::string>{} : list_pairs({}, program);
}

} // namespace lex
