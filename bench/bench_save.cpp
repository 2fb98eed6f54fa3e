// Saving with every row translated: the text the save writes (assembly and the merge
// of every kind), and the whole save (backup copy, write through a temporary file, reload).

#include "bench_util.h"
#include "generator.h"

#include "commands/open_document.h"
#include "commands/save_document.h"
#include "view/state.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <vector>

namespace lex::bench {

namespace {

// Opens a generated file of about `mb` megabytes and gives every row a new target text.
std::string open_translated(State& st, Ui& ui, long mb, const std::string& name) {
    GenOptions options;
    options.elements_per_kind = elements_for_size(std::size_t(mb) << 20, options);
    const std::string text = generate_typ(options);
    std::string path = write_bench_file(name, text);
    set_defaults(st, bench_dir());
    st.row_target_code = st.target_code;
    open_document(st, ui, path);
    for (const Kind k : kAllKinds)
        for (int r = 0; r < st.row_count(k); ++r) st.row(k, r).text = "Neu " + st.row(k, r).caption;
    return text;
}

void BM_SaveText(benchmark::State& state) {
    NullUi ui;
    State st;
    const std::string text = open_translated(st, ui, state.range(0), "save_text.txt");
    std::size_t size = 0;
    run_with_ratio(state, text, [&] {
        std::string out = build_saved_text(st);
        size = out.size();
        benchmark::DoNotOptimize(out.data());
    });
    state.counters["rows"] =
        double(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
    state.counters["out_MB"] = double(size) / 1e6;
}

// Seconds of what `cp FILE COPY` and an fsync of the copy do: read the file, write a new one,
// flush it to the disk. The best of three.
double copy_and_fsync_seconds(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return 0;
#else
    const std::string copy = path + ".copy";
    std::vector<char> buffer(1 << 17);
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        const int in = ::open(path.c_str(), O_RDONLY);
        const int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (ssize_t n; (n = ::read(in, buffer.data(), buffer.size())) > 0;)
            if (::write(out, buffer.data(), std::size_t(n)) != n) break;
        ::fsync(out);
        ::close(out);
        ::close(in);
        const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        best = std::min(best, d.count());
        std::remove(copy.c_str());
    }
    return best;
#endif
}

void save_file(benchmark::State& state, FileWriter& io, const char* name) {
    NullUi ui;
    State st;
    const std::string text = open_translated(st, ui, state.range(0), name);
    st.file_writer = &io;
    const double copy = copy_and_fsync_seconds(st.document_path);
    run_with_ratio(state, text, [&] {
        std::string path = st.document_path;
        save_document(st, ui, path);
        benchmark::DoNotOptimize(st.row_count(kPolygons));
    });
    state.counters["rows"] =
        double(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints));
    // The whole save against a copy of the file flushed to the disk, measured just before.
    if (copy <= 0) return;
    state.counters["cp_fsync_ms"] = copy * 1e3;
    state.counters["x_cp_fsync"] =
        state.counters["ratio"] * state.counters["baseline_ms"] / 1e3 / copy;
}

void BM_SaveFile(benchmark::State& state) {
    save_file(state, standard_file_writer(), "save_std.txt");
}

void BM_SaveFileQSaveFile(benchmark::State& state) {
    save_file(state, qt_file_writer(), "save_qt.txt");
}

} // namespace

BENCHMARK(BM_SaveText)->Arg(5)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveFile)->Arg(5)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveFileQSaveFile)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace lex::bench
