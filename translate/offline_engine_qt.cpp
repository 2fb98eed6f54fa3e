// The offline engine: Apertium on this machine, started with an argument list for every call.
// The labels go in on its standard input, joined by blank lines; the pairs it has come from its
// own listing of its modes.

#include "translate/translator.h"

#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace lex {

namespace {

const char* const kWho = "The offline engine";

struct ProcessRun {
    bool finished = false; // ran to its end (any exit code)
    int exit_code = 0;
    QByteArray out;
    QByteArray err;
    QString failure; // why it did not finish
};

// Runs `program` with `args` and `input` on its standard input, waiting in a local event loop;
// ends it at the time-out, when its output passes the cap, or once `stop` is raised.
ProcessRun run_process(StopToken stop, const QString& program, const QStringList& args,
                       const QByteArray& input, const WebOptions& options) {
    ProcessRun run;
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    process.setProcessEnvironment(env);
#ifdef Q_OS_UNIX
    // The engine is a pipeline of programs; its own process group lets one signal end them all.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    QEventLoop loop;
    bool failed = false;
    auto fail = [&](const QString& why) {
        if (failed) return;
        failed = true;
        run.failure = why;
        loop.quit();
    };
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        run.out += process.readAllStandardOutput();
        if (std::size_t(run.out.size()) > options.max_bytes)
            fail(QStringLiteral("its answer is larger than %1 bytes")
                     .arg(qulonglong(options.max_bytes)));
    });
    QObject::connect(&process, &QProcess::finished, &loop, [&] { loop.quit(); });
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) fail(process.errorString());
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        fail(QStringLiteral("no answer within %1 seconds").arg(options.timeout_ms / 1000.0));
    });
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &loop, [&] {
        if (stop.requested()) fail(QStringLiteral("stopped"));
    });

    process.start();
    if (process.state() != QProcess::NotRunning) {
        process.write(input);
        process.closeWriteChannel();
        deadline.start(options.timeout_ms);
        stopWatch.start(20);
        if (!failed && process.state() != QProcess::NotRunning) loop.exec();
    } else {
        failed = true;
        run.failure = process.errorString();
    }
    deadline.stop();
    stopWatch.stop();
    if (failed && process.state() != QProcess::NotRunning) {
#ifdef Q_OS_UNIX
        if (process.processId() > 0) ::kill(-pid_t(process.processId()), SIGKILL);
#endif
        process.kill();
        process.waitForFinished(2000);
    }
    if (!failed) {
        run.out += process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        run.finished = process.exitStatus() == QProcess::NormalExit;
        run.exit_code = process.exitCode();
        if (!run.finished) run.failure = QStringLiteral("it ended abnormally");
    }
    return run;
}

QString engine_program() {
    return QStandardPaths::findExecutable(QStringLiteral("apertium"));
}

std::vector<std::string> list_pairs(StopToken stop, const QString& program) {
    WebOptions options;
    options.timeout_ms = 10000;
    const ProcessRun run = run_process(stop, program, {QStringLiteral("-l")}, {}, options);
    if (!run.finished || run.exit_code != 0) return {};
    return engine_pairs(run.out.toStdString());
}

class OfflineEngine : public LabelService {
public:
    explicit OfflineEngine(const WebOptions& options) : options_(options) {}

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
    // One direction of the engine over the labels: one answer per label, or false and the
    // reason in `error`.
    bool translate_step(StopToken stop, const std::string& pair,
                        const std::vector<std::string>& labels, std::vector<std::string>& texts,
                        std::string& error) {
        if (!run_engine(stop, pair, labels, texts, error)) return false;
        // Should the blank lines not keep the labels apart, each goes on its own.
        if (texts.size() != labels.size()) {
            texts.clear();
            for (const std::string& label : labels) {
                std::vector<std::string> one;
                if (!run_engine(stop, pair, {label}, one, error)) return false;
                std::string joined;
                for (const std::string& part : one) joined += (joined.empty() ? "" : " ") + part;
                texts.push_back(joined);
            }
        }
        return true;
    }

    bool run_engine(StopToken stop, const std::string& pair, const std::vector<std::string>& labels,
                    std::vector<std::string>& texts, std::string& error) {
        const ProcessRun run =
            run_process(stop, program_,
                        {QStringLiteral("-f"), QStringLiteral("txt"), QString::fromStdString(pair)},
                        QByteArray::fromStdString(join_for_engine(labels)), options_);
        if (!run.finished) {
            error = std::string(kWho) + " failed: " + run.failure.toStdString() + ".";
            return false;
        }
        if (run.exit_code != 0) {
            const QString why = QString::fromUtf8(run.err).trimmed().section('\n', 0, 0);
            error = std::string(kWho) + " failed (exit code " + std::to_string(run.exit_code) +
                    ")" + (why.isEmpty() ? "." : ": " + why.toStdString());
            return false;
        }
        texts = split_engine_output(run.out.toStdString());
        return true;
    }

    WebOptions options_;
    QString program_;
    std::vector<std::string> pairs_;
};

} // namespace

std::unique_ptr<LabelService> make_offline_engine(const WebOptions& options) {
    return std::make_unique<OfflineEngine>(options);
}

bool offline_engine_installed() {
    return !offline_engine_pairs().empty();
}

std::vector<std::string> offline_engine_pairs() {
    const QString program = engine_program();
    return program.isEmpty() ? std::vector<std::string>{} : list_pairs({}, program);
}

} // namespace lex
