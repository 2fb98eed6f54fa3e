// A translation run over 3,000 rows: how long each request spends in the program itself
// (building the batch, matching the answer, writing the rows, and the web client's own work)
// apart from the server's time. The server is the tests' local page server, answering at once.

#include "bench_util.h"

#include "commands/translation.h"
#include "document/codec.h"
#include "document/state.h"
#include "translate/translator.h"
#include "translate/webpage.h"

// The local page server of the tests, compiled into this benchmark as well.
#include "tests/support/http_server.cpp"

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
    Pane& pane = st.pane(kPolygons);
    pane.rows.assign(std::size_t(n), Row{});
    for (int r = 0; r < n; ++r) {
        pane.rows[std::size_t(r)].caption = "Lake Road " + std::to_string(r);
        pane.rows[std::size_t(r)].source_key = "=0x04," + pane.rows[std::size_t(r)].caption;
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
    for (Row& row : st.pane(kPolygons).rows) {
        row.text.clear();
        row.back = kWhite;
    }
}

// Measures the time spent inside another translator.
class Timed : public Translator {
public:
    explicit Timed(Translator& inner) : inner_(inner) {}
    std::string translate(State& st, const std::string& request) override {
        auto t0 = clock_type::now();
        std::string answer = inner_.translate(st, request);
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
    std::string translate(State&, const std::string& request) override { return upper(request); }
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
    if (st.pane(kPolygons).rows.back().text != upper(st.pane(kPolygons).rows.back().caption))
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

} // namespace

BENCHMARK(BM_TranslateRunWeb)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TranslateRunCore)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageToAnswer)->Unit(benchmark::kMicrosecond);

} // namespace lex::bench
