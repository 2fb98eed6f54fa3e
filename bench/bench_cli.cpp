// lexmarin-cli as a script runs it: the whole process (start, read, work, print) over a
// generated file, beside `wc -l` over the same file, the floor for a process that reads it.

#ifndef _WIN32

#include "bench_util.h"
#include "generator.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <map>
#include <vector>

extern char** environ;

namespace lex::bench {

namespace {

// Runs `args` with its output thrown away and waits for it; its seconds.
double process_seconds(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    const bool ran = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
                     waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
                     WEXITSTATUS(status) == 0;
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    posix_spawn_file_actions_destroy(&actions);
    return ran ? d.count() : -1;
}

// The generated file of `megabytes` MB, made once.
const std::string& generated_file(int megabytes) {
    static std::map<int, std::string> paths;
    std::string& path = paths[megabytes];
    if (path.empty()) {
        GenOptions options;
        options.elements_per_kind = elements_for_size(std::size_t(megabytes) << 20, options);
        path = write_bench_file("cli" + std::to_string(megabytes) + ".txt", generate_typ(options));
    }
    return path;
}

// The command `args` followed by the file of state.range(0) MB, each iteration a new process;
// "x_wc" is its mean time over the best of `wc -l` on the same file.
void BM_WholeProcess(benchmark::State& state, std::vector<std::string> args) {
    setenv("LEXMARIN_HOME", bench_dir().c_str(), 1);
    const std::string& file = generated_file(int(state.range(0)));
    args.insert(args.begin() + 2, file);
    double wc = 1e30;
    for (int i = 0; i < 5; ++i) wc = std::min(wc, process_seconds({"wc", "-l", file}));
    double total = 0;
    for (auto _ : state) {
        const double seconds = process_seconds(args);
        if (seconds < 0) {
            state.SkipWithError("the command failed");
            return;
        }
        total += seconds;
    }
    state.counters["x_wc"] = total / double(state.iterations()) / wc;
    state.counters["wc_ms"] = wc * 1e3;
}

} // namespace

BENCHMARK_CAPTURE(BM_WholeProcess, stats, {LEXMARIN_CLI, "stats", "--to", "de"})
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_WholeProcess, survey, {LEXMARIN_CLI, "survey", "--json"})
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace lex::bench

#endif
