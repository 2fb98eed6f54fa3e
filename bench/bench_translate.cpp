// A translation run over 3,000 rows: how long each request spends in the program itself
// (building the batch, matching the answer, writing the rows, and the web client's own work)
// apart from the server's time. The server is the tests' local page server, answering at once.
// The same run with each translation service: the web services against local servers speaking
// their formats, the offline engine (beside the engine alone) and an Apertium server for real.

#include "bench_util.h"

#include "commands/translation.h"
#include "document/codec_qt.h"
#include "translate/translator.h"
#include "translate/webpage.h"
#include "view/state.h"

// The local page server of the tests, compiled into this benchmark as well.
#include "tests/support/http_server.cpp"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QUrlQuery>

#include <cctype>
#include <chrono>

namespace lex::bench {

namespace {

using clock_type = std::chrono::steady_clock;

std::string upper(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

void fill_rows(State& st, int n) {
    auto& rows = st.rows(kPolygons);
    rows.assign(std::size_t(n), Row{});
    for (int r = 0; r < n; ++r) {
        rows[std::size_t(r)].caption = "Lake Road " + std::to_string(r);
        rows[std::size_t(r)].source_key = "=0x04," + rows[std::size_t(r)].caption;
    }
    st.row_count(kPolygons) = n;
}

State english_to_german() {
    State st;
    set_defaults(st, bench_dir());
    st.source_codepage = st.target_codepage = 1252;
    st.row_target_code = "02";
    st.win.language_row = {0, 2};
    return st;
}

void clear_targets(State& st) {
    for (Row& row : st.rows(kPolygons)) {
        row.text.clear();
        row.status = RowStatus::kNormal;
    }
}

// Measures the time spent inside another translator.
class Timed : public Translator {
public:
    explicit Timed(Translator& inner) : inner_(inner) {}
    std::string translate(const TranslationRequest& request, const std::string& text) override {
        auto t0 = clock_type::now();
        std::string answer = inner_.translate(request, text);
        seconds += std::chrono::duration<double>(clock_type::now() - t0).count();
        ++requests;
        return answer;
    }
    double seconds = 0;
    long requests = 0;

private:
    Translator& inner_;
};

class Echo : public Translator {
public:
    std::string translate(const TranslationRequest&, const std::string& text) override {
        return upper(text);
    }
};

void report(benchmark::State& state, double wall, double inside, double server, long requests) {
    const double n = double(requests);
    state.counters["requests"] = n / double(state.iterations());
    state.counters["wall_us_per_req"] = wall / n * 1e6;
    state.counters["run_us_per_req"] = (wall - inside) / n * 1e6;
    state.counters["client_us_per_req"] = (inside - server) / n * 1e6;
    state.counters["program_us_per_req"] = (wall - server) / n * 1e6;
    state.counters["server_us_per_req"] = server / n * 1e6;
}

// The whole run against the local page server.
void BM_TranslateRunWeb(benchmark::State& state) {
    application();
    test::HttpServer server;
    server.handler = [](const test::HttpRequest& req) {
        test::HttpReply r;
        r.body = test::translation_page(upper(req.text));
        return r;
    };
    NullUi ui;
    State st = english_to_german();
    st.translate_url = server.url();
    fill_rows(st, int(state.range(0)));
    WebOptions options;
    options.system_proxy = false;
    auto web = make_web_translator(ui, options);
    Timed timed(*web);
    double wall = 0;
    for (auto _ : state) {
        clear_targets(st);
        auto t0 = clock_type::now();
        translate_pane(st, ui, timed, kPolygons, RunOptions{0});
        wall += std::chrono::duration<double>(clock_type::now() - t0).count();
    }
    if (st.rows(kPolygons).back().text != upper(st.rows(kPolygons).back().caption))
        state.SkipWithError("rows were not translated");
    report(state, wall, timed.seconds, server.busy_seconds, timed.requests);
}

// The same run with a translator that answers in memory: the run's own work per request.
void BM_TranslateRunCore(benchmark::State& state) {
    NullUi ui;
    State st = english_to_german();
    fill_rows(st, int(state.range(0)));
    Echo echo;
    Timed timed(echo);
    double wall = 0;
    for (auto _ : state) {
        clear_targets(st);
        auto t0 = clock_type::now();
        translate_pane(st, ui, timed, kPolygons, RunOptions{0});
        wall += std::chrono::duration<double>(clock_type::now() - t0).count();
    }
    report(state, wall, timed.seconds, timed.seconds, timed.requests);
}

// The web client's work on one answer of a realistic size (about 100 KB of page): decoding,
// cutting out the translation, unescaping and encoding into the target code page.
void BM_PageToAnswer(benchmark::State& state) {
    const QByteArray page = QByteArray(60000, 'x') +
                            test::translation_page("See \\x26amp; Stra&#223;e,Fluss,Wald") +
                            QByteArray(40000, 'y');
    for (auto _ : state) {
        const std::string text = QString::fromUtf8(page).toUtf8().toStdString();
        const std::string answer = answer_from_page(text);
        benchmark::DoNotOptimize(encode(QString::fromStdString(answer), 1252));
    }
    state.counters["page_KB"] = double(page.size()) / 1e3;
}

// Labels as map styles have them: one to three words and a number, from a small vocabulary the
// engine knows, so that it does its whole work on each.
void fill_map_labels(State& st, int n) {
    static const char* const words[] = {"Lake",   "River",  "Road",    "Forest", "Hill",
                                        "Park",   "Church", "School",  "Bridge", "Mill",
                                        "Market", "Castle", "Harbour", "Beach",  "Garden"};
    fill_rows(st, n);
    unsigned seed = 7;
    for (int r = 0; r < n; ++r) {
        std::string label;
        const int count = 1 + int(seed % 3);
        for (int w = 0; w < count; ++w) {
            seed = seed * 1103515245u + 12345u;
            label += (w ? " " : "") + std::string(words[(seed >> 8) % 15]);
        }
        Row& row = st.rows(kPolygons)[std::size_t(r)];
        row.caption = label + " " + std::to_string(r);
        row.source_key = "=0x04," + row.caption;
    }
}

// Measures the time spent inside a label-by-label translator.
class TimedLabels : public Translator {
public:
    explicit TimedLabels(Translator& inner) : inner_(inner) {}
    std::size_t labels_per_request() const override { return inner_.labels_per_request(); }
    std::string language_code(const std::string& key, bool target,
                              const std::string& custom_web_code) const override {
        return inner_.language_code(key, target, custom_web_code);
    }
    LabelAnswers translate_labels(const TranslationRequest& request,
                                  const std::vector<std::string>& labels) override {
        auto t0 = clock_type::now();
        LabelAnswers answers = inner_.translate_labels(request, labels);
        seconds += std::chrono::duration<double>(clock_type::now() - t0).count();
        ++calls;
        return answers;
    }
    double seconds = 0;
    long calls = 0;

private:
    Translator& inner_;
};

// One run over the rows with `tr`; the counters give the requests of one run and the time per
// label: all of it, the program's part (without the server's handler), and the service's.
void run_service(benchmark::State& state, Translator& tr, State& st, double* server_seconds) {
    NullUi ui;
    TimedLabels timed(tr);
    double wall = 0;
    const double server_before = server_seconds ? *server_seconds : 0;
    for (auto _ : state) {
        clear_targets(st);
        auto t0 = clock_type::now();
        translate_pane(st, ui, timed, kPolygons, RunOptions{0});
        wall += std::chrono::duration<double>(clock_type::now() - t0).count();
    }
    const Row& last = st.rows(kPolygons).back();
    if (last.text.empty() || st.rows(kPolygons).front().text.empty())
        state.SkipWithError("rows were not translated");
    const double labels = double(st.row_count(kPolygons)) * double(state.iterations());
    const double server = server_seconds ? *server_seconds - server_before : 0;
    state.counters["requests"] = double(timed.calls) / double(state.iterations());
    state.counters["us_per_label"] = wall / labels * 1e6;
    state.counters["program_us_per_label"] = (wall - server) / labels * 1e6;
}

// Each web service against a local server speaking its format, answering at once.
void BM_ServiceRun(benchmark::State& state) {
    application();
    const auto kind = ServiceKind(state.range(0));
    state.SetLabel(service_title(kind));
    test::HttpServer server;
    server.handler = [kind](const test::HttpRequest& req) {
        test::HttpReply r;
        r.content_type = "application/json";
        QJsonObject answer;
        if (kind == ServiceKind::kLibreTranslate) {
            QJsonArray out;
            for (const QJsonValue& q :
                 QJsonDocument::fromJson(req.body).object().value("q").toArray())
                out.append(q.toString().toUpper());
            answer.insert("translatedText", out);
        } else if (kind == ServiceKind::kDeepL) {
            QJsonArray out;
            for (const auto& [key, value] :
                 QUrlQuery(QString::fromUtf8(req.body)).queryItems(QUrl::FullyDecoded))
                if (key == "text") out.append(QJsonObject{{"text", value.toUpper()}});
            answer.insert("translations", out);
        } else {
            answer.insert(
                "responseData",
                QJsonObject{{"translatedText", QString::fromStdString(upper(req.query("q")))}});
        }
        r.body = QJsonDocument(answer).toJson(QJsonDocument::Compact);
        return r;
    };
    State st = english_to_german();
    st.win.language_row = {0, 5};
    fill_map_labels(st, int(state.range(1)));
    WebOptions options;
    options.system_proxy = false;
    NullUi ui;
    auto tr = make_translator(ui, {kind, server.base(), "key"}, options);
    run_service(state, *tr, st, &server.busy_seconds);
    // The requests that reached the server (an engine answer that does not split sends more).
    state.counters["requests"] = double(server.requests.size()) / double(state.iterations());
}

// The engine alone: its command line as the run starts it, fed the run's labels as one text in
// one process. Returns the seconds it took, or a negative figure when it did not answer each
// label.
double engine_alone_seconds(const State& st) {
    std::vector<std::string> labels;
    for (const Row& row : st.rows(kPolygons)) labels.push_back(row.caption);
    const QByteArray input = QByteArray::fromStdString(join_for_engine(labels));
    QProcess engine;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    engine.setProcessEnvironment(env);
    const auto t0 = clock_type::now();
    engine.start(QStandardPaths::findExecutable("apertium"), {"-f", "txt", "eng-spa"});
    engine.write(input);
    engine.closeWriteChannel();
    engine.waitForFinished(120000);
    const QByteArray out = engine.readAllStandardOutput();
    const double seconds = std::chrono::duration<double>(clock_type::now() - t0).count();
    if (split_engine_output(out.toStdString()).size() != labels.size()) return -1;
    return seconds;
}

// The offline engine for real, English to Spanish: the whole run, and beside it in each
// iteration the engine alone over the same labels; ratio is the run's time over the engine's.
// The second argument is the most engine processes the run starts at once (0: one per idle core,
// the program's own choice).
void BM_OfflineEngineRun(benchmark::State& state) {
    application();
    if (!offline_engine_installed())
        return state.SkipWithError("the offline engine is not installed");
    State st = english_to_german();
    st.win.language_row = {0, 5};
    fill_map_labels(st, int(state.range(0)));
    NullUi ui;
    // One engine process, two, or as many as the program picks.
    auto tr = make_label_translator(make_offline_engine({}, int(state.range(1))),
                                    ServiceKind::kOfflineEngine);
    TimedLabels timed(*tr);
    double run = 0;
    double alone = 0;
    for (auto _ : state) {
        clear_targets(st);
        auto t0 = clock_type::now();
        translate_pane(st, ui, timed, kPolygons, RunOptions{0});
        run += std::chrono::duration<double>(clock_type::now() - t0).count();
        const double engine = engine_alone_seconds(st);
        if (engine < 0) return state.SkipWithError("the engine alone did not answer each label");
        alone += engine;
    }
    if (st.rows(kPolygons).back().text.empty() || st.rows(kPolygons).front().text.empty())
        state.SkipWithError("rows were not translated");
    const double n = double(state.iterations());
    state.counters["requests"] = double(timed.calls) / n;
    state.counters["run_ms"] = run / n * 1e3;
    state.counters["engine_alone_ms"] = alone / n * 1e3;
    state.counters["ratio"] = run / alone;
}

// A real Apertium server started for the benchmark, English to Spanish.
void BM_ApertiumServerRun(benchmark::State& state) {
    application();
    const QString apy = QStandardPaths::findExecutable("apertium-apy");
    if (apy.isEmpty()) return state.SkipWithError("apertium-apy is not installed");
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    QProcess server;
    server.setProgram(apy);
    server.setArguments({"-p", QString::number(port), "/usr/share/apertium/modes"});
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start();
    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    QNetworkAccessManager net;
    bool ready = false;
    for (int i = 0; i < 40 && !ready; ++i) {
        QThread::msleep(200);
        QNetworkReply* r =
            net.get(QNetworkRequest(QUrl(QString::fromStdString(base + "/listPairs"))));
        QEventLoop loop;
        QObject::connect(r, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        ready = r->error() == QNetworkReply::NoError;
        delete r;
    }
    if (ready) {
        State st = english_to_german();
        st.win.language_row = {0, 5};
        fill_map_labels(st, int(state.range(0)));
        NullUi ui;
        WebOptions options;
        options.system_proxy = false;
        auto tr = make_translator(ui, {ServiceKind::kApertiumServer, base, ""}, options);
        run_service(state, *tr, st, nullptr);
    } else {
        state.SkipWithError("apertium-apy did not start");
    }
    server.kill();
    server.waitForFinished(3000);
}

} // namespace

BENCHMARK(BM_TranslateRunWeb)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TranslateRunCore)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageToAnswer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ServiceRun)
    ->Args({int(ServiceKind::kApertiumServer), 3000})
    ->Args({int(ServiceKind::kLibreTranslate), 3000})
    ->Args({int(ServiceKind::kDeepL), 3000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_OfflineEngineRun)
    ->Args({3000, 1})
    ->Args({3000, 2})
    ->Args({3000, 0})
    ->Args({10000, 1})
    ->Args({10000, 2})
    ->Args({10000, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_ApertiumServerRun)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace lex::bench
